"""Data frames in and out: every field type through from_pandas, typed as a CSV import types
them, and the tables as data frames or lists of dicts with numbers as numbers."""

import math

import pandas as pd
import pytest

import tavexplorer

ROWS = 60


def every_type():
    frame = pd.DataFrame({
        "grade": ["a", "b", "Č"] * (ROWS // 3),              # SET, a national letter
        "kids": [i % 4 for i in range(ROWS)],                 # INT of whole numbers
        "age": list(range(18, 18 + ROWS)),                    # too many numbers: REAL intervals
        "income": [1000.5 + i * 37.25 for i in range(ROWS)],  # numbers with decimals
        "price": [10.0 + i for i in range(ROWS)],             # CURRENCY when chosen
        "note": ["note %d" % i for i in range(ROWS)],          # STRING when chosen
        "when": pd.date_range("2020-01-01", periods=ROWS),    # DATE when chosen
        "ok": [i % 3 == 0 for i in range(ROWS)],              # booleans: a SET of two
        "loan": ["yes", "no"] * (ROWS // 2),
    })
    frame.loc[3, "income"] = float("nan")
    frame.loc[4, "grade"] = None
    return frame


CHOICES = {"types": {"price": "CURRENCY", "note": "STRING", "when": "DATE"}}


def test_a_frame_is_typed_as_the_same_table_imported_from_a_csv_file(workdir):
    frame = every_type()
    frame.to_csv(workdir / "frame.csv", index=False, date_format="%Y-%m-%d %H:%M:%S")
    from_file = tavexplorer.open(workdir / "frame.csv", class_="loan", **CHOICES)
    from_frame = tavexplorer.from_pandas(frame, class_="loan", **CHOICES)
    fields = from_frame.fields()
    assert fields.equals(from_file.fields())
    types = dict(zip(fields["Name"], fields["Type"]))
    assert types["GRADE"].startswith("SET:1..3")
    assert types["KIDS"] == "INT:0..3"
    assert types["PRICE"].startswith("CURRENCY")
    assert types["NOTE"] == "STRING"
    assert types["WHEN"] == "DATE"
    assert types["OK"].startswith("SET:1..2")
    # A missing value is no record of the field's values.
    assert dict(zip(fields["Name"], fields["Count"]))["GRADE"] == ROWS - 1
    assert from_frame.rules().equals(from_file.rules())


def test_the_values_come_back_with_their_counts(workdir):
    frame = every_type()
    s = tavexplorer.from_pandas(frame, class_="loan", **CHOICES)
    freq = s.freq()
    counts = dict(zip(freq["Name"], freq["Frequency"]))
    assert counts == {"Total": ROWS, "(8) LOAN= 1-yes": 30, "(8) LOAN= 2-no": 30}
    rules = s.rules()
    grade = {name: count for name, count in zip(rules["Name"], rules["Count"])
             if name.startswith("(0) GRADE=")}
    # The Count text marks a rule of an unselected field with "*** ".
    assert {name: int(count.split()[-1]) for name, count in grade.items()} == {
        "(0) GRADE= 1-a": 20, "(0) GRADE= 2-b": 19, "(0) GRADE= 3-Č": 20}


def test_numbers_are_numbers_and_blanks_are_missing(workdir):
    s = tavexplorer.from_pandas(every_type(), class_="loan")
    freq = s.freq()
    assert freq["Frequency"].dtype.kind == "i"
    assert freq["Signif"].dtype.kind == "f"
    found = s.findings("yes", min_count=40)
    ranked = found[found["ranked"]]
    small = found[~found["ranked"]]
    assert len(ranked) > 0 and len(small) > 0
    # A rule below the minimum has no rank: missing, not 0, in a column of whole numbers.
    assert str(found["rank_low"].dtype) == "Int64"
    assert small["rank_low"].isna().all() and ranked["rank_low"].notna().all()
    assert found["flagged"].dtype == bool
    assert "rules flagged" in found.attrs["summary"] or "rule flagged" in found.attrs["summary"]


def test_without_pandas_the_tables_are_lists_of_dicts(workdir, monkeypatch):
    s = tavexplorer.from_pandas(every_type(), class_="loan")
    monkeypatch.setattr(tavexplorer, "_pandas", lambda: None)
    freq = s.freq()
    assert isinstance(freq, list)
    assert freq[0]["Name"] == "Total" and freq[0]["Frequency"] == ROWS
    assert isinstance(freq[1]["CondProbability"], float)
    swept = s.sweep("age", "yes")
    assert swept and {row["side"] for row in swept} == {"<=", ">"}
    assert all(isinstance(row["x"], float) and not math.isnan(row["x"]) for row in swept)


def test_a_session_file_keeps_the_class_selection_and_filters(workdir):
    s = tavexplorer.from_pandas(every_type(), class_="loan", data_file=str(workdir / "t-tav.CSV"))
    s.select(["grade", 1]).context("KIDS,1,>").mprior = 2
    s.save_session(workdir / "t.tavs")
    again = tavexplorer.Session().open_session(workdir / "t.tavs")
    assert again.mprior == 2
    assert again.fields().equals(s.fields())
    assert again.freq().equals(s.freq())


def test_errors_are_exceptions_with_the_programs_messages(workdir):
    s = tavexplorer.from_pandas(every_type(), class_="loan")
    with pytest.raises(tavexplorer.TavError, match="Unknown field \"NOPE\""):
        s.context("NOPE > 1")
    with pytest.raises(ValueError, match="no field named \"Ž\""):
        s.set_class("Ž")
    with pytest.raises(ValueError, match="Windows-1250 cannot hold"):
        s.context("GRADE = '東京'")
    with pytest.raises(tavexplorer.TavError):
        s.m = 2e6
    with pytest.raises(TypeError, match="unknown import choice"):
        tavexplorer.open(workdir / "x.csv", colour="red")
    with pytest.raises(tavexplorer.TavError, match="x.csv"):
        tavexplorer.open(workdir / "x.csv")
    # After the errors the session goes on as before.
    assert s.freq()["Frequency"].iloc[0] == ROWS
