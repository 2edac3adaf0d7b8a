#!/usr/bin/env python3
"""The Python package against the program, side by side: the same landscape
and options through `verdalis` (reading the files, writing the results) and
through verdalis.analyse() on arrays in a fresh interpreter, alternately,
each run in a process of its own. For each it gives the wall time, the
processor time (every thread) and the peak memory; for Python also the
memory before the call (interpreter, numpy, pandas and the input arrays)
and the arrays' own size, and it checks that the overall indices are the
same text.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_vs_cli.py build [runs]

Targets: S1 (100,000 patches within 2500 m on a side of 1,200 km, -NC -IIC
-PC -pcHeur 0.005 onlyoverall; README, "Large landscapes") and target 2
(1000 patches, every pair, -IIC -PC, node importances;
docs/engine-and-speed.md), both with -confAdj 1000 -confProb 1000 0.5 and
the generator's seed 17. Inputs go to $VERDALIS_BENCH_DIR or
/tmp/verdalis-bench, named as bench/targets_bench's, and are reused.
"""

import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

TARGETS = {
    "S1": dict(n=100000, within=2500, indices=["NC", "IIC", "PC"],
               options=dict(pc_heur=0.005, only_overall=True)),
    "target 2": dict(n=1000, within=0, indices=["IIC", "PC"], options={}),
}
THRESHOLDS = dict(conf_adj=1000, conf_prob=(1000, 0.5))

# The Python side, in a child interpreter: reads the files into int32 and
# float32 columns, then times the call alone.
CHILD = r"""
import json, sys, time
import numpy as np, pandas as pd
import verdalis

def status(field):
    for line in open("/proc/self/status"):
        if line.startswith(field):
            return int(line.split()[1]) * 1024
start_rss = status("VmRSS:")
job = json.loads(sys.argv[1])
nodes = pd.read_csv(job["nodes"], sep=r"\s+", header=None, names=["id", "attribute"],
                    dtype={"id": np.int32, "attribute": np.float32}, engine="c")
links = pd.read_csv(job["pairs"], sep=r"\s+", header=None, names=["from", "to", "value"],
                    dtype={"from": np.int32, "to": np.int32, "value": np.float32}, engine="c")
arrays = {k: v.to_numpy() for k, v in list(nodes.items()) + list(links.items())}
before = status("VmRSS:")
with open("/proc/self/clear_refs", "w") as peak:  # the peak so far was reading the tables
    peak.write("5")
wall, cpu = time.monotonic(), time.process_time()
r = verdalis.analyse({k: arrays[k] for k in ("id", "attribute")}, {k: arrays[k] for k in ("from", "to", "value")},
                     job["indices"], all=job["all"], conf_prob=tuple(job["conf_prob"]), progress=False,
                     **{k: v for k, v in job["options"].items()})
table = r.nodes if not job["options"].get("only_overall") else None
wall, cpu = time.monotonic() - wall, time.process_time() - cpu
print(json.dumps(dict(wall=wall, cpu=cpu, peak=status("VmHWM:"), before=before, start=start_rss,
                      arrays=sum(a.nbytes for a in arrays.values()),
                      overall="".join("%s\t%g\n" % item for item in r.overall.items()))))
"""


def inputs(build, folder, n, within):
    tag = f"{n}_within{within}" if within else f"{n}_full"
    nodes, pairs = folder / f"nodes_{tag}.txt", folder / f"connections_{tag}.txt"
    if not pairs.exists():
        shape = ["--within", str(within), "--side", str(12 * n)] if within else ["--full"]
        subprocess.run([str(build / "gen_landscape"), "--nodes", str(n), "--seed", "17", "--out-nodes", str(nodes),
                        "--out-connections", str(pairs)] + shape, check=True)
    return nodes, pairs


def command_line(nodes, pairs, target):
    words = ["-nodeFile", str(nodes), "-conFile", str(pairs), "-t", "dist", "notall" if target["within"] else "all"]
    words += ["-" + name for name in target["indices"]]
    words += ["-confAdj", "1000", "-confProb", "1000", "0.5"]
    if "pc_heur" in target["options"]:
        words += ["-pcHeur", str(target["options"]["pc_heur"])]
    if target["options"].get("only_overall"):
        words.append("onlyoverall")
    return words


def timed_child(command, cwd):
    """Wall time, processor time and peak memory of a child process (its
    own, from wait4: the peak of all children would be the largest so far)."""
    wall = time.monotonic()
    with tempfile.TemporaryFile("w+") as out:
        child = subprocess.Popen(command, cwd=cwd, stdout=out, stderr=subprocess.DEVNULL, text=True)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        wall = time.monotonic() - wall
        if child.returncode != 0:
            sys.exit(f"{command[0]} ended with status {child.returncode}")
        out.seek(0)
        return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024, out.read()


def main():
    build = Path(sys.argv[1] if len(sys.argv) > 1 else "build").resolve()
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    folder = Path(os.environ.get("VERDALIS_BENCH_DIR", "/tmp/verdalis-bench"))
    folder.mkdir(parents=True, exist_ok=True)
    mb = 1 / 1e6
    for name, target in TARGETS.items():
        nodes, pairs = inputs(build, folder, target["n"], target["within"])
        job = dict(nodes=str(nodes), pairs=str(pairs), indices=target["indices"], all=not target["within"],
                   conf_prob=THRESHOLDS["conf_prob"], options=dict(target["options"], conf_adj=1000))
        print(f"{name}: {' '.join(command_line(nodes, pairs, target))}")
        for k in range(runs):
            with tempfile.TemporaryDirectory() as run:
                wall, cpu, peak, _ = timed_child([str(build / "verdalis")] + command_line(nodes, pairs, target), run)
                expected = (Path(run) / "overall_indices.txt").read_text()
            print(f"  run {k + 1}: verdalis   {wall:7.2f} s, processor {cpu:7.2f} s, peak {peak * mb:7.1f} MB")
            _, _, _, out = timed_child([sys.executable, "-c", CHILD, json.dumps(job)], None)
            p = json.loads(out)
            print(f"         analyse()  {p['wall']:7.2f} s, processor {p['cpu']:7.2f} s, peak {p['peak'] * mb:7.1f} MB "
                  f"({(p['peak'] - p['before']) * mb:.1f} MB above the {p['before'] * mb:.1f} MB before the call, "
                  f"of which {(p['before'] - p['start']) * mb:.1f} MB the tables read and "
                  f"{p['arrays'] * mb:.1f} MB their arrays); "
                  f"call/program {p['wall'] / wall:.3f} in wall time, {p['cpu'] / cpu:.3f} in processor time; "
                  f"overall indices {'the same' if p['overall'] == expected else 'DIFFERENT'}")


if __name__ == "__main__":
    main()
