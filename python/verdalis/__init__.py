"""Verdalis in Python: the connectivity of a landscape of habitat patches and
the importance of every patch and link, computed in-process.

    import verdalis
    r = verdalis.analyse(nodes, links, indices=["PC", "IIC"], conf_adj=1000,
                         conf_prob=(1000, 0.5), land_area=14400)
    r.overall["EC(PC)"]          # 93.6373 on the bundled example
    r.nodes.nlargest(5, "dPC")   # the node importance table

The numbers are those the command-line program writes in its result files,
bit for bit: both run the same library. See analyse() for the tables and
options, prep() for patches from a GeoDataFrame, and the README's section
"Verdalis in Python".
"""

from ._verdalis import InputRefused, OutOfMemory, VerdalisError, has_gis, version
from ._analysis import Results, VerdalisWarning, analyse
from ._prep import Prepared, prep

# Shown as verdalis.InputRefused, ... in tracebacks, where users catch them.
for _error in (VerdalisError, InputRefused, OutOfMemory):
    _error.__module__ = "verdalis"

__all__ = ["analyse", "prep", "Results", "Prepared", "VerdalisError", "InputRefused", "OutOfMemory",
           "VerdalisWarning", "has_gis", "version"]
