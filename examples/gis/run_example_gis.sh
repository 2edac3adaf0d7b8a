#!/usr/bin/env bash
# From a polygon layer to a map of patch importances in three commands:
# verdalis-prep measures the bundled layer of 40 habitat patches (GeoJSON,
# ETRS89 / TM35FIN; regenerate it with
#   gen_patch_layer --count 40 --side 9000 --clusters 3 --seed 7 --out patches.geojson),
# verdalis computes the importances, and verdalis-map joins them to the layer,
# draws dPC and ranks the patches. Then the same with least-cost distances over
# the bundled resistance raster (resistance.tif, 400 x 400 cells of 25 m;
# regenerate it with
#   gen_resistance_raster --cells 400 --cell 25 --left 300000 --top 6708000 --seed 7 --raster resistance.tif),
# the links drawn along the least-cost paths. Everything is left in
# examples/gis/results/.
#
# Usage: bash examples/gis/run_example_gis.sh [build folder]
set -euo pipefail

build="${1:-build}"
case "$build" in
  /*) ;;
  *) build="$(pwd)/$build" ;;
esac
for program in verdalis verdalis-prep verdalis-map; do
  if [ ! -x "$build/$program" ]; then
    echo "$build/$program was not found; build it first (make example-gis; the companions need GDAL, GEOS and cairo)." >&2
    exit 1
  fi
done

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
results="$here/results"
# The summary files of a run are appended to; start from an empty folder.
rm -rf "$results"
mkdir -p "$results"
cd "$results"

# 1. Patches in: areas in hectares, edge-to-edge distances of every pair
#    (40 patches); --suggest-for gives the -confProb of the run to come, so
#    that prep prints the whole verdalis command, -landArea included.
"$build/verdalis-prep" ../patches.geojson --id patch_id --suggest-for 1000 0.5 \
  --nodes nodes.txt --connections distances.txt | tee prep.log
echo
# 2. Importances: the command prep printed under "Next:" (patches at most
#    1000 m apart are linked for NC; the dispersal probability is 0.5 at
#    1000 m for PC), with the links within 1000 m removed in turn to measure
#    their importance, and a prefix.
next_command="$(sed -n '/^Next:$/{n;s/^  verdalis //;p;}' prep.log)"
eval "\"\$build/verdalis\" $next_command -removal maxValue 1000 -wcomp -prefix example" > verdalis.log
echo "verdalis: results of run example written (console output in verdalis.log)"
echo
# 3. Importances back on the map, the five highest patches labelled, and the
#    ranking of the ten highest as a chart and a table.
"$build/verdalis-map" ../patches.geojson --id patch_id --results . --prefix example \
  --out patches_importances.gpkg --png example_dPC.png --svg example_dPC.svg --links --label-top 5 \
  --ranking example_ranking.png --top-file example_ranking.tsv

echo
# 4. Least-cost distances: a step costs the mean resistance of its two cells
#    times its length, so 8000 is about 1000 m at the raster's mean
#    resistance (8.2). The pairs within 16000, their paths as lines; the
#    command prep prints, with the links within 8000 removed in turn; the
#    links drawn along the paths.
"$build/verdalis-prep" ../patches.geojson --id patch_id --resistance ../resistance.tif --max-cost 16000 \
  --suggest-for 8000 0.5 --nodes nodes.txt --connections costs.txt --paths paths.gpkg | tee prep_leastcost.log
echo
next_command="$(sed -n '/^Next:$/{n;s/^  verdalis //;p;}' prep_leastcost.log)"
eval "\"\$build/verdalis\" $next_command -removal maxValue 8000 -wcomp -prefix leastcost" > verdalis_leastcost.log
echo "verdalis: results of run leastcost written (console output in verdalis_leastcost.log)"
echo
"$build/verdalis-map" ../patches.geojson --id patch_id --results . --prefix leastcost \
  --png leastcost_dPC.png --links-from paths.gpkg --title "dPC over least-cost distances, links along their paths"

echo
echo "Results of the GIS example are in $results"
