#!/usr/bin/env bash
# The speed-up of verdalis-mpi: -np 2 -threads 1 against -np 1 -threads 1 on
# target 2 (1000 patches, every pair, -IIC -PC) and on the archipelago's node
# importances, with the time of the same run with onlyoverall (reading the
# files, which every process repeats, and the global pass, which the
# processes share when every pair is listed and repeat by neighbour).
#   tools/mpi_speedup.sh [build folder] [data folder]
# Prints one line per run: name, processes, seconds, the processor time of
# each process; then the ratios of the wall times.
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

# seconds of one run in a fresh folder: name processes arguments...
timed() {
  local name=$1 np=$2
  shift 2
  local dir=$work/mpi_${name}_np$np
  rm -rf "$dir" && mkdir -p "$dir"
  local start end
  start=$(date +%s.%N)
  (cd "$dir" && "$mpi" --oversubscribe -np "$np" /usr/bin/time -f "processor %U+%S s" "$build/verdalis-mpi" "$@" \
    -threads 1 >stdout 2>stderr)
  end=$(date +%s.%N)
  # The processor time of each process: what machines of their own would
  # take, where the wall time also counts whatever else shares the cores.
  echo "$name $np $(echo "$end - $start" | bc) $(grep -h '^processor' "$dir/stderr" | tr '\n' ' ')"
}

target2=(-nodeFile "$nodes" -conFile "$connections" -t dist all -confAdj 1000 -confProb 1000 0.5 -IIC -PC)
islands=(-nodeFile "$data/nodes.txt" -conFile "$data/distances_within_5000.txt" -t dist notall -confAdj 1000
  -confProb 1000 0.5 -NC -IIC -PC)
results=$(mktemp)
for np in 1 2; do timed target2 "$np" "${target2[@]}" | tee -a "$results"; done
timed target2_overall 1 "${target2[@]}" onlyoverall | tee -a "$results"
for np in 1 2; do timed islands "$np" "${islands[@]}" | tee -a "$results"; done
timed islands_overall 1 "${islands[@]}" onlyoverall | tee -a "$results"
for name in target2 islands; do
  one=$(awk -v n="$name" '$1 == n && $2 == 1 {print $3}' "$results")
  two=$(awk -v n="$name" '$1 == n && $2 == 2 {print $3}' "$results")
  overall=$(awk -v n="${name}_overall" '$1 == n {print $3}' "$results")
  echo "$name: speed-up $(echo "scale=2; $one / $two" | bc), files and global pass $(echo "scale=2; 100 * $overall / $one" | bc)% of the one-process run"
done
for name in target2 islands; do
  cmp -s "$work/mpi_${name}_np1/node_importances.txt" "$work/mpi_${name}_np2/node_importances.txt" ||
    echo "$name: the node importances of 1 and 2 processes differ"
done
rm -f "$results"
