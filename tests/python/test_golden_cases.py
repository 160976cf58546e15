"""The golden cases of tav-batch run again through the module: the same columns and the same
numbers (printed as tav-batch prints them), and the same errors as exceptions."""

import csv
import io
import math
import shutil

import pytest

import tavexplorer
from conftest import CASES

COMMANDS = {"fields", "rules", "rank", "freq", "findings"}
IMPORT_OPTIONS = {"--type": "types", "--bins": "bins", "--ignore": "ignore", "--class": "class_",
                  "--strict": "strict", "--delimiter": "delimiter", "--int-limit": "int_limit",
                  "--set-limit": "set_limit", "--boundaries": "boundaries"}
FLAGS = {"--strict", "--sentences", "--rank", "--progress", "--sample"}
# Options of the command line that the module has no call for.
UNOFFERED = {"--hide", "--sentences", "--format", "--threads", "--progress"}
# Usage errors of the command line itself (an option a command does not take, the text of a
# range): the module's calls take no such text.
COMMAND_LINE_ONLY = {"usage_option_not_taken", "usage_select_bad_range", "usage_extra_argument",
                     "usage_without_arguments", "usage_hide_outside"}


def parsed(args):
    files, options = [], {}
    i = 0
    while i < len(args):
        if args[i].startswith("--"):
            if args[i] in FLAGS:
                options.setdefault(args[i], []).append(True)
                i += 1
            else:
                options.setdefault(args[i], []).append(args[i + 1])
                i += 2
        else:
            files.append(args[i])
            i += 1
    return files, options


def case_args(case):
    text = (case / "args").read_text(encoding="utf-8")
    return [line for line in text.split("\n") if line != ""] if text.strip() else []


def cases():
    found = []
    for case in sorted(p for p in CASES.iterdir() if p.is_dir()):
        args = case_args(case)
        if args and (args[0] in COMMANDS or args[0] == "import"):
            found.append(pytest.param(case, id=case.name))
    return found


def one(options, name, default=None):
    return options[name][-1] if name in options else default


def selection(text):
    if text in ("all", "none"):
        return text
    fields = []
    for item in text.split(","):
        low, dash, high = item.partition("-")
        if dash and low.isdigit() and high.isdigit():
            fields.extend(range(int(low), int(high) + 1))
        else:
            fields.append(item)
    return fields


def explore(command, files, options):
    """The session calls of one tav-batch command line, in tav-batch's order."""
    if "--session" in options:
        s = tavexplorer.Session().open_session(one(options, "--session"))
    else:
        s = tavexplorer.open(files[0])
    for option, setting in (("--mprior", "mprior"), ("--m", "m"), ("--signif", "signif")):
        if option in options:
            setattr(s, setting, float(one(options, option)))
    if "--select" in options:
        s.select(selection(one(options, "--select")))
    if "--class" in options:
        s.set_class(one(options, "--class"))
    if "--context" in options:
        s.context(one(options, "--context"))
    if "--compare1" in options or "--compare2" in options:
        s.compare(one(options, "--compare1", ""), one(options, "--compare2", ""))
    conditions = int(one(options, "--conditions", 1))
    if command == "fields":
        return s.fields()
    if command == "rules":
        return s.rules()
    if command == "rank":
        return s.rank(conditions=conditions, top=int(one(options, "--top", 200)))
    if command == "freq":
        return s.freq(one(options, "--rule", None if "--session" in options else 0))
    return s.findings(one(options, "--target"), conditions=conditions,
                      min_count=int(one(options, "--min-count", 5)),
                      sort=one(options, "--sort", "score"), top=int(one(options, "--top", 200)))


def imported(files, options):
    choices = {}
    for option, values in options.items():
        key = IMPORT_OPTIONS[option]
        if key in ("types", "bins"):
            choices[key] = dict(value.split("=", 1) for value in values)
        elif key == "ignore":
            choices[key] = values
        elif key == "strict":
            choices[key] = True
        else:
            choices[key] = values[-1]
    return tavexplorer.open(files[0], data_file="out-tav.CSV", **choices)


def printed(value):
    """A cell as tav-batch prints it."""
    if value is None or value is getattr(__import__("pandas"), "NA", None):
        return ""
    if isinstance(value, bool):
        return "yes" if value else "no"
    if isinstance(value, float):
        return "" if math.isnan(value) else "%.6f" % value
    if isinstance(value, int):
        return str(value)
    return value.replace("\t", " ")


def expected_table(case, findings):
    lines = (case / "expected" / "stdout").read_text(encoding="utf-8").split("\n")[:-1]
    # The findings' header lines and the blank line before their summary line are no rows.
    lines = [line for line in lines if line and not line.startswith("# ")]
    summary = lines.pop() if findings else None
    if findings and lines[0].count(",") > lines[0].count("\t"):
        rows = list(csv.reader(io.StringIO("\n".join(lines))))
    else:
        rows = [line.split("\t") for line in lines]
    return rows[0], rows[1:], summary


def frame_rows(frame):
    if isinstance(frame, list):
        return list(frame[0].keys()) if frame else [], [list(r.values()) for r in frame]
    return list(frame.columns), frame.astype(object).values.tolist()


@pytest.mark.parametrize("case", cases())
def test_golden_case(case, workdir):
    if (case / "input").is_dir():
        shutil.copytree(case / "input", workdir, dirs_exist_ok=True)
    args = case_args(case)
    command, (files, options) = args[0], parsed(args[1:])
    status = int((case / "expected" / "status").read_text())
    errors = case / "expected" / "stderr"
    stderr = errors.read_text(encoding="utf-8") if errors.exists() else ""
    if command == "import":
        if status == 0 or "--seed" in options:
            pytest.skip("the module imports into a data file; tav-batch import prints its columns")
        with pytest.raises(tavexplorer.TavError) as raised:
            imported(files, options)
        assert str(raised.value) == stderr.split("\n")[0]
        return
    if UNOFFERED & set(options) or case.name in COMMAND_LINE_ONLY:
        pytest.skip("an option of the command line only")
    if command == "findings" and "--target" not in options:
        pytest.skip("the target kept in a session is the window's")
    if status == 1 and "not a data file" in stderr:
        pytest.skip("the module imports a plain table")
    if status != 0:
        with pytest.raises((tavexplorer.TavError, ValueError)) as raised:
            explore(command, files, options)
        first = stderr.split("\n")[0]
        if status == 1:
            assert str(raised.value) == first
        elif "code page" not in first and "number" not in first:
            # "tav-batch CMD: --option: what" against the module's "What".
            assert first.split(": ", 2)[2].lower() in str(raised.value).lower()
        return
    result = explore(command, files, options)
    columns, rows, summary = expected_table(case, command == "findings")
    got_columns, got_rows = frame_rows(result)
    assert got_columns == columns
    assert [[printed(v) for v in row] for row in got_rows] == rows
    if summary is not None:
        assert result.attrs["summary"] == summary
