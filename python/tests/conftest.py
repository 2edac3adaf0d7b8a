"""Shared pieces of the package's tests: where the built programs are, the
tables of the files, and the results written as the program writes them.

The programs come from the build folder of `make` (VERDALIS_BUILD, default
build/ at the top of the tree); tests that need one are skipped without it.
"""

import os
import subprocess
from pathlib import Path

import numpy as np
import pandas as pd
import pytest

import verdalis

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("VERDALIS_BUILD", ROOT / "build"))
EXAMPLES = ROOT / "examples"


def program(name):
    path = BUILD / name
    if not path.is_file():
        pytest.skip(f"{path} is not built (make, or set VERDALIS_BUILD)")
    return str(path)


def read_table(path, names):
    """A node or connection file as verdalis reads it: identifiers as whole
    numbers, values parsed straight to single precision."""
    text = Path(path).read_text().split()
    rows = np.array(text, dtype=object).reshape(-1, len(names))
    table = {}
    for k, name in enumerate(names):
        column = rows[:, k]
        table[name] = column.astype(np.int64) if name in ("id", "candidate", "from", "to") else column.astype(np.float32)
    return pd.DataFrame(table)


def run_program(folder, arguments):
    """The program's run in folder; its exit status."""
    done = subprocess.run([program("verdalis")] + arguments, cwd=folder, capture_output=True, text=True)
    return done.returncode


def number_text(value):
    # The six significant digits of a standard stream, "nan" and "inf" alike.
    return "%g" % value


def table_text(frame):
    """A result table as its file has it: every cell followed by a tab."""
    lines = ["".join(name + "\t" for name in frame.columns)]
    columns = []
    for name in frame.columns:
        values = frame[name].to_numpy()
        columns.append([str(v) for v in values] if values.dtype.kind in "iu" else [number_text(v) for v in values])
    for row in zip(*columns):
        lines.append("".join(cell + "\t" for cell in row))
    return "\n".join(lines) + "\n"


def overall_text(results):
    return "".join(f"{label}\t{number_text(value)}\n" for label, value in results.overall.items())


def components_text(frame):
    return "Node\tComponent\n" + "".join(f"{a}\t{b}\n" for a, b in zip(frame["Node"], frame["Component"]))


@pytest.fixture
def example():
    nodes = read_table(EXAMPLES / "nodes.txt", ["id", "attribute"])
    links = read_table(EXAMPLES / "distances.txt", ["from", "to", "value"])
    return nodes, links
