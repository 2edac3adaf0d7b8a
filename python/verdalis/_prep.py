"""prep(): the patches of a GeoDataFrame (or of a layer or raster file) as
the node and pair tables of analyse(), measured by verdalis-prep's code
in-process."""

import os
import tempfile
import warnings

import numpy as np
import pandas as pd

from . import _verdalis
from ._analysis import VerdalisWarning, analyse
from ._progress import progress_of

# The column that carries a GeoDataFrame's index into the layer prep reads.
_INDEX_FIELD = "verdalis_index"


class Prepared:
    """The landscape prep() measured.

    nodes      DataFrame "id", "attribute": a row per patch, ascending id
    links      DataFrame "from", "to", "value": both directions of every pair
               measured, distances in metres
    all        True when every pair was measured (no max_distance): give
               all=True to analyse, as analyse() here does
    land_area  the study area (or the extent) in the unit of the attribute,
               as verdalis-prep suggests for -landArea; 0 when the attribute
               is not an area
    report     what verdalis-prep prints about the layer and the pairs
    warnings   its warnings (also issued as VerdalisWarning)

    The values are those of verdalis-prep's files as verdalis reads them
    (attributes with 4 decimals, distances with `decimals`).
    """

    def __init__(self, out):
        self.nodes = pd.DataFrame({"id": out["id"], "attribute": out["attribute"]}, copy=False)
        self.links = pd.DataFrame({"from": out["from"], "to": out["to"], "value": out["value"]}, copy=False)
        self.all = out["all"]
        self.land_area = out["land_area"]
        self.report = out["report"]
        self.warnings = list(out["warnings"])

    def analyse(self, indices=(), **options):
        """analyse(self.nodes, self.links, indices, ...) with all= and, unless
        given, land_area= from the layer."""
        options.setdefault("all", self.all)
        if self.land_area > 0:
            options.setdefault("land_area", self.land_area)
        return analyse(self.nodes, self.links, indices, **options)

    def __repr__(self):
        return (f"<verdalis.Prepared: {len(self.nodes)} patches, {len(self.links)} rows of pairs"
                f"{', every pair' if self.all else ''}>")


def _word(value):
    return value if isinstance(value, str) else repr(value) if isinstance(value, float) else str(value)


def _arguments(source, options):
    """verdalis-prep's command line (README, docs/gis.md) for the options."""
    words = [os.fspath(source)]
    flags = {"max_distance": "--max-distance", "id": "--id", "attribute": "--attribute", "area": "--area",
             "decimals": "--decimals", "where": "--where", "to": "--to", "threads": "--threads",
             "layer_name": "--layer", "connectivity": "--connectivity", "min_area": "--min-area",
             "floor": "--floor", "study_area": "--study-area"}
    for name, flag in flags.items():
        value = options.get(name)
        if value is not None:
            if name == "to" and not isinstance(value, str):
                value = f"EPSG:{int(value)}"
            words += [flag, _word(value)]
    for name, flag in (("centroid", "--centroid"), ("dissolve", "--dissolve")):
        if options.get(name):
            words.append(flag)
    if options.get("habitat") is not None:
        habitat = options["habitat"]
        values = [habitat] if np.isscalar(habitat) else list(habitat)
        words += ["--habitat", ",".join(_word(v) for v in values)]
    if options.get("suggest_for") is not None:
        distance, probability = options["suggest_for"]
        words += ["--suggest-for", _word(distance), _word(probability)]
    return words


def _written_layer(frame, folder, id_field, attribute):
    """The GeoDataFrame as a GeoPackage in folder, with the columns prep reads."""
    columns = [c for c in (id_field, attribute) if c is not None]
    missing = [c for c in columns if c not in frame.columns]
    if missing:
        raise ValueError(f"the GeoDataFrame has no column {', '.join(missing)} "
                         f"(its columns: {', '.join(map(str, frame.columns))})")
    layer = frame[columns + [frame.geometry.name]].copy()
    if id_field is None:
        index = frame.index.to_numpy()
        if index.dtype.kind not in "iu" or not frame.index.is_unique:
            raise ValueError("the patches are named by the GeoDataFrame's index, which must hold unique whole "
                             "numbers; give id= the column of their identifiers instead")
        layer[_INDEX_FIELD] = index
    path = os.path.join(folder, "patches.gpkg")
    layer.to_file(path, driver="GPKG", layer="patches", index=False)
    return path


def prep(layer, max_distance=None, *, id=None, attribute=None, area=None, centroid=False, decimals=None,
         dissolve=False, where=None, to=None, threads=0, layer_name=None, habitat=None, connectivity=None,
         min_area=None, study_area=None, suggest_for=None, floor=None, progress=None):
    """The patches of a polygon layer as the node and pair tables of
    analyse(): identifiers, areas (or another attribute) and the distances
    between patches, as verdalis-prep measures them (docs/gis.md).

    layer          a GeoDataFrame (written to a temporary GeoPackage, deleted
                   afterwards), or the path of a layer or land-cover raster
    max_distance   only the pairs at most this many metres apart (analyse
                   with all=False); default: every pair (all=True)
    id             the column of the identifiers (whole numbers, unique);
                   default: a GeoDataFrame's index, a file's feature IDs
    attribute      a numeric column as the attribute; default: the area
    area           "ha" (default), "m2" or "km2": the unit of the area
    centroid       distances between centroids instead of edge to edge
    decimals       decimals of the distances (default 1)
    dissolve       touching or overlapping polygons become one patch
    where          an OGR SQL filter of the features
    to             a projected system to measure in, "EPSG:3067" or 3067
                   (needed for a layer in degrees)
    threads        threads measuring the distances; 0: every core
    layer_name     the layer of a file that holds several
    habitat, connectivity, min_area    for a raster: the habitat class
                   values, 8 or 4, and the smallest group kept
    study_area     the path of a polygon layer whose area is land_area
    suggest_for, floor    (D, P) of conf_prob: the report then says the
                   max_distance beyond which the probability falls below floor
    progress       as analyse()'s

    Messages name verdalis-prep's options (--max-distance for max_distance).
    Returns a Prepared, whose analyse() method runs analyse on it. Raises
    ValueError for options prep refuses, InputRefused for a layer it cannot
    read or use, and VerdalisError when this build has no GIS part.
    """
    if not _verdalis.has_gis:
        raise _verdalis.VerdalisError(
            "verdalis.prep needs the GIS part of the module, and this build has none: it is built when GDAL, "
            "GEOS and cairo are found (Debian: apt-get install libgdal-dev libgeos-dev libcairo2-dev "
            "pkg-config, then build the package again)")
    options = dict(max_distance=max_distance, id=id, attribute=attribute, area=area, centroid=centroid,
                   decimals=decimals, dissolve=dissolve, where=where, to=to, threads=threads,
                   layer_name=layer_name, habitat=habitat, connectivity=connectivity, min_area=min_area,
                   study_area=study_area, suggest_for=suggest_for, floor=floor)
    callback, bars = progress_of(progress)
    try:
        with tempfile.TemporaryDirectory(prefix="verdalis-prep-") as folder:
            if hasattr(layer, "geometry") and hasattr(layer, "to_file"):
                source = _written_layer(layer, folder, id, attribute)
                if id is None:
                    options["id"] = _INDEX_FIELD
                options["layer_name"] = None
            else:
                source = layer
            out = _verdalis.prep(_arguments(source, options), callback)
    finally:
        if bars is not None:
            bars.close()
    if source is not layer:  # the temporary file is gone: name what the caller gave
        out["report"] = out["report"].replace(source, "the GeoDataFrame")
    prepared = Prepared(out)
    for line in prepared.warnings:
        warnings.warn(line, VerdalisWarning, stacklevel=2)
    return prepared
