"""verdalis.prep against verdalis-prep: a layer (a file, or a GeoDataFrame
when geopandas is installed) measured in-process gives the values of the
program's files as verdalis reads them, and the same results as the
program run on those files. Needs the GIS part of the module."""

import subprocess
import tempfile

import numpy as np
import pytest

from conftest import EXAMPLES, overall_text, program, read_table, run_program, table_text
import verdalis

try:
    import geopandas as gpd
except ImportError:
    gpd = None
needs_geopandas = pytest.mark.skipif(gpd is None, reason="geopandas is not installed")
pytestmark = pytest.mark.skipif(not verdalis.has_gis, reason="the module was built without the GIS part")

LAYER = EXAMPLES / "gis" / "patches.geojson"


@pytest.mark.parametrize("source,options,words", [
    pytest.param("frame", {}, [], marks=needs_geopandas),
    ("file", {"max_distance": 1500, "decimals": 2, "area": "m2"}, ["--max-distance", "1500", "--decimals", "2",
                                                                  "--area", "m2"]),
])
def test_a_layer_gives_the_files_values(tmp_path, source, options, words):
    if source == "frame":
        prepared = verdalis.prep(gpd.read_file(LAYER).set_index("patch_id"), progress=False, **options)
    else:
        prepared = verdalis.prep(str(LAYER), id="patch_id", progress=False, **options)
    subprocess.run([program("verdalis-prep"), str(LAYER), "--id", "patch_id", "--nodes", "nodes.txt",
                    "--connections", "pairs.txt"] + words, cwd=tmp_path, check=True, capture_output=True)
    nodes = read_table(tmp_path / "nodes.txt", ["id", "attribute"])
    links = read_table(tmp_path / "pairs.txt", ["from", "to", "value"])
    assert prepared.nodes["id"].tolist() == nodes["id"].tolist()
    assert np.array_equal(prepared.nodes["attribute"].to_numpy(), nodes["attribute"].to_numpy())
    for column in ("from", "to", "value"):
        assert np.array_equal(prepared.links[column].to_numpy(), links[column].to_numpy()), column
    assert prepared.all == ("max_distance" not in options)

    run = tmp_path / "run"
    run.mkdir()
    every = "all" if prepared.all else "notall"
    status = run_program(run, ["-nodeFile", "../nodes.txt", "-conFile", "../pairs.txt", "-t", "dist", every,
                               "-PC", "-NC", "-confAdj", "1000", "-confProb", "1000", "0.5",
                               "-landArea", repr(prepared.land_area)])
    assert status == 0
    r = prepared.analyse(["PC", "NC"], conf_adj=1000, conf_prob=(1000, 0.5))
    assert overall_text(r) == (run / "overall_indices.txt").read_text()
    assert table_text(r.nodes) == (run / "node_importances.txt").read_text()


@needs_geopandas
def test_what_prep_refuses_is_told_and_no_file_is_left(tmp_path, monkeypatch):
    monkeypatch.setattr(tempfile, "tempdir", str(tmp_path))
    patches = gpd.read_file(LAYER)
    with pytest.raises(ValueError, match="no column area_code"):
        verdalis.prep(patches, id="area_code")
    with pytest.raises(verdalis.InputRefused, match="degrees"):
        verdalis.prep(patches.to_crs(4326).set_index("patch_id"))
    with pytest.raises(ValueError, match="--area"):
        verdalis.prep(patches.set_index("patch_id"), area="acres")
    with pytest.warns(verdalis.VerdalisWarning, match="--max-distance 1 leaves out pairs"):
        prepared = verdalis.prep(patches.set_index("patch_id"), max_distance=1, suggest_for=(1000, 0.5))
    assert len(prepared.links) < 40
    assert prepared.report.startswith("Read 40 patches from")
    assert not list(tmp_path.iterdir())
