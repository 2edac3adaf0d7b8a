"""What a user gets wrong, told the Python way: refused input as
InputRefused with the run's own messages, a landscape that cannot fit as
OutOfMemory, tables and options the package cannot read as ValueError or
TypeError naming the table, column and row; and the next run still runs."""

import numpy as np
import pandas as pd
import pytest

import verdalis

NODES = {"id": [1, 2, 3], "attribute": [10.0, 20.0, 30.0]}
LINKS = {"from": [1, 2, 2, 3], "to": [2, 1, 3, 2], "value": [100.0, 100.0, 100.0, 100.0]}


def test_refused_input_carries_the_run_messages_and_the_next_run_goes_on():
    with pytest.raises(verdalis.InputRefused, match="need conf_prob=\\(D, P\\)") as refused:
        verdalis.analyse(NODES, LINKS, ["PC"])
    assert isinstance(refused.value, verdalis.VerdalisError)
    # A threshold of 0 is not the threshold forgotten: refused as the command line does.
    with pytest.raises(verdalis.InputRefused, match="need conf_adj.*\n.*BCPC needs PC"):
        verdalis.analyse(NODES, LINKS, ["NC", "BCPC"], conf_prob=(100, 0.5))
    with pytest.raises(verdalis.InputRefused, match="confProb 100 0: the probability"):
        verdalis.analyse(NODES, LINKS, ["PC"], conf_prob=(100, 0))
    short = dict(NODES, attribute=[10.0, 20.0])
    with pytest.raises(verdalis.InputRefused, match="nodes has 3 identifiers and 2 attributes"):
        verdalis.analyse(short, LINKS, ["NC"], conf_adj=150)
    r = verdalis.analyse(NODES, LINKS, ["PC"], conf_prob=(100, 0.5), land_area=100)
    assert list(r.nodes["Node"]) == [1, 2, 3] and r.nodes["Node"].dtype == np.int64


def test_a_landscape_that_cannot_fit_is_out_of_memory():
    many = np.arange(1, 300001, dtype=np.int32)
    nodes = {"id": many, "attribute": np.ones(many.size, dtype=np.float32)}
    with pytest.raises(verdalis.OutOfMemory):
        verdalis.analyse(nodes, LINKS, ["PC"], conf_prob=(100, 0.5), dense=True)


def test_values_the_files_could_not_hold_are_reading_problems():
    nodes = dict(NODES, attribute=[10.0, np.nan, 30.0])
    with pytest.warns(verdalis.VerdalisWarning, match="RESULTS WILL BE INVALID"):
        r = verdalis.analyse(nodes, LINKS, ["NC"], conf_adj=150)
    assert r.reading_problems > 0
    assert any("row 2 of nodes, column attribute" in line for line in r.told)


@pytest.mark.parametrize("nodes,links,message", [
    ({"id": [1, 2, 3]}, LINKS, "nodes has no column attribute"),
    (dict(NODES, id=[1, 2.5, 3]), LINKS, "nodes, column id, row 2: 2.5 is not a whole number"),
    (NODES, dict(LINKS, to=[2, 1, 3, 2**31]), "links, column to, row 4: 2147483648 is beyond"),
    (NODES, dict(LINKS, value=["100", "x", "1", "2"]), "links, column value: could not convert"),
    (pd.DataFrame({"id": pd.array([1, None, 3], dtype="Int64"), "attribute": [1.0, 2.0, 3.0]}), LINKS,
     "nodes, column id, row 2: nan"),
    (np.ones((3, 5)), LINKS, "nodes: a two-dimensional array has the columns id, attribute, candidate"),
])
def test_tables_that_cannot_be_read(nodes, links, message):
    with pytest.raises(ValueError, match=message):
        verdalis.analyse(nodes, links, ["NC"], conf_adj=150)


def test_options_are_checked_with_a_suggestion():
    with pytest.raises(TypeError, match="'conf_porb' \\(did you mean conf_prob\\?\\)"):
        verdalis.analyse(NODES, LINKS, ["PC"], conf_porb=(100, 0.5))
    with pytest.raises(ValueError, match="unknown index 'PCC' \\(did you mean PC\\?\\)"):
        verdalis.analyse(NODES, LINKS, ["PCC"])
    with pytest.raises(ValueError, match="conf_prob is \\(distance, probability\\)"):
        verdalis.analyse(NODES, LINKS, ["PC"], conf_prob=1000)
    with pytest.raises(ValueError, match="max_value selects the pairs of removal"):
        verdalis.analyse(NODES, LINKS, ["PC"], conf_prob=(100, 0.5), max_value=100)
    r = verdalis.analyse(NODES, LINKS, "pc", conf_prob=(100, 0.5), only_overall=True)
    with pytest.raises(ValueError, match="only_overall=True"):
        r.nodes
    with pytest.raises(ValueError, match="give removal=True"):
        r.removal


def test_a_two_dimensional_array_is_read_by_column_order():
    nodes = np.array([[1, 10.0], [2, 20.0], [3, 30.0]])
    links = np.array([[1, 2, 100.0], [2, 1, 100.0], [2, 3, 100.0], [3, 2, 100.0]])
    by_array = verdalis.analyse(nodes, links, ["PC"], conf_prob=(100, 0.5))
    by_dict = verdalis.analyse(NODES, LINKS, ["PC"], conf_prob=(100, 0.5))
    assert by_array.overall == by_dict.overall
    pd.testing.assert_frame_equal(by_array.nodes, by_dict.nodes)
