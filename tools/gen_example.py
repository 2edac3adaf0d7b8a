#!/usr/bin/env python3
"""Generates the small example landscape bundled with Verdalis.

Habitat patches are grouped in a few clusters over a 12 km x 12 km area, as
woodland remnants often are. Each patch is a disc whose area (in hectares)
follows a lognormal law; the distance between two patches is measured from
edge to edge in metres, so neighbouring patches of one cluster lie a few
hundred metres apart and clusters a few kilometres apart. With a dispersal
distance of 1000 m the example has several components, links inside the
clusters and a few stepping stones between them.

The output is seeded and written with fixed decimals, so the same seed always
gives byte-identical files:
  nodes.txt      ID<TAB>area, one patch per line
  distances.txt  ID1 ID2 distance, one line for every ordered pair of patches
"""

import argparse
import math
import os
import random

SIDE_M = 12000.0
CLUSTER_SPREAD_M = 700.0
AREA_MEDIAN_HA = 4.0
AREA_SIGMA = 1.0


def cluster_centres(rng, count):
    """Cluster centres kept at least 2.5 km apart, so that clusters stay distinct."""
    centres = []
    while len(centres) < count:
        x = rng.uniform(1500.0, SIDE_M - 1500.0)
        y = rng.uniform(1500.0, SIDE_M - 1500.0)
        if all(math.hypot(x - cx, y - cy) >= 2500.0 for cx, cy in centres):
            centres.append((x, y))
    return centres


def make_patches(rng, patches, clusters):
    """Returns (id, area_ha, x, y, radius_m) for every patch, overlaps rejected."""
    centres = cluster_centres(rng, clusters)
    made = []
    while len(made) < patches:
        cx, cy = centres[len(made) % clusters]
        area = round(AREA_MEDIAN_HA * math.exp(rng.gauss(0.0, AREA_SIGMA)), 2)
        area = max(area, 0.05)
        radius = math.sqrt(area * 10000.0 / math.pi)
        x = rng.gauss(cx, CLUSTER_SPREAD_M)
        y = rng.gauss(cy, CLUSTER_SPREAD_M)
        if not (0.0 <= x <= SIDE_M and 0.0 <= y <= SIDE_M):
            continue
        if any(math.hypot(x - px, y - py) < radius + pr + 20.0 for _, _, px, py, pr in made):
            continue
        made.append((len(made) + 1, area, x, y, radius))
    return made


def edge_distance(a, b):
    return max(0.0, math.hypot(a[2] - b[2], a[3] - b[3]) - a[4] - b[4])


def write_files(patches, out_dir):
    with open(os.path.join(out_dir, "nodes.txt"), "w", newline="\n") as nodes:
        for pid, area, _, _, _ in patches:
            nodes.write(f"{pid}\t{area:.2f}\n")
    with open(os.path.join(out_dir, "distances.txt"), "w", newline="\n") as distances:
        for a in patches:
            for b in patches:
                if a[0] != b[0]:
                    distances.write(f"{a[0]} {b[0]} {edge_distance(a, b):.1f}\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=20240611)
    parser.add_argument("--patches", type=int, default=40)
    parser.add_argument("--clusters", type=int, default=5)
    parser.add_argument("--out", default=os.path.join(here, "..", "examples"))
    args = parser.parse_args()
    if args.patches < 2 or args.clusters < 1:
        parser.error("at least 2 patches and 1 cluster are needed")
    rng = random.Random(args.seed)
    patches = make_patches(rng, args.patches, args.clusters)
    os.makedirs(args.out, exist_ok=True)
    write_files(patches, args.out)
    print(f"{len(patches)} patches written to {os.path.normpath(args.out)}")


if __name__ == "__main__":
    main()
