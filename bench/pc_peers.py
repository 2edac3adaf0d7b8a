#!/usr/bin/python3
"""PC of a landscape the way a Python user computes it with a graph
library, for the overall-PC benchmark (overall_pc_bench.cpp): best-path
distances -ln p from every source, in blocks of 500 sources, then the sum
of a_i a_j exp(-d_ij) over every ordered pair, a node with itself included.

    pc_peers.py GRAPH            GRAPH: the benchmark's binary graph file

The file holds n (int32), the n attributes (float32), the number of pairs
m (int64) and then m origins (int32), m targets (int32) and m weights
(float32): the search weights of verdalis itself, so that all three walk the
same graph. The products of attributes are formed in single precision, as
verdalis forms them. Prints one line per peer: its name, the processor
seconds of its searches and sum (the graph built from the arrays included),
the wall seconds of the same, and the sum. Processor time, since the
machine may be shared; the peers run on one thread.
Uses Debian's python3-scipy and python3-igraph (run with /usr/bin/python3).
"""
import sys
import time

import numpy as np

BLOCK = 500


def read_graph(path):
    with open(path, "rb") as f:
        n = int(np.fromfile(f, dtype=np.int32, count=1)[0])
        sizes = np.fromfile(f, dtype=np.float32, count=n)
        m = int(np.fromfile(f, dtype=np.int64, count=1)[0])
        origins = np.fromfile(f, dtype=np.int32, count=m)
        targets = np.fromfile(f, dtype=np.int32, count=m)
        weights = np.fromfile(f, dtype=np.float32, count=m)
    return n, sizes, origins, targets, weights


def block_sum(sizes, first, distances):
    """The terms of the sources first.. for a block of distance rows."""
    rows = sizes[first:first + distances.shape[0]]
    products = (rows[:, None] * sizes[None, :]).astype(np.float64)  # float32 products
    return float((products * np.exp(-distances)).sum())


def with_scipy(n, sizes, origins, targets, weights):
    from scipy.sparse import csr_matrix
    from scipy.sparse.csgraph import dijkstra

    started = time.process_time(), time.perf_counter()
    # Explicit zeros stay edges in a sparse csgraph.
    graph = csr_matrix((weights.astype(np.float64), (origins, targets)), shape=(n, n))
    total = 0.0
    for first in range(0, n, BLOCK):
        sources = np.arange(first, min(n, first + BLOCK))
        total += block_sum(sizes, first, dijkstra(graph, directed=True, indices=sources))
    return time.process_time() - started[0], time.perf_counter() - started[1], total


def with_igraph(n, sizes, origins, targets, weights):
    import igraph

    started = time.process_time(), time.perf_counter()
    graph = igraph.Graph(n=n, edges=list(zip(origins.tolist(), targets.tolist())), directed=True)
    graph.es["weight"] = weights.astype(np.float64).tolist()
    total = 0.0
    for first in range(0, n, BLOCK):
        sources = list(range(first, min(n, first + BLOCK)))
        rows = np.array(graph.distances(source=sources, weights="weight", mode="out"), dtype=np.float64)
        total += block_sum(sizes, first, rows)
    return time.process_time() - started[0], time.perf_counter() - started[1], total


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    graph = read_graph(sys.argv[1])
    for name, peer in (("scipy", with_scipy), ("igraph", with_igraph)):
        seconds, wall, total = peer(*graph)
        print(f"{name} {seconds:.3f} {wall:.3f} {total!r}", flush=True)


if __name__ == "__main__":
    main()
