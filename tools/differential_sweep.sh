#!/usr/bin/env bash
# Long differential sweep, for use outside CI: the default engine against
# -reference on many more random landscapes than the CI run of
# differential_test, over several seeds, then (optionally) on larger
# generated landscapes and on the real landscapes of a data folder, and the
# sparse form of "notall" files against the dense one (-dense) on
# landscapes of thousands of patches, too large for the reference.
#
# Usage: tools/differential_sweep.sh [options]
#   --build DIR      build folder with differential_test, verdalis and
#                    gen_landscape (default: build)
#   --cases N        random cases per seed (default 5000; 0: no random
#                    series); the sparse series gets a tenth as many
#   --seeds "S ..."  seeds of the random series (default: 1 2 3)
#   --maxn N         largest ordinary landscape of the random cases (default 25)
#   --generated      also compare seeded landscapes of a few hundred patches
#                    from gen_landscape (slow: minutes each for the reference)
#   --real           also compare the real landscapes under --data
#   --data DIR       folder of real landscapes (default: $VERDALIS_DATA, or
#                    /work/shared/data)
#   --slow           with --real: the full analyses too (tens of minutes)
#   --sparse         default path against -dense on generated landscapes (see
#                    below); no reference run, so sizes of thousands are fine
#   --sparse-sizes "N ..."  patches of those landscapes (default: 1000 2000 5000)
#   --sparse-seeds "S ..."  their seeds (default: 21 22 23)
#   --timeout S      seconds after which one run counts as a difference
#                    (default 900; the sparse comparisons 3600)
#   --failures DIR   where failing cases are kept (default /tmp/diff_failures)
#
# --sparse: for every size and seed, gen_landscape --within D --side L with
# L = 1200 sqrt(n), which keeps the density of benchmark target 4 (10,000
# patches on 120 km: some thirty pairs per patch); D is 2500 m, 1500 m for
# every second seed, and every second seed adds n/100 candidates (-add). Each
# landscape runs node importances with -NC -IIC -PC, -PC -pcHeur 0.005,
# -H -IIC -BCIIC and -F -AWF -CCP -LCP (-confAdj 1000 -confProb 1000 0.5),
# with -threads 1 and 2 in turn and -simple every third run, once as it is
# and once with -dense; every result file, the console text (stamps and
# durations masked as the suite masks them), standard error and the exit
# status must be the same. On the shared 2-core machine
# --sparse-sizes 1000 --sparse-seeds "21 22" took 5 minutes; node importances
# grow about as n^2 at this density, so the default sizes take hours, most of
# them -NC -IIC -PC at 5000 patches.
#
# Every failing case is kept under the failures folder with its inputs, the
# outputs of every run, report.txt and reproduce.sh. The exit status is 0
# when nothing differed, 1 otherwise.
set -uo pipefail

build=build
cases=5000
seeds="1 2 3"
maxn=25
generated=0
sparse=0
sparse_sizes="1000 2000 5000"
sparse_seeds="21 22 23"
timeout=""
real=0
slow=0
data="${VERDALIS_DATA:-/work/shared/data}"
failures=/tmp/diff_failures

while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --cases) cases="$2"; shift 2 ;;
    --seeds) seeds="$2"; shift 2 ;;
    --maxn) maxn="$2"; shift 2 ;;
    --generated) generated=1; shift ;;
    --real) real=1; shift ;;
    --data) data="$2"; shift 2 ;;
    --slow) slow=1; shift ;;
    --sparse) sparse=1; shift ;;
    --sparse-sizes) sparse_sizes="$2"; shift 2 ;;
    --sparse-seeds) sparse_seeds="$2"; shift 2 ;;
    --timeout) timeout="$2"; shift 2 ;;
    --failures) failures="$2"; shift 2 ;;
    -h|--help) sed -n '2,/^set -uo/p' "$0" | sed '$d'; exit 0 ;;
    *) echo "unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done

build="$(cd "$build" 2>/dev/null && pwd)" || { echo "no build folder $build" >&2; exit 2; }
suite="$build/differential_test"
program="$build/verdalis"
generator="$build/gen_landscape"
for needed in "$suite" "$program"; do
  [ -x "$needed" ] || { echo "missing $needed: build the targets differential_test and verdalis" >&2; exit 2; }
done
mkdir -p "$failures"
failures="$(cd "$failures" && pwd)"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/verdalis_sweep_XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
# Inputs made by the sweep stay, so that a kept failure can be repeated.
inputs="${TMPDIR:-/tmp}/verdalis_sweep_inputs"
mkdir -p "$inputs"

failed=0
logs="$scratch/logs"
mkdir -p "$logs"

note() { printf '%s %s\n' "$(date +%H:%M:%S)" "$*"; }

# Compares one command line (absolute file names) with the GivenLandscape
# test: with the reference, or, with $baseline set, with itself plus those
# options.
baseline=""
run_limit=900
compare() {
  local name="$1"; shift
  note "compare $name: verdalis $*${baseline:+ (against $baseline)}"
  if VERDALIS_DIFF_BINARY="$program" VERDALIS_DIFF_FAILURES="$failures" VERDALIS_DIFF_NAME="$name" \
     VERDALIS_DIFF_BASELINE="$baseline" VERDALIS_DIFF_TIMEOUT="${timeout:-$run_limit}" \
     VERDALIS_DIFF_ARGS="$*" "$suite" --gtest_filter='GivenLandscape.*' > "$logs/$name.log" 2>&1; then
    note "  same bytes"
  else
    failed=1
    note "  MISMATCH, see $failures/$name and the log below"
    sed -n '/Failure/,/saved in/p' "$logs/$name.log"
  fi
}

[ "$cases" = 0 ] && seeds=""
for seed in $seeds; do
  note "random series: seed $seed, $cases cases and $((cases / 10)) sparse ones, up to $maxn nodes"
  if VERDALIS_DIFF_BINARY="$program" VERDALIS_DIFF_FAILURES="$failures" VERDALIS_DIFF_SEED="$seed" \
     VERDALIS_DIFF_CASES="$cases" VERDALIS_DIFF_MAXN="$maxn" VERDALIS_DIFF_TIMEOUT="${timeout:-900}" \
     "$suite" --gtest_filter='Random/*:Sparse/*' > "$logs/seed$seed.log" 2>&1; then
    note "  $(grep '\[ differential \]' "$logs/seed$seed.log" | sed 's/.*\] //'), no mismatch"
  else
    failed=1
    note "  mismatches in: $(grep -o 'case seed[0-9]*_[a-z]*[0-9]*' "$logs/seed$seed.log" | sort -u | tr '\n' ' ')"
    note "  kept under $failures; each one's report.txt says how to rerun it alone"
  fi
done

# Makes a seeded landscape under $inputs; prints its folder.
generate() {
  local name="$1"; shift
  mkdir -p "$inputs/$name"
  "$generator" "$@" --out-nodes "$inputs/$name/nodes.txt" --out-connections "$inputs/$name/connections.txt" || return 1
  printf '%s\n' "$inputs/$name"
}

if [ "$generated" = 1 ]; then
  if [ -x "$generator" ]; then
    # Sparse geometric landscapes: the fast engine's searches over link lists
    # and its threads; the reference needs up to minutes for each.
    f="$(generate gen300 --nodes 300 --seed 11 --within 1500)" && {
      base="-nodeFile $f/nodes.txt -conFile $f/connections.txt -t dist notall"
      compare gen300_double $base -confAdj 1000 -confProb 1000 0.5 -NC -H -IIC -PC -BCIIC -BCPC -wprobmax
      compare gen300_simple_heur $base -confAdj 800 -confProb 1000 0.5 -IIC -PC -pcHeur 0.05 -simple
    }
    f="$(generate gen500 --nodes 500 --seed 14 --within 1200)" && {
      compare gen500_double -nodeFile "$f/nodes.txt" -conFile "$f/connections.txt" -t dist notall \
        -confAdj 1000 -confProb 1000 0.5 -IIC -PC -LCP -CCP
    }
    f="$(generate gen200_add --nodes 200 --seed 12 --within 2500 --candidates 3)" && {
      base="-nodeFile $f/nodes.txt -conFile $f/connections.txt -t dist notall -add"
      compare gen200_add_double $base -confAdj 1000 -confProb 1000 0.5 -NC -H -IIC -PC -BCPC
      compare gen200_add_simple $base -confAdj 800 -confProb 1000 0.5 -IIC -PC -pcHeur all -simple
    }
    f="$(generate gen150_full --nodes 150 --seed 13 --full)" && {
      compare gen150_full_double -nodeFile "$f/nodes.txt" -conFile "$f/connections.txt" -t dist all \
        -confAdj 1000 -confProb 1000 0.5 -NC -H -IIC -PC -BCIIC -BCPC -wprobmax
    }
    # Link analyses: every pair of a landscape just above the size where the
    # searches switch to link lists.
    f="$(generate gen70_links --nodes 70 --seed 15 --within 3000 --change)" && {
      base="-nodeFile $f/nodes.txt -conFile $f/connections.txt -t dist notall -change"
      compare gen70_links_double $base -confAdj 1000 -confProb 1000 0.5 -IIC -PC -NL -removal -improvement
      compare gen70_links_simple $base -confAdj 1000 -confProb 1000 0.5 -IIC -PC -H -simple -pcHeur 0.1 \
        -removal maxValue 1500 -improvement maxValue 800
    }
  else
    note "no $generator: generated landscapes skipped"
  fi
fi

# The sparse form against the dense one; see the top of the file.
if [ "$sparse" = 1 ]; then
  if [ -x "$generator" ]; then
    baseline="-dense"
    run_limit=3600
    analyses=("-NC -IIC -PC" "-PC -pcHeur 0.005" "-H -IIC -BCIIC" "-F -AWF -CCP -LCP")
    run=0
    for size in $sparse_sizes; do
      other=0
      for seed in $sparse_seeds; do
        side="$(awk -v n="$size" 'BEGIN { printf "%d", 1200 * sqrt(n) }')"
        within=2500 extra=() add=""
        if [ "$other" = 1 ]; then
          within=1500 extra=(--candidates $((size / 100))) add="-add"
        fi
        other=$((1 - other))
        name="sparse${size}_seed${seed}"
        f="$(generate "$name" --nodes "$size" --seed "$seed" --within "$within" --side "$side" "${extra[@]}")" || {
          failed=1; note "gen_landscape failed for $name"; continue; }
        base="-nodeFile $f/nodes.txt -conFile $f/connections.txt -t dist notall $add -confAdj 1000 -confProb 1000 0.5"
        for options in "${analyses[@]}"; do
          threads=$((run % 2 + 1))
          precision=""
          [ $((run % 3)) = 2 ] && precision="-simple"
          label="$(printf '%s' "$options" | tr -d ' -' | tr 'A-Z.' 'a-z_')"
          compare "${name}_${label}_t${threads}${precision:+_simple}" $base $options -threads $threads $precision
          run=$((run + 1))
        done
      done
    done
    baseline=""
    run_limit=900
  else
    note "no $generator: sparse landscapes skipped"
  fi
fi

if [ "$real" = 1 ]; then
  olinda="$data/olinda_vegetation"
  islands="$data/archipelago_sea_islands"
  if [ -f "$olinda/nodes.txt" ] && [ -f "$olinda/distances_all.txt" ]; then
    base="-nodeFile $olinda/nodes.txt -conFile $olinda/distances_all.txt -t dist all"
    compare olinda_overall $base -confAdj 200 -confProb 200 0.5 -landArea 9978.3 -NC -NL -H -CCP -LCP -IIC -F -AWF -PC onlyoverall -wprobmax -wlinks -wcomp
    compare olinda_betweenness $base -confAdj 200 -confProb 200 0.5 -NC -IIC -PC -BC -BCIIC -BCPC -pcHeur all
    compare olinda_removal $base -confAdj 200 -confProb 200 0.5 -landArea 9978.3 -NC -IIC -PC -H
    compare olinda_removal_simple $base -confAdj 200 -confProb 200 0.5 -IIC -PC -simple -pcHeur 0.01
    if [ "$slow" = 1 ]; then
      compare olinda_full $base -confAdj 200 -confProb 200 0.5 -landArea 9978.3 -NC -IIC -PC -BC -BCIIC -BCPC
    fi
  else
    note "no $olinda: skipped"
  fi
  if [ -f "$islands/nodes.txt" ] && [ -f "$islands/distances_within_5000.txt" ]; then
    base="-nodeFile $islands/nodes.txt -conFile $islands/distances_within_5000.txt -t dist notall"
    compare islands_binary_overall $base -confAdj 1000 -NC -NL -H -CCP -LCP -IIC -BC onlyoverall -wcomp
    # The first islands of the file with the pairs among them: a real sparse
    # landscape small enough for the full node analysis of the reference.
    part="$inputs/islands400"
    mkdir -p "$part"
    head -n 400 "$islands/nodes.txt" > "$part/nodes.txt"
    awk 'NR == FNR { keep[$1] = 1; next } ($1 in keep) && ($2 in keep)' "$part/nodes.txt" \
      "$islands/distances_within_5000.txt" > "$part/connections.txt"
    pbase="-nodeFile $part/nodes.txt -conFile $part/connections.txt -t dist notall"
    compare islands400_removal $pbase -confAdj 1000 -confProb 1000 0.5 -NC -IIC -PC -H -BCIIC -BCPC
    compare islands400_removal_heur $pbase -confAdj 1000 -confProb 1000 0.5 -IIC -PC -pcHeur 0.01 -simple
    if [ "$slow" = 1 ]; then
      compare islands_overall $base -confAdj 1000 -confProb 1000 0.5 -NC -IIC -PC onlyoverall
    fi
  else
    note "no $islands: skipped"
  fi
fi

if [ "$failed" = 0 ]; then
  note "sweep done: no mismatch"
else
  note "sweep done: MISMATCHES found, kept under $failures"
fi
exit "$failed"
