#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with clang and runs each one
# for a short while (30 s by default, FUZZ_SECONDS to change) on a copy of
# its corpus in tests/fuzz/corpus. Any crash, hang, leak or sanitizer report
# fails the script; the input that caused it is kept in the build folder.
# Without clang it says so and succeeds, since the harnesses need it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-30}"
build="${FUZZ_BUILD:-build-fuzz}"
jobs="${JOBS:-2}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz_smoke: clang++ not found; the fuzz harnesses were not built (install clang and libclang-rt-14-dev)"
  exit 0
fi

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVERDALIS_FUZZ=ON -DVERDALIS_TESTS=OFF >/dev/null
harnesses=(fuzz_arguments fuzz_node_file fuzz_connection_file fuzz_run)
cmake --build "$build" -j"$jobs" --target "${harnesses[@]}"

root="$(pwd)"
failed=0
for harness in "${harnesses[@]}"; do
  name="${harness#fuzz_}"
  work="$root/$build/fuzz-corpus/$name"
  findings="$root/$build/fuzz-findings"
  mkdir -p "$work" "$findings"
  cp -n "$root/tests/fuzz/corpus/$name/"* "$work/" 2>/dev/null || true
  options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -max_len=1024
           -artifact_prefix="$findings/$name-" -print_final_stats=1)
  [ -f "$root/tests/fuzz/$name.dict" ] && options+=(-dict="$root/tests/fuzz/$name.dict")
  echo "fuzz_smoke: $harness for ${seconds}s"
  log="$root/$build/$harness.log"
  if "$root/$build/$harness" "${options[@]}" "$work" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "fuzz_smoke: $harness passed, $runs inputs"
  else
    echo "fuzz_smoke: $harness FAILED; see $log and $findings"
    grep -E "ERROR|SUMMARY|runtime error" "$log" | head -5 || true
    failed=1
  fi
done
exit "$failed"
