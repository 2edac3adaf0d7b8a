"""The package against the program: the same landscape and options give,
written with the program's formatting, the bytes of the program's result
files. The bundled example and landscapes from tools/gen_landscape, over
the indices, the analyses, candidates, the two precisions and both forms of
the connection file."""

import subprocess

import pytest

from conftest import (EXAMPLES, components_text, number_text, overall_text, program, read_table, run_program,
                      table_text)
import verdalis

BINARY = ["NC", "NL", "H", "CCP", "LCP", "IIC", "BC", "BCIIC"]
PROBABILISTIC = ["F", "AWF", "PC", "BCPC", "A"]


def command_line(indices, options, candidates):
    """The program's options for analyse()'s."""
    words = ["-nodeFile", "../nodes.txt", "-conFile", "../pairs.txt", "-t", options.get("type", "dist"),
             "all" if options.get("all") else "notall"]
    words += ["-" + name for name in indices]
    for name, flag in (("conf_adj", "-confAdj"), ("land_area", "-landArea"), ("threads", "-threads")):
        if name in options:
            words += [flag, str(options[name])]
    if "conf_prob" in options:
        words += ["-confProb"] + [str(v) for v in options["conf_prob"]]
    if "pc_heur" in options:
        words += ["-pcHeur", str(options["pc_heur"])]
    for name, flag in (("only_overall", "onlyoverall"), ("symmetric", "-symmetric"), ("components", "-wcomp"),
                       ("change", "-change"), ("reference", "-reference"), ("dense", "-dense")):
        if options.get(name):
            words.append(flag)
    for name, flag in (("removal", "-removal"), ("improvement", "-improvement")):
        if options.get(name):
            words += [flag] + (["maxValue", str(options["max_value"])] if "max_value" in options else [])
    if options.get("precision") == "single":
        words.append("-simple")
    if candidates:
        words.append("-add")
    return words


def same_as_program(tmp_path, nodes_file, pairs_file, indices, options):
    """Runs the program on the files and analyse() on their tables; asserts
    that every result file the run wrote is what the results say."""
    candidates = len(open(nodes_file).readline().split()) == 3
    change = len(open(pairs_file).readline().split()) == 4
    nodes = read_table(nodes_file, ["id", "attribute"] + (["candidate"] if candidates else []))
    links = read_table(pairs_file, ["from", "to", "value"] + (["alternative"] if change else []))
    (tmp_path / "nodes.txt").write_bytes(open(nodes_file, "rb").read())
    (tmp_path / "pairs.txt").write_bytes(open(pairs_file, "rb").read())
    run = tmp_path / "run"
    run.mkdir()
    status = run_program(run, command_line(indices, options, candidates))
    assert status in (0, 3)
    r = verdalis.analyse(nodes, links, indices, progress=False, **options)
    assert (r.reading_problems > 0) == (status == 3)
    assert overall_text(r) == (run / "overall_indices.txt").read_text()
    if not options.get("only_overall"):
        assert table_text(r.nodes) == (run / "node_importances.txt").read_text()
    if options.get("components"):
        assert components_text(r.components) == (run / "components.txt").read_text()
    for kind in ("removal", "improvement", "change"):
        if options.get(kind) and not options.get("only_overall"):
            assert table_text(getattr(r, kind)) == (run / f"link_importances_{kind}.txt").read_text(), kind


def test_the_bundled_example(tmp_path):
    same_as_program(tmp_path, EXAMPLES / "nodes.txt", EXAMPLES / "distances.txt", ["IIC", "PC", "NC"],
                    dict(all=True, conf_adj=1000, conf_prob=(1000, 0.5), land_area=14400, components=True,
                         removal=True, max_value=800))


GENERATED = [
    # seed, gen_landscape options, indices, analyse options
    (1, ["--within", "1500"], BINARY + PROBABILISTIC,
     dict(conf_adj=800, conf_prob=(1000, 0.5), land_area=5000, improvement=True)),
    (2, ["--full"], ["IIC", "PC", "F"], dict(all=True, conf_adj=1000, conf_prob=(500, 0.05), precision="single")),
    (3, ["--within", "2000", "--candidates", "6"], ["PC", "IIC", "NC"],
     dict(conf_adj=1000, conf_prob=(1000, 0.5), pc_heur=0.01, components=True)),
    (4, ["--within", "1500", "--change"], ["PC", "NL"], dict(conf_adj=900, conf_prob=(1000, 0.5), change=True)),
    (5, ["--within", "1200"], ["PC", "BCPC", "H"], dict(conf_adj=700, conf_prob=(800, 0.5), dense=True,
                                                        only_overall=True)),
]


@pytest.mark.parametrize("seed,shape,indices,options", GENERATED, ids=[str(case[0]) for case in GENERATED])
def test_generated_landscapes(tmp_path, seed, shape, indices, options):
    nodes, pairs = tmp_path / "generated_nodes.txt", tmp_path / "generated_pairs.txt"
    subprocess.run([program("gen_landscape"), "--nodes", "45", "--seed", str(seed), "--side", "6000",
                    "--out-nodes", str(nodes), "--out-connections", str(pairs)] + shape, check=True)
    same_as_program(tmp_path, nodes, pairs, indices, options)


def test_values_that_are_not_numbers(tmp_path):
    # Patches of attribute 0: PC is 0 and its parts and importances 0/0.
    (tmp_path / "zero_nodes.txt").write_text("1\t0\n2\t0\n3\t0\n")
    (tmp_path / "zero_pairs.txt").write_text("1 2 100\n2 1 100\n2 3 100\n3 2 100\n")
    same_as_program(tmp_path, tmp_path / "zero_nodes.txt", tmp_path / "zero_pairs.txt", ["PC", "IIC"],
                    dict(conf_adj=150, conf_prob=(100, 0.5), land_area=10))
    # A stream writes infinities as "%g" does.
    assert [number_text(v) for v in (float("inf"), -float("inf"), float("nan"))] == ["inf", "-inf", "nan"]


def test_pc_drops_agree_with_the_program_to_its_digits(tmp_path):
    # The drops are summed in double from the changed terms: the program's
    # PC columns, single-precision differences of two sums, within their
    # rounding; the parts add up to dPC, and the overall indices are the same.
    nodes, pairs = tmp_path / "drops_nodes.txt", tmp_path / "drops_pairs.txt"
    subprocess.run([program("gen_landscape"), "--nodes", "60", "--seed", "9", "--side", "6000", "--within", "1500",
                    "--out-nodes", str(nodes), "--out-connections", str(pairs)], check=True)
    options = dict(conf_prob=(1000, 0.5), land_area=5000)
    node_table, pair_table = read_table(nodes, ["id", "attribute"]), read_table(pairs, ["from", "to", "value"])
    plain = verdalis.analyse(node_table, pair_table, ["PC"], **options)
    drops = verdalis.analyse(node_table, pair_table, ["PC"], pc_drops=True, **options)
    assert drops.overall == plain.overall
    parts = ["dPCintra", "dPCflux", "dPCconnector"]
    for column in plain.nodes.columns:
        if "PC" in column:  # dPC, varPC and their parts
            expected = plain.nodes[column].to_numpy()
            scale = 1e-5 * abs(expected).max()
            assert drops.nodes[column].to_numpy() == pytest.approx(expected, rel=1e-4, abs=scale), column
        else:
            assert drops.nodes[column].equals(plain.nodes[column]), column
    assert not drops.nodes["dPC"].equals(plain.nodes["dPC"]), "the drops were not taken"
    assert drops.nodes[parts].sum(axis=1).to_numpy() == pytest.approx(drops.nodes["dPC"].to_numpy(), rel=1e-12)
    with pytest.raises(verdalis.InputRefused, match="pc_drops gives the node importances of PC"):
        verdalis.analyse(node_table, pair_table, ["PC"], pc_drops=True, only_overall=True, **options)
