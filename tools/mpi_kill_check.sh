#!/usr/bin/env bash
# What a job of verdalis-mpi does when the system kills one of its processes
# mid-run (out of memory, a node lost): mpirun ends the job with a message
# that names the killed process, within seconds, with a non-zero status, and
# no result file is left behind half-written.
#   tools/mpi_kill_check.sh [build folder]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1
"$build/gen_landscape" --nodes 700 --seed 5 --out-nodes "$work/nodes.txt" --out-connections "$work/connections.txt" \
  --full >/dev/null
mkdir "$work/run"
cd "$work/run"
mpirun --oversubscribe -np 3 "$build/verdalis-mpi" -nodeFile ../nodes.txt -conFile ../connections.txt -t dist all \
  -confAdj 1000 -confProb 1000 0.5 -IIC -PC -removal -threads 1 >stdout 2>stderr &
job=$!
# The second process, once the run is under way.
victim=""
for _ in $(seq 1 50); do
  sleep 0.2
  victim=$(pgrep -P "$job" -f verdalis-mpi | sed -n 2p || true)
  [ -n "$victim" ] && break
done
[ -n "$victim" ] || { echo "no process to kill"; exit 1; }
sleep 2
kill -KILL "$victim"
start=$(date +%s)
status=0
wait "$job" || status=$?
took=$(( $(date +%s) - start ))
echo "mpirun ended with status $status, $took s after the kill"
grep -i -E "signal 9|killed" stderr | head -3
[ "$status" -ne 0 ] || { echo "FAIL: the job reported success"; exit 1; }
[ "$took" -le 30 ] || { echo "FAIL: the job took $took s to end"; exit 1; }
grep -q -i -E "signal 9|killed" stderr || { echo "FAIL: no message names the killed process"; cat stderr; exit 1; }
left=$(ls -A | grep -v -E '^(stdout|stderr)$' || true)
[ -z "$left" ] || { echo "FAIL: files left: $left"; exit 1; }
echo "ok: the job ended with a clear message and left no result file"
