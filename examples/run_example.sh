#!/usr/bin/env bash
# Runs Verdalis on the bundled example landscape (40 habitat patches, areas in
# hectares, edge-to-edge distances in metres; regenerate it with
# tools/gen_example.py) and leaves every result file in examples/results/.
#
# Usage: bash examples/run_example.sh [path/to/verdalis]
set -euo pipefail

binary="${1:-build/verdalis}"
case "$binary" in
  /*) ;;
  *) binary="$(pwd)/$binary" ;;
esac
if [ ! -x "$binary" ]; then
  echo "The program was not found at $binary; build it first (make)." >&2
  exit 1
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
results="$here/results"
# The summary files of a run are appended to; start from an empty directory
# so that the example always shows the results of one run.
rm -rf "$results"
mkdir -p "$results"
cd "$results"

# Binary indices link patches at most 1000 m apart; the direct dispersal
# probability is 0.5 at 1000 m and decays exponentially with distance. The
# study area is 12 km x 12 km, that is 14400 ha, in the hectares of the
# patch areas.
"$binary" -nodeFile ../nodes.txt -conFile ../distances.txt -t dist all \
  -IIC -PC -NC -confAdj 1000 -confProb 1000 0.5 -landArea 14400 -prefix example -wcomp

echo
echo "Results of the example are in $results"
