#!/usr/bin/env bash
# Cost as the landscape grows: wall time and peak memory of
#   overall indices   -NC -IIC -PC -pcHeur 0.005 onlyoverall
#                     at n = 10,000, 30,000, 100,000, 300,000 and 1,000,000
#   node importances  -PC -pcHeur 0.005
#                     at n = 10,000, 30,000 and 100,000
# on the benchmarks' landscapes (gen_landscape --within 2500 --side 12n
# --seed 17, with -t dist notall -confAdj 1000 -confProb 1000 0.5), then a
# table and, for each curve, the least-squares slope of log(time) and of
# log(peak memory) against log(n): 1 is linear growth, 2 quadratic. The
# processor time (user and system) is shown too: on a shared machine it
# varies less than the wall time.
#
# Usage: tools/cost_curves.sh [options]
#   --build DIR        folder with verdalis and gen_landscape (default: build)
#   --dir DIR          inputs and run folders (default: $VERDALIS_BENCH_DIR,
#                      or /tmp/verdalis-bench, shared with the benchmarks)
#   --max-overall N    largest n of the overall curve (default 1000000)
#   --max-nodes N      largest n of the node-importance curve (default
#                      100000; 0 leaves the curve out)
#   --limit S          stop a run after S seconds (default 1800); it is
#                      reported as "timeout"
#   --options "..."    more options for every run, e.g. "-dense" or
#                      "-threads 1"
#   --keep-density     side 1200 sqrt(n) instead of 12n: the density of
#                      10,000 patches on 120 km at every size (some thirty
#                      pairs per patch), so that the pairs grow with n
#                      (at 1,000,000 patches some 38 million lines, 700 MB)
#
# A run that ends with "error23" (memory exhausted) or a time-out is shown
# as such and left out of the slopes; its memory says nothing about the
# landscape (the allocation that failed is not counted). Each run's
# standard output and error are kept beside its folder under --dir.
# The connection lines of each landscape are shown too: with the side
# growing as 12n the area grows as n^2, and the pairs within 2500 m stay
# near 400,000 from 10,000 patches (36 per patch) to 1,000,000 (0.4 per
# patch); --keep-density gives curves at one density.
set -uo pipefail

build=build
dir="${VERDALIS_BENCH_DIR:-/tmp/verdalis-bench}"
max_overall=1000000
max_nodes=100000
limit=1800
extra=""
keep_density=0

while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --dir) dir="$2"; shift 2 ;;
    --max-overall) max_overall="$2"; shift 2 ;;
    --max-nodes) max_nodes="$2"; shift 2 ;;
    --limit) limit="$2"; shift 2 ;;
    --options) extra="$2"; shift 2 ;;
    --keep-density) keep_density=1; shift ;;
    -h|--help) sed -n '2,/^set -uo/p' "$0" | sed '$d'; exit 0 ;;
    *) echo "unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done

for number in "$max_overall" "$max_nodes" "$limit"; do
  case "$number" in
    ''|*[!0-9]*) echo "not a whole number: '$number'" >&2; exit 2 ;;
  esac
done
build="$(cd "$build" 2>/dev/null && pwd)" || { echo "no build folder $build" >&2; exit 2; }
program="$build/verdalis"
generator="$build/gen_landscape"
for needed in "$program" "$generator"; do
  [ -x "$needed" ] || { echo "missing $needed: build the targets verdalis and gen_landscape" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian: apt-get install time)" >&2; exit 2; }
mkdir -p "$dir" && dir="$(cd "$dir" && pwd)"

note() { printf '%s %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# The files of the landscape of n patches (the benchmarks' names for side 12n).
tag() { printf '%s_within2500%s' "$1" "$([ "$keep_density" = 1 ] && echo _dense)"; }

# The landscape of n patches, made once; prints the arguments naming it.
landscape() {
  local n="$1" side=$((12 * $1))
  [ "$keep_density" = 1 ] && side="$(awk -v n="$n" 'BEGIN { printf "%d", 1200 * sqrt(n) }')"
  local nodes="$dir/nodes_$(tag "$n").txt" connections="$dir/connections_$(tag "$n").txt"
  if [ ! -f "$connections" ]; then
    note "generating $n patches on a side of $side m"
    "$generator" --nodes "$n" --seed 17 --within 2500 --side "$side" \
      --out-nodes "$nodes" --out-connections "$connections" || return 1
  fi
  printf '%s\n' "-nodeFile $nodes -conFile $connections -t dist notall -confAdj 1000 -confProb 1000 0.5"
}

# One run, measured; appends "curve n lines status seconds peak_MB cpu_s"
# to $rows.
measure() {
  local curve="$1" n="$2" options="$3"
  local inputs folder lines status seconds kilobytes code user system
  inputs="$(landscape "$n")" || { printf '%s %s - generator-failed - - -\n' "$curve" "$n" >> "$rows"; return; }
  lines="$(wc -l < "$dir/connections_$(tag "$n").txt")"
  folder="$dir/cost_${curve}_$(tag "$n")"
  rm -rf "$folder" && mkdir -p "$folder"
  note "$curve n=$n: verdalis $options $extra (limit $limit s)"
  # shellcheck disable=SC2086  # the option texts are lists of words
  (cd "$folder" && /usr/bin/time -f '%e %M %x %U %S' -o "$folder.time" \
    timeout --kill-after=30 "$limit" "$program" $inputs $options $extra > "$folder.stdout" 2> "$folder.stderr")
  read -r seconds kilobytes code user system < <(tail -n 1 "$folder.time")
  if [ "$code" = 124 ] || [ "$code" = 137 ]; then status=timeout
  elif grep -q error23 "$folder.stdout"; then status=error23
  elif [ "$code" = 0 ]; then status=ok
  else status="exit$code"
  fi
  printf '%s %s %s %s %s %s %s\n' "$curve" "$n" "$lines" "$status" "$seconds" \
    "$(awk -v k="$kilobytes" 'BEGIN { printf "%.0f", k / 1024 }')" \
    "$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')" >> "$rows"
}

rows="$(mktemp "${TMPDIR:-/tmp}/verdalis_cost_XXXXXX")"
trap 'rm -f "$rows"' EXIT

for n in 10000 30000 100000 300000 1000000; do
  [ "$n" -le "$max_overall" ] && measure overall "$n" "-NC -IIC -PC -pcHeur 0.005 onlyoverall"
done
for n in 10000 30000 100000; do
  [ "$n" -le "$max_nodes" ] && measure nodes "$n" "-PC -pcHeur 0.005"
done

# The table, then per curve the slopes over the runs that ended well.
awk '
  BEGIN { printf "%-8s %9s %10s %-9s %10s %9s %10s\n", "curve", "n", "lines", "status", "seconds", "peak_MB", "cpu_s" }
  {
    printf "%-8s %9s %10s %-9s %10s %9s %10s\n", $1, $2, $3, $4, $5, ($4 == "error23" ? $6 "*" : $6), $7
    seen[$1] = 1
    if ($4 != "ok" || $5 <= 0 || $6 <= 0) next
    k = ++count[$1]; x = log($2); sx[$1] += x; sxx[$1] += x * x
    st[$1] += log($5); sxt[$1] += x * log($5); sm[$1] += log($6); sxm[$1] += x * log($6)
  }
  END {
    print "(* memory of a run that ended with error23: not meaningful)"
    split("overall nodes", curves, " ")
    for (i = 1; i <= 2; ++i) {
      c = curves[i]
      if (!(c in seen)) continue
      k = count[c] + 0; d = k * sxx[c] - sx[c] * sx[c]
      if (k < 2 || d <= 0) { printf "%s: slopes need two sizes that ran to the end (%d did)\n", c, k; continue }
      printf "%s: slope of log(time) %.2f, of log(peak memory) %.2f against log(n), over %d sizes\n", c,
        (k * sxt[c] - sx[c] * st[c]) / d, (k * sxm[c] - sx[c] * sm[c]) / d, k
    }
  }' "$rows"
