#!/usr/bin/python3
"""Verdalis's least-cost distances against scikit-image's MCP_Geometric.

The same rule on both sides: 8 neighbours, a step costs the mean of its two
cells' resistances times the distance between their centres. The patches are
the 8-connected groups of a habitat raster on the resistance grid, numbered in
row-major scan order as verdalis-prep numbers them. For every patch,
MCP_Geometric searches from its cells over the whole raster, and the cost of a
pair is the least cumulative cost over the later patch's cells. (Giving it the
later patches' cells as ends, with find_all_ends, would let it stop as
Verdalis does once all are met, but makes each search about 15 times slower
with scikit-image 0.19: its fastest use is the one measured.) Verdalis runs on one thread (--threads 1). Times are processor times:
verdalis-prep's whole run (reading and writing included) against the
searches alone on the scikit-image side.

Usage (Debian's python3 with python3-skimage, python3-gdal, python3-scipy):
  /usr/bin/python3 gis/tools/bench_least_cost_skimage.py build/verdalis-prep RESISTANCE.tif HABITAT.tif [--searches K]
With --searches K only the first K scikit-image searches are run (and timed,
and compared); the full time is then estimated from them.
"""
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
from osgeo import gdal
from scipy import ndimage
from skimage.graph import MCP_Geometric


def run_verdalis(prep, resistance, habitat, folder):
    nodes, connections = os.path.join(folder, "n.txt"), os.path.join(folder, "c.txt")
    command = ["/usr/bin/time", "-f", "%U %S %M", prep, habitat, "--habitat", "1", "--resistance", resistance,
               "--threads", "1", "--decimals", "6", "--nodes", nodes, "--connections", connections]
    done = subprocess.run(command, capture_output=True, text=True, check=True)
    user, system, peak = done.stderr.strip().splitlines()[-1].split()
    costs = {}
    with open(connections) as lines:
        for line in lines:
            a, b, cost = line.split()
            costs[(int(a), int(b))] = float(cost)
    return float(user) + float(system), int(peak), costs


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    prep, resistance, habitat = sys.argv[1:4]
    searches = int(sys.argv[sys.argv.index("--searches") + 1]) if "--searches" in sys.argv else None
    with tempfile.TemporaryDirectory() as folder:
        verdalis_seconds, peak_kb, verdalis_costs = run_verdalis(prep, resistance, habitat, folder)
    grid = gdal.Open(resistance)
    cell = grid.GetGeoTransform()[1]
    costs = grid.GetRasterBand(1).ReadAsArray().astype(np.float64)
    labels, count = ndimage.label(gdal.Open(habitat).ReadAsArray() == 1, structure=np.ones((3, 3)))
    cells = [np.argwhere(labels == k) for k in range(1, count + 1)]
    run = count - 1 if searches is None else min(searches, count - 1)
    worst, compared, missing = 0.0, 0, 0
    started = time.process_time()
    for a in range(run):
        mcp = MCP_Geometric(costs, fully_connected=True)
        cumulative, _ = mcp.find_costs([tuple(c) for c in cells[a]])
        for b in range(a + 1, count):
            theirs = cumulative[cells[b][:, 0], cells[b][:, 1]].min() * cell
            ours = verdalis_costs.get((a + 1, b + 1))
            if ours is None:
                missing += 1
                continue
            worst = max(worst, abs(ours - theirs) / max(theirs, 1e-300))
            compared += 1
    skimage_seconds = time.process_time() - started
    # Every search covers the whole raster, so each takes about as long.
    estimate = skimage_seconds * (count - 1) / run
    print(f"{count} patches on {costs.shape[1]} x {costs.shape[0]} cells of {cell:g} m")
    print(f"verdalis-prep --threads 1: {verdalis_seconds:.1f} s processor time (whole run), peak {peak_kb / 1024:.0f} MB")
    label = "" if run == count - 1 else f" (the first {run} searches; all {count - 1} estimated at {estimate:.0f} s)"
    print(f"MCP_Geometric: {skimage_seconds:.1f} s processor time for {run} searches{label}")
    print(f"ratio: {estimate / verdalis_seconds:.1f} times faster")
    print(f"costs compared: {compared} pairs, largest relative difference {worst:.2e}; pairs missing in Verdalis: {missing}")


if __name__ == "__main__":
    main()
