#!/usr/bin/env bash
# How evenly verdalis-mpi splits the work of a run, whatever the machine:
# the instructions of one process against those of the busiest of N, counted
# by callgrind, without those spent in the MPI libraries (a process that
# waits for another polls there). Wall times on a shared machine also count
# the host's other work and the cache both processes share; this counts
# only what the program does. Slow: callgrind runs some 50 times slower.
#   tools/mpi_work_split.sh build N arguments...
# Prints the instructions of each process and the work speed-up.
set -euo pipefail
build=$1 np=$2
shift 2
export OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Instructions outside the MPI libraries, from one callgrind file.
counted() {
  callgrind_annotate --threshold=100 "$1" 2>/dev/null | awk '
    /PROGRAM TOTALS/ { gsub(",", "", $1); total = $1 }
    /\[.*(openmpi|libopen-|libmpi|libevent|libhwloc|libpmix).*\]$/ { gsub(",", "", $1); mpi += $1 }
    END { printf "%.0f\n", total - mpi }'
}

# Runs the arguments on n processes; prints each process's instructions.
measure() {
  local n=$1
  shift
  mkdir -p "$work/np$n"
  (cd "$work/np$n" && mpirun --oversubscribe -np "$n" valgrind --tool=callgrind \
    --callgrind-out-file="$work/np$n/callgrind.%p" "$build/verdalis-mpi" "$@" >stdout 2>stderr)
  for f in "$work/np$n"/callgrind.*; do counted "$f"; done
}

one=$(measure 1 "$@")
many=$(measure "$np" "$@" | sort -n)
echo "1 process: $one instructions"
echo "$np processes: $(echo "$many" | tr '\n' ' ')instructions"
busiest=$(echo "$many" | tail -1)
echo "work speed-up: $(echo "scale=2; $one / $busiest" | bc)," \
  "repeated: $(echo "scale=1; 100 * ($(echo "$many" | paste -sd+) - $one) / $one" | bc)% of one process"
