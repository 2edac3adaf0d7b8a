"""The node and pair tables of analyse() as the arrays the library reads.

A column that is already a contiguous one-dimensional numpy array of the
library's type (int32 for identifiers and candidate marks, float32 for
values) is handed over as it is, without a copy. Any other column is
converted once: identifiers must then be whole numbers within the int32
range, values become single precision (as the files are read).
"""

import numpy as np

NODE_COLUMNS = ("id", "attribute", "candidate")
PAIR_COLUMNS = ("from", "to", "value", "alternative")
WHOLE_COLUMNS = {"id", "candidate", "from", "to"}

_INT32 = np.iinfo(np.int32)


def _series_values(series):
    """A pandas column as numpy holds it; a nullable one with its missing
    values as nan."""
    if isinstance(series.dtype, np.dtype):
        return series.to_numpy()
    return series.to_numpy(dtype=np.float64, na_value=np.nan)


def _columns_of(table, names, what):
    """The columns of a DataFrame, a dict of arrays, a structured array or a
    two-dimensional array (its columns in the order of names)."""
    if hasattr(table, "columns") and hasattr(table, "__getitem__"):  # a DataFrame
        return {name: _series_values(table[name]) for name in names if name in table.columns}, list(table.columns)
    if isinstance(table, dict):
        return {name: table[name] for name in names if name in table}, list(table)
    array = np.asarray(table)
    if array.dtype.names is not None:
        return {name: array[name] for name in names if name in array.dtype.names}, list(array.dtype.names)
    if array.ndim != 2:
        raise TypeError(f"{what}: a DataFrame, a dict of arrays or a two-dimensional array, not {type(table).__name__}")
    if not 2 <= array.shape[1] <= len(names):
        raise ValueError(f"{what}: a two-dimensional array has the columns {', '.join(names)} in this order "
                         f"({len(names) - 1} or {len(names)}, as the file would); this one has {array.shape[1]}")
    return {names[k]: array[:, k] for k in range(array.shape[1])}, list(names[:array.shape[1]])


def _one_dimensional(column, what, name):
    array = np.asarray(column)
    if array.ndim != 1:
        raise ValueError(f"{what}, column {name}: one value per row, not an array of shape {array.shape}")
    return array


def _in_place(array, dtype):
    """Whether the library can read the array where it lies."""
    return array.dtype == dtype and array.flags.c_contiguous


def _whole(column, what, name):
    array = _one_dimensional(column, what, name)
    if _in_place(array, np.int32):
        return array
    if array.dtype.kind in "iub":
        if array.size and (array.min() < _INT32.min or array.max() > _INT32.max):
            bad = np.flatnonzero((array < _INT32.min) | (array > _INT32.max))[0]
            raise ValueError(f"{what}, column {name}, row {bad + 1}: {array[bad]} is beyond the identifiers "
                             f"Verdalis reads ({_INT32.min} to {_INT32.max})")
        return np.ascontiguousarray(array, dtype=np.int32)
    try:
        values = np.asarray(array, dtype=np.float64)
    except (TypeError, ValueError) as error:
        raise ValueError(f"{what}, column {name}: {error}") from None
    fits = np.isfinite(values) & (values == np.round(values)) & (values >= _INT32.min) & (values <= _INT32.max)
    if not fits.all():
        bad = np.flatnonzero(~fits)[0]
        raise ValueError(f"{what}, column {name}, row {bad + 1}: {values[bad]!r} is not a whole number that "
                         f"Verdalis reads ({_INT32.min} to {_INT32.max})")
    return values.astype(np.int32)


def _single(column, what, name):
    array = _one_dimensional(column, what, name)
    if _in_place(array, np.float32):
        return array
    try:
        return np.ascontiguousarray(array, dtype=np.float32)
    except (TypeError, ValueError) as error:
        raise ValueError(f"{what}, column {name}: {error}") from None


def arrays_of(table, names, required, what):
    """The library's arrays for a table: a dict with every name, None for the
    optional columns it lacks."""
    found, present = _columns_of(table, names, what)
    missing = [name for name in required if name not in found]
    if missing:
        raise ValueError(f"{what} has no column {', '.join(missing)} (its columns: {', '.join(map(str, present))}; "
                         f"it needs {', '.join(required)}, and may have {', '.join(n for n in names if n not in required)})")
    out = {}
    for name in names:
        if name not in found:
            out[name] = None
        elif name in WHOLE_COLUMNS:
            out[name] = _whole(found[name], what, name)
        else:
            out[name] = _single(found[name], what, name)
    return out
