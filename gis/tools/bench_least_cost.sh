#!/usr/bin/env bash
# The speed and memory of verdalis-prep's least-cost distances on a generated
# landscape of 10,000 x 10,000 cells of 10 m (gen_resistance_raster, seed 1):
#   L1: 10,000 patches, --max-cost 2000 x the mean resistance (about 2 km of
#       average land around each patch);
#   L2: its first 100 patches, no bound (every search covers the raster).
# Each run is timed by /usr/bin/time -v: wall clock, processor time, peak memory.
#
# Usage: bash gis/tools/bench_least_cost.sh BUILD [WORK FOLDER] [L1|L2|both] [--threads N]
set -euo pipefail

build="${1:?usage: bench_least_cost.sh BUILD [WORK] [L1|L2|both]}"
work="${2:-/tmp/verdalis-least-cost-bench}"
which="${3:-both}"
shift $(( $# < 3 ? $# : 3 ))
mkdir -p "$work"
if [ ! -f "$work/r10k.tif" ] || [ ! -f "$work/mean.txt" ]; then
  "$build/gen_resistance_raster" --cells 10000 --patches 10000 --seed 1 \
    --raster "$work/r10k.tif" --layer "$work/p10k.gpkg" | tee "$work/generated.txt"
  sed -n 's/.*mean resistance \([0-9.]*\).*/\1/p' "$work/generated.txt" > "$work/mean.txt"
  ogr2ogr -f GPKG "$work/p100.gpkg" "$work/p10k.gpkg" -where "patch_id <= 100"
fi
mean="$(cat "$work/mean.txt")"
bound="$(awk -v m="$mean" 'BEGIN { printf "%d", 2000 * m }')"

measure() {
  local name="$1"
  shift
  /usr/bin/time -v "$build/verdalis-prep" "$@" 2> "$work/$name.err" > "$work/$name.out"
  local wall user system peak
  wall="$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/$name.err")"
  user="$(sed -n 's/.*User time (seconds): //p' "$work/$name.err")"
  system="$(sed -n 's/.*System time (seconds): //p' "$work/$name.err")"
  peak="$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/$name.err")"
  echo "$name: wall $wall, processor ${user} s user + ${system} s system, peak $((peak / 1024)) MB," \
       "$(wc -l < "$work/$name.txt") lines"
}

if [ "$which" = L1 ] || [ "$which" = both ]; then
  measure L1 "$work/p10k.gpkg" --id patch_id --resistance "$work/r10k.tif" --max-cost "$bound" \
    --nodes "$work/L1_nodes.txt" --connections "$work/L1.txt" "$@"
fi
if [ "$which" = L2 ] || [ "$which" = both ]; then
  measure L2 "$work/p100.gpkg" --id patch_id --resistance "$work/r10k.tif" \
    --nodes "$work/L2_nodes.txt" --connections "$work/L2.txt" "$@"
fi
echo "(mean resistance $mean, --max-cost $bound; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg))"
