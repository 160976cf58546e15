"""Tav Explorer's session from Python: load or import a table, choose the class, the selection
and the filters, and get its tables as pandas DataFrames (lists of dicts without pandas).

    >>> import tavexplorer
    >>> s = tavexplorer.open("loans.csv", class_="LOAN")
    >>> s.rank().head()

Every command is one of the session's, as the window and tav-batch run them, so the columns and
numbers are those of tav-batch. A long ranking or search of findings stops at Ctrl+C (a
KeyboardInterrupt) as it would at Cancel, and the session stays usable.
"""

import warnings

from ._tavexplorer import Session as _Session
from ._tavexplorer import TavError

__all__ = ["open", "from_pandas", "Session", "TavError", "TavWarning"]


class TavWarning(UserWarning):
    """A message the program shows and goes on from (a filter constant outside a field's codes,
    what an import repaired)."""


_IMPORT_CHOICES = {
    "delimiter", "encoding", "boundaries", "set_limit", "int_limit", "strict", "sample",
    "sample_size", "seed", "sheet", "skip", "types", "bins", "ignore", "class_", "data_file",
}

# The settings by the names tav-batch gives them, in the session's order.
_SETTINGS = {"mprior": 0, "m": 1, "signif": 2}


def _choices(given):
    unknown = sorted(set(given) - _IMPORT_CHOICES)
    if unknown:
        raise TypeError("unknown import choice(s): " + ", ".join(unknown))
    choices = dict(given)
    for key in ("types", "bins"):
        if choices.get(key) is not None:
            # Column names or numbers to a type keyword or a bins text ("3" or "10,20,30").
            choices[key] = [
                (str(column), _bins_text(value) if key == "bins" else str(value))
                for column, value in dict(choices[key]).items()
            ]
    if choices.get("ignore") is not None:
        ignore = choices["ignore"]
        choices["ignore"] = [str(ignore)] if isinstance(ignore, (str, int)) else [str(c) for c in ignore]
    if choices.get("class_") is not None:
        choices["class_"] = str(choices["class_"])
    if choices.get("data_file") is not None:
        choices["data_file"] = str(choices["data_file"])
    return choices


def _bins_text(value):
    if isinstance(value, (list, tuple)):
        return ",".join(repr(float(b)) if not float(b).is_integer() else str(int(b)) for b in value)
    return str(value)


def _pandas():
    try:
        import pandas
    except ImportError:
        return None
    return pandas


def _table(rows, attrs=None):
    columns, cells = rows
    pandas = _pandas()
    if pandas is None:
        return [dict(zip(columns, row)) for row in cells]
    frame = pandas.DataFrame(cells, columns=columns)
    # A column of whole numbers with blanks keeps its numbers whole.
    for column in frame.columns:
        values = [row[columns.index(column)] for row in cells]
        known = [v for v in values if v is not None]
        if known and len(known) < len(values) and all(
            isinstance(v, int) and not isinstance(v, bool) for v in known
        ):
            frame[column] = pandas.array(values, dtype="Int64")
    if attrs:
        frame.attrs.update(attrs)
    return frame


class Session:
    """One exploration: a loaded table, its class field, selection, filters and settings."""

    def __init__(self):
        self._s = _Session()

    def _run(self, command, *args):
        try:
            return command(*args)
        finally:
            for message in self._s.take_messages():
                warnings.warn(message, TavWarning, stacklevel=3)

    # --- Loading ---------------------------------------------------------------------------

    def _open(self, path, choices):
        self._run(self._s.open, str(path), _choices(choices))
        return self

    def _from_csv_text(self, text, name, choices):
        self._run(self._s.open_csv_text, text, name, _choices(choices))
        return self

    # --- Commands ----------------------------------------------------------------------------

    def set_class(self, field):
        """Makes `field` (its number or its name) the class field, deselected."""
        self._run(self._s.set_class, str(field))
        return self

    def select(self, fields):
        """Marks exactly `fields` selected: "all", "none", or numbers and names."""
        if isinstance(fields, str) and fields.lower() in ("all", "none"):
            count = len(self._s.fields()[1])
            fields = range(count) if fields.lower() == "all" else []
        elif isinstance(fields, (str, int)):
            fields = [fields]
        self._run(self._s.select, [str(f) for f in fields])
        return self

    def context(self, expression=""):
        """Applies the context filter (readable or postfix; "" for every record)."""
        self._run(self._s.context, expression)
        return self

    def compare(self, compare1="", compare2=""):
        """Applies the two compare filters ("" and "" to compare no more)."""
        self._run(self._s.compare, compare1, compare2)
        return self

    def _setting(name):
        def get(self):
            return self._s.setting(_SETTINGS[name])

        def set(self, value):
            self._run(self._s.set_setting, _SETTINGS[name], float(value))

        return property(get, set, doc="The " + name + " setting (shared by every session).")

    mprior = _setting("mprior")
    m = _setting("m")
    signif = _setting("signif")
    del _setting

    def fields(self):
        """The Fields table."""
        return _table(self._run(self._s.fields))

    def rules(self):
        """The Simple rules table in creation order."""
        return _table(self._run(self._s.rules))

    def rank(self, conditions=1, top=200):
        """The simple rules ranked by entropy gain, or with conditions=2 the `top` pairs.
        Without a selection of its own every field but the class is ranked."""
        if conditions == 2:
            return _table(self._run(self._s.rank_pairs, int(top)))
        if conditions != 1:
            raise ValueError("conditions is 1 or 2")
        return _table(self._run(self._s.rank))

    def freq(self, rule=None):
        """The Frequency table under `rule`: its number in creation order or its name (None
        keeps the active rule)."""
        return _table(self._run(self._s.freq, "" if rule is None else str(rule)))

    def findings(self, target, conditions=1, min_count=5, sort="score", top=200):
        """The findings of class value `target` (code or label); attrs["summary"] holds the
        line that says how many are flagged."""
        rows, summary = self._run(
            self._s.findings, str(target), int(conditions), int(min_count), sort, int(top)
        )
        return _table(rows, {"summary": summary})

    def sweep(self, field, target):
        """The rate of class value `target` under every threshold of `field`."""
        return _table(self._run(self._s.sweep, str(field), str(target)))

    def save_session(self, path):
        """Writes a session file that the window and tav-batch --session open."""
        self._run(self._s.save_session, str(path))
        return self

    def open_session(self, path):
        """Opens a session file on its data file."""
        self._run(self._s.open_session, str(path))
        return self


def open(path, **choices):
    """A session on the data file at `path`, or on any table the importer reads (CSV, TSV,
    ARFF, workbooks, statistics files), imported with the choices of tav-batch import:
    delimiter, encoding, boundaries, set_limit, int_limit, strict, sample, sample_size, seed,
    sheet, skip, types={column: "SET"|"INT"|...}, bins={column: 3 or [b1, b2]},
    ignore=[columns], class_=column; data_file= keeps the data file there (else it goes to a
    temporary folder removed with the session)."""
    return Session()._open(path, choices)


def from_pandas(df, class_=None, types=None, bins=None, name="frame", **choices):
    """A session on the cells of a DataFrame, typed by the inference of a CSV import (a missing
    value stays missing)."""
    text = df.to_csv(index=False, lineterminator="\n", date_format="%Y-%m-%d %H:%M:%S")
    choices.update({"class_": class_, "types": types, "bins": bins})
    return Session()._from_csv_text(text, name, choices)
