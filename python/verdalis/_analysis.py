"""analyse(): one Verdalis run in-process, and its results as pandas tables."""

import difflib
import warnings

import numpy as np
import pandas as pd

from . import _verdalis
from ._progress import log_of, progress_of
from ._tables import NODE_COLUMNS, PAIR_COLUMNS, arrays_of

INDICES = ("NC", "NL", "H", "CCP", "LCP", "IIC", "BC", "BCIIC", "F", "AWF", "PC", "BCPC", "A")
# Whole numbers in the result tables: identifiers, components, links.
WHOLE_RESULT_COLUMNS = {"Node", "Node1", "Node2", "Component", "From", "To", "Link"}

# The options of analyse and their defaults.
_DEFAULTS = {"type": "dist", "all": False, "symmetric": False, "conf_adj": None, "conf_prob": None,
             "land_area": None, "pc_heur": None, "pc_drops": False, "only_overall": False, "removal": False,
             "improvement": False, "max_value": None, "change": False, "components": False, "threads": 0,
             "precision": "double", "reference": False, "dense": False, "log_progress": "automatic", "log": None,
             "progress": None}
_OPTIONS = tuple(_DEFAULTS)


class VerdalisWarning(UserWarning):
    """A line the run told: a warning or a problem of its input."""


def _index_names(indices):
    if isinstance(indices, str):
        indices = [indices]
    names = []
    by_case = {name.lower(): name for name in INDICES}
    for given in indices:
        name = by_case.get(str(given).lower())
        if name is None:
            close = difflib.get_close_matches(str(given).upper(), INDICES, n=1)
            hint = f" (did you mean {close[0]}?)" if close else ""
            raise ValueError(f"unknown index {given!r}{hint}; the indices: {', '.join(INDICES)}")
        names.append(name)
    return names


def _number(value, name):
    try:
        return float(value)
    except (TypeError, ValueError):
        raise TypeError(f"{name} is a number, not {value!r}") from None


def _settings(indices, o):
    s = {"indices": _index_names(indices)}
    if o["type"] not in ("dist", "prob", "adj"):
        raise ValueError(f'type is "dist", "prob" or "adj", not {o["type"]!r}')
    s["type"] = o["type"]
    for flag in ("all", "symmetric", "only_overall", "removal", "improvement", "change", "components",
                 "reference", "dense", "pc_drops"):
        s[flag] = bool(o[flag])
    for name in ("conf_adj", "land_area", "max_value"):
        if o[name] is not None:
            s[name] = _number(o[name], name)
    if o["max_value"] is not None and not (o["removal"] or o["improvement"]):
        raise ValueError("max_value selects the pairs of removal=True or improvement=True; give one of them")
    if o["conf_prob"] is not None:
        try:
            distance, probability = o["conf_prob"]
        except (TypeError, ValueError):
            raise ValueError(f"conf_prob is (distance, probability), e.g. (1000, 0.5), not {o['conf_prob']!r}") from None
        s["conf_prob"] = (_number(distance, "conf_prob's distance"), _number(probability, "conf_prob's probability"))
    if isinstance(o["pc_heur"], str):
        if o["pc_heur"] != "all":
            raise ValueError(f'pc_heur is a probability or "all", not {o["pc_heur"]!r}')
        s["pc_heur_all"] = True
    elif o["pc_heur"] is not None:
        s["pc_heur"] = _number(o["pc_heur"], "pc_heur")
    if o["precision"] not in ("double", "single"):
        raise ValueError(f'precision is "double" or "single", not {o["precision"]!r}')
    s["single"] = o["precision"] == "single"
    threads = o["threads"]
    if isinstance(threads, bool) or not isinstance(threads, (int, np.integer)) or threads < 0:
        raise ValueError(f"threads is a whole number, 0 for every hardware thread, not {threads!r}")
    s["threads"] = int(threads)
    s["log_progress"] = o["log_progress"]
    return s


BINARY = {"NC", "NL", "H", "CCP", "LCP", "IIC", "BC", "BCIIC"}
PROBABILISTIC = {"F", "AWF", "PC", "BCPC"}


def _refused_combinations(s):
    """What the command line refuses before a run starts, in the package's
    names: the library takes a threshold of 0 for one not given."""
    chosen = set(s["indices"])
    problems = []
    if chosen & BINARY and "conf_adj" not in s and s["type"] != "adj":
        problems.append("the binary indices (NC, NL, H, CCP, LCP, IIC, BC, BCIIC) need conf_adj, the link "
                        "threshold: a distance, or with type=\"prob\" a probability (e.g. conf_adj=1000)")
    if chosen & PROBABILISTIC and s["type"] == "dist" and "conf_prob" not in s:
        problems.append("the probabilistic indices (F, AWF, PC, BCPC) on distances need conf_prob=(D, P), the "
                        "probability P at distance D (e.g. conf_prob=(1000, 0.5))")
    if chosen & PROBABILISTIC and s["type"] == "prob" and "conf_prob" in s:
        problems.append("conf_prob turns distances into probabilities; with type=\"prob\" the links give the "
                        "probabilities themselves: leave conf_prob out")
    if chosen & PROBABILISTIC and s["type"] == "adj":
        problems.append("binary links (type=\"adj\") give no probabilities: F, AWF, PC and BCPC need distances "
                        "(type=\"dist\") or probabilities (type=\"prob\")")
    if ("pc_heur" in s or "pc_heur_all" in s) and "PC" not in chosen:
        problems.append("pc_heur applies to PC only: add PC, or leave pc_heur out")
    if s["pc_drops"] and ("PC" not in chosen or s["only_overall"]):
        problems.append("pc_drops gives the node importances of PC: add PC, without only_overall")
    for index, needed in (("BCIIC", "IIC"), ("BCPC", "PC")):
        if index in chosen and needed not in chosen:
            problems.append(f"{index} needs {needed} as well: add {needed}")
    if problems:
        raise _verdalis.InputRefused("".join(f"Error: {p}\n" for p in problems))


def _frame(table):
    names, columns = table
    data = {}
    for name, column in zip(names, columns):
        data[name] = column.astype(np.int64) if name in WHOLE_RESULT_COLUMNS else column
    return pd.DataFrame(data, columns=names)


class Results:
    """What a run computed.

    overall
        dict of the overall indices by their labels in overall_indices.txt
        ("NC", "PC", "EC(PC)", "PCintra(%)", ...), as full-precision floats.
    nodes
        DataFrame of the node importances, the columns of node_importances.txt
        ("Node", "dPC", "varPC", ...): existing patches, then candidates.
    components
        DataFrame "Node", "Component" (with components=True and NC).
    removal, improvement, change
        DataFrame of a link analysis, as link_importances_*.txt: every
        unordered pair of existing patches ("Node1" > "Node2" in node order),
        built when first read.
    links, direct_probabilities, best_path_probabilities
        DataFrames as the files of -wlinks, -wprobdir and -wprobmax, built
        when first read.
    told
        The lines the run told (warnings and problems of its input), also
        issued as VerdalisWarning.
    warnings, reading_problems
        How many lines were warnings, and how many input values the run
        called invalid ("RESULTS WILL BE INVALID" when not 0).
    """

    def __init__(self, handle, settings):
        self._handle = handle
        self._settings = settings
        self._tables = {}
        self.overall = dict(handle.overall)
        self.told = list(handle.told)
        self.warnings = handle.warnings
        self.reading_problems = handle.reading_problems

    def _table(self, which, taken=None, asked=True, how=""):
        if which not in self._tables:
            if not asked:
                raise ValueError(f"the run computed no {which} table: {how}")
            table = taken() if taken else self._handle.table(which)
            if not table[0]:
                raise ValueError(f"the run computed no {which} table: {how}")
            self._tables[which] = _frame(table)
        return self._tables[which]

    @property
    def nodes(self):
        return self._table("nodes", self._handle.take_nodes, not self._settings["only_overall"],
                           "only_overall=True computes the overall indices only")

    @property
    def components(self):
        return self._table("components", self._handle.take_components, self._settings["components"],
                           "give components=True with the index NC")

    @property
    def removal(self):
        return self._link_table("removal")

    @property
    def improvement(self):
        return self._link_table("improvement")

    @property
    def change(self):
        return self._link_table("change")

    def _link_table(self, kind):
        return self._table(kind, None, self._settings[kind] and not self._settings["only_overall"],
                           f"give {kind}=True (without only_overall)")

    @property
    def links(self):
        return self._table("links", None, True, "binary links need conf_adj and a binary index")

    @property
    def direct_probabilities(self):
        return self._table("direct_probabilities", None, True, "direct probabilities need a probabilistic index")

    @property
    def best_path_probabilities(self):
        return self._table("best_path_probabilities", None, True, "best-path probabilities need the index PC")

    def __repr__(self):
        shown = ", ".join(f"{label} {value:g}" for label, value in self.overall.items())
        return f"<verdalis.Results: {shown}>"


def analyse(nodes, links, indices=(), **options):
    """Analyse a landscape: its overall connectivity indices and the
    importance of every patch (and, on request, of every link).

    nodes
        The patches, one row each, as the node file: a DataFrame or a dict
        of arrays with the columns "id" (whole numbers), "attribute" (area
        or quality, 0 or more) and optionally "candidate" (1 existing, 0 a
        candidate to add); or a two-dimensional array with these columns in
        this order.
    links
        The pairs, one row per ordered pair, as the connection file: the
        columns "from", "to", "value" (a distance, a probability or a 0/1
        link, see type) and optionally "alternative" (the value of the link
        change analysis).
    indices
        The indices to compute, by their command-line names: "NC", "NL",
        "H", "CCP", "LCP", "IIC", "BC", "BCIIC", "F", "AWF", "PC", "BCPC",
        "A" (in any case).

    Options, named after the command line's (README, "Options"):

    type="dist"          "dist", "prob" or "adj": what the pair values are (-t)
    all=False            every ordered pair is listed (-t ... all)
    symmetric=False      a pair listed one way only is read both ways
    conf_adj=None        the binary link threshold (-confAdj)
    conf_prob=None       (distance, probability), e.g. (1000, 0.5) (-confProb)
    land_area=None       the maximum landscape attribute (-landArea)
    pc_heur=None         a probability, or "all" (-pcHeur)
    pc_drops=False       dPC, dPCintra, dPCflux and dPCconnector of each node
                         in double, from the terms its removal changes: on a
                         landscape held by neighbour far faster for large
                         ones, and beyond the sixth digit not the command
                         line's, whose dPC is a difference of two sums
    only_overall=False   the overall indices only (onlyoverall)
    removal=False        the importance of every link removed (-removal)
    improvement=False    the importance of every link made sure (-improvement)
    max_value=None       only the pairs within it, for removal and improvement (maxValue)
    change=False         every link changed to its "alternative" value (-change)
    components=False     the component of every patch, with NC (-wcomp)
    threads=0            worker threads; 0: every hardware thread (-threads)
    precision="double"   or "single" (-double, -simple)
    reference=False      the straightforward algorithms, one thread (-reference)
    dense=False          the landscape held as full matrices (-dense)
    log_progress="automatic"   or "all", "brief": progress lines in the log (-progress)
    log=None             the run log: a function log(text), or an open file; None drops it
    progress=None        a function progress(phase, done, total), called about
                         every 0.1 s while a phase runs and once when it ends;
                         None shows tqdm bars for phases longer than 2 s when
                         tqdm is installed; False shows nothing

    The command line's -prefix, -noout, -appendInvalid, -* and
    -confMultipleValues concern files and series of runs and have no
    counterpart here: call analyse once per threshold instead. The tables of
    -wlinks, -wprobdir and -wprobmax are the properties links,
    direct_probabilities and best_path_probabilities of the result.

    Arrays: a column that is a contiguous one-dimensional numpy array of
    int32 (identifiers, candidate marks) or float32 (values) is read where
    it is, without a copy; any other is converted once (identifiers must be
    whole numbers within int32, values become single precision, as the
    files are read). The arrays may be freed once analyse has returned.

    Returns a Results. Raises InputRefused when the checks of the options or
    of the landscape stop the run (its message holds what they said, in the
    command line's terms but for the combinations of options checked here),
    OutOfMemory when the run cannot fit in memory, and KeyboardInterrupt on
    Ctrl-C, which stops the run within a moment. An exception raised by the
    progress function stops the run too and is raised again.
    """
    unknown = [name for name in options if name not in _OPTIONS]
    if unknown:
        close = difflib.get_close_matches(unknown[0], _OPTIONS, n=1)
        hint = f" (did you mean {close[0]}?)" if close else ""
        raise TypeError(f"analyse() got an unexpected keyword argument {unknown[0]!r}{hint}")
    o = dict(_DEFAULTS, **options)
    settings = _settings(indices, o)
    _refused_combinations(settings)
    node_arrays = arrays_of(nodes, NODE_COLUMNS, ("id", "attribute"), "nodes")
    pair_arrays = arrays_of(links, PAIR_COLUMNS, ("from", "to", "value"), "links")
    if settings["change"] and pair_arrays["alternative"] is None:
        raise ValueError('change=True needs the column "alternative" in links: the value each link changes to')
    callback, bars = progress_of(o["progress"])
    try:
        handle = _verdalis.analyse(node_arrays, pair_arrays, settings, log_of(o["log"]), callback)
    finally:
        if bars is not None:
            bars.close()
    results = Results(handle, settings)
    for line in results.told:
        warnings.warn(line, VerdalisWarning, stacklevel=2)
    if results.reading_problems:
        warnings.warn(f"RESULTS WILL BE INVALID: {results.reading_problems} problems in the input of this run; "
                      "see its messages (Results.told).", VerdalisWarning, stacklevel=2)
    return results
