#!/usr/bin/env bash
# The speed-up of verdalis-mpi: -np 2 -threads 1 against -np 1 -threads 1 on
# target 2 (1000 patches, every pair, -IIC -PC) and on the archipelago's node
# importances, beside what the machine itself allows two processes.
#   tools/mpi_speedup.sh [build folder] [data folder]
# For each landscape it times, in turn: one and two MPI processes; the same
# run with onlyoverall (reading the files, which every process repeats, and
# the global pass); the plain program alone; and two plain programs at once,
# which share nothing. The last two give the machine's ceiling for two
# processes, 2 × alone / together: two virtual cores that share a cache
# and the memory of a busy host do not double the speed of work that reads
# megabytes, however it is split. Prints one line per run (name, processes,
# seconds, the processor time of each process), then the ratios.
set -euo pipefail
build=${1:-build}
data=${2:-/work/shared/data/archipelago_sea_islands}
work=${VERDALIS_BENCH_DIR:-/tmp/verdalis-bench}
mkdir -p "$work"
export OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1
mpi=$(command -v mpirun)
nodes=$work/nodes_1000_full.txt connections=$work/connections_1000_full.txt
[ -f "$connections" ] || "$build/gen_landscape" --nodes 1000 --seed 17 --out-nodes "$nodes" \
  --out-connections "$connections" --full

seconds() { echo "$2 - $1" | bc; }

# One MPI run in a fresh folder: name processes arguments...
timed() {
  local name=$1 np=$2
  shift 2
  local dir=$work/mpi_${name}_np$np
  rm -rf "$dir" && mkdir -p "$dir"
  local start
  start=$(date +%s.%N)
  (cd "$dir" && "$mpi" --oversubscribe -np "$np" /usr/bin/time -f "processor %U+%S s" "$build/verdalis-mpi" "$@" \
    -threads 1 >stdout 2>stderr)
  # The processor time of each process: what machines of their own would
  # take, where the wall time also counts whatever else shares the cores.
  echo "$name $np $(seconds "$start" "$(date +%s.%N)") $(grep -h '^processor' "$dir/stderr" | tr '\n' ' ')"
}

# The plain program in a folder of its own: folder arguments...
plain() {
  local dir=$1
  shift
  rm -rf "$dir" && mkdir -p "$dir"
  (cd "$dir" && "$build/verdalis" "$@" -threads 1 >stdout 2>stderr)
}

# The plain program alone, then two at once: name arguments...
ceiling() {
  local name=$1 start middle
  shift
  start=$(date +%s.%N)
  plain "$work/plain_${name}_a" "$@"
  middle=$(date +%s.%N)
  plain "$work/plain_${name}_b" "$@" &
  plain "$work/plain_${name}_c" "$@"
  wait
  echo "${name}_alone 1 $(seconds "$start" "$middle")"
  echo "${name}_together 2 $(seconds "$middle" "$(date +%s.%N)")"
}

target2=(-nodeFile "$nodes" -conFile "$connections" -t dist all -confAdj 1000 -confProb 1000 0.5 -IIC -PC)
islands=(-nodeFile "$data/nodes.txt" -conFile "$data/distances_within_5000.txt" -t dist notall -confAdj 1000
  -confProb 1000 0.5 -NC -IIC -PC)
results=$(mktemp)
for np in 1 2; do timed target2 "$np" "${target2[@]}" | tee -a "$results"; done
timed target2_overall 1 "${target2[@]}" onlyoverall | tee -a "$results"
ceiling target2 "${target2[@]}" | tee -a "$results"
for np in 1 2; do timed islands "$np" "${islands[@]}" | tee -a "$results"; done
timed islands_overall 1 "${islands[@]}" onlyoverall | tee -a "$results"
ceiling islands "${islands[@]}" | tee -a "$results"
field() { awk -v n="$1" -v p="$2" '$1 == n && $2 == p {print $3}' "$results"; }
for name in target2 islands; do
  one=$(field "$name" 1) two=$(field "$name" 2) overall=$(field "${name}_overall" 1)
  alone=$(field "${name}_alone" 1) together=$(field "${name}_together" 2)
  echo "$name: speed-up $(echo "scale=2; $one / $two" | bc)," \
    "the machine's ceiling $(echo "scale=2; 2 * $alone / $together" | bc)," \
    "files and global pass $(echo "scale=2; 100 * $overall / $one" | bc)% of the one-process run"
done
for name in target2 islands; do
  cmp -s "$work/mpi_${name}_np1/node_importances.txt" "$work/mpi_${name}_np2/node_importances.txt" ||
    echo "$name: the node importances of 1 and 2 processes differ"
done
rm -f "$results"
