#!/usr/bin/env bash
# ProtConn of four regions in one run: the bundled layers of 125 protected
# areas and 4 regions (GeoJSON, ETRS89 / TM35FIN; regenerate them with
#   gen_protconn_layers --count 80 --side 40000 --regions 4 --margin 5000 --median 120 --seed 5 ...
# and ogr2ogr -f GeoJSON -lco COORDINATE_PRECISION=1), at two dispersal
# distances, with dProtConn of every protected unit, a GeoPackage and a map;
# then the change of ECA of region R1 between two scenarios (its protected
# units, and the same without the most important one) with verdalis-change.
# Everything is left in examples/protconn/results/.
#
# Usage: bash examples/protconn/run_example_protconn.sh [build folder]
set -euo pipefail

build="${1:-build}"
case "$build" in
  /*) ;;
  *) build="$(pwd)/$build" ;;
esac
for program in verdalis-protconn verdalis-change; do
  if [ ! -x "$build/$program" ]; then
    echo "$build/$program was not found; build it first (make example-protconn; it needs GDAL, GEOS and cairo)." >&2
    exit 1
  fi
done

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
results="$here/results"
rm -rf "$results"
mkdir -p "$results/landscapes"
cd "$results"

"$build/verdalis-protconn" ../protected_areas.geojson --id pa_id --regions ../regions.geojson --region-id region \
  --distance 2000,10000 --out protconn.tsv --importances units.tsv --gpkg protconn.gpkg --png dProtConn.png \
  --landscapes landscapes
echo
cut -f1,2,8-12 protconn.tsv | column -t -s$'\t'
echo

# The landscape of R1 at 2000 m as verdalis was given it, and the same
# without its most important unit (the units of R1 are nodes 1, 2, ... in
# the order of units.tsv): two scenarios for verdalis-change.
nodes=landscapes/R1_2000_nodes.txt connections=landscapes/R1_2000_connections.txt
top=$(awk -F'\t' '$1 == "R1" && $7 == 2000 { print ++k, $3 }' units.tsv | sort -k2,2gr | head -1 | cut -d' ' -f1)
awk -v t="$top" '$1 != t' "$nodes" > R1_without_nodes.txt
awk -v t="$top" '$1 != t && $2 != t' "$connections" > R1_without_connections.txt
area=$(awk -F'\t' '$1 == "R1" && $2 == 2000 { print $4 }' protconn.tsv)
"$build/verdalis-change" --period all "$nodes" "$connections" --period "without_$top" R1_without_nodes.txt \
  R1_without_connections.txt --landArea "$area" -confProb 2000 0.5 -t dist notall -symmetric --out change.tsv --chart change.png \
  --title "R1: its protected units, and without unit $top"
column -t -s$'\t' change.tsv
