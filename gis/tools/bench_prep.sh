#!/usr/bin/env bash
# Time and peak memory of verdalis-prep on large layers: 100,000 generated
# polygons (the density of the benchmark landscapes: a square of 12·n metres)
# with the pairs within 2,500 m, and, when its path is given, a real layer
# such as the 6,164 islands of the Archipelago Sea with the pairs within 5 km.
# Measured with /usr/bin/time -v; the files written go to a temporary folder.
#
# Usage: bash gis/tools/bench_prep.sh [build folder] [islands.gpkg]
set -euo pipefail

build="$(cd "${1:-build}" && pwd)"
islands="${2:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

measure() {
  local label="$1"
  shift
  /usr/bin/time -v "$@" >"$work/out.txt" 2>"$work/time.txt"
  local elapsed memory
  elapsed=$(grep 'Elapsed (wall clock)' "$work/time.txt" | sed 's/.*): //')
  memory=$(grep 'Maximum resident set size' "$work/time.txt" | sed 's/.*: //')
  echo "$label: $elapsed elapsed, peak memory $((memory / 1024)) MB; $(grep -m1 '^Wrote.*lines, edge' "$work/out.txt" | sed 's/^Wrote [^:]*: //')"
}

"$build/gen_patch_layer" --count 100000 --seed 1 --out "$work/patches100k.gpkg"
measure "100,000 polygons within 2,500 m" \
  "$build/verdalis-prep" "$work/patches100k.gpkg" --id patch_id --max-distance 2500 \
  --nodes "$work/n.txt" --connections "$work/c.txt"
measure "100,000 polygons within 2,500 m, one thread" \
  "$build/verdalis-prep" "$work/patches100k.gpkg" --id patch_id --max-distance 2500 --threads 1 \
  --nodes "$work/n.txt" --connections "$work/c.txt"
if [ -n "$islands" ]; then
  measure "$(basename "$islands") within 5,000 m" \
    "$build/verdalis-prep" "$islands" --id island_id --max-distance 5000 \
    --nodes "$work/n.txt" --connections "$work/c.txt"
fi
