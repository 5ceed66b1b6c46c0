"""The tool's CSV read back by Python's csv module and by pandas: every
field exactly as the tool's JSON report holds the cell (delays in their
column's unit, instance names as paths)."""
import csv
import io
import json
import os
import subprocess
import tempfile

import pandas
import pytest

TOOL = os.environ["RDBXML"]
REPORT = os.path.join(os.environ["RDBXML_TEST_DATA_DIR"], "csv_tables.xml")


def tool(*args):
    return subprocess.run([TOOL, *args], check=True, capture_output=True).stdout


def json_tables():
    """Each table of the report by name: its rows of cells as JSON has them."""
    report = json.loads(tool("--json", REPORT))["report"]
    tables, pending = {}, [report["main_folder"]]
    while pending:
        folder = pending.pop()
        for obj in folder["objects"]:
            if obj["kind"] == "folder":
                pending.append(obj)
            elif "rows" in obj:
                tables[obj["name"]] = obj["rows"]
    return tables


def expected_text(cell, unit):
    """The field the CSV must hold for a JSON cell in a column of `unit`."""
    if cell["type"] == "delay":
        ps = cell["delay"]
        if unit == "ns":
            return "%s%d.%03d" % ("-" if ps < 0 else "", abs(ps) // 1000, abs(ps) % 1000)
        if unit == "ps":
            return str(ps)
        return "%.1f" % (1e6 / ps) if ps > 0 else ""
    if cell["type"] == "iname":
        return cell["path"]
    return str(cell["value"])


@pytest.fixture(scope="module")
def written():
    with tempfile.TemporaryDirectory() as out:
        tool("--csv", out + "/", REPORT)
        files = {}
        for root, _, names in os.walk(out):
            for name in names:
                with open(os.path.join(root, name), "rb") as f:
                    files[name[: -len(".csv")]] = f.read()
        yield files


def test_every_field_reads_back_exactly(written):
    tables = json_tables()
    assert sorted(written) == sorted(tables)
    for name, data in written.items():
        lines = list(csv.reader(io.StringIO(data.decode("utf-8"), newline="")))
        header, rows = lines[0], lines[1:]
        units = [h[h.rfind("(") + 1 : -1] if h.endswith(("(ns)", "(ps)", "(MHz)")) else None for h in header]
        json_rows = tables[name]
        heading = len(json_rows) > len(rows)
        assert len(json_rows) - heading == len(rows)
        for json_row, row in zip(json_rows[heading:], rows):
            assert len(row) == len(header)
            texts = [expected_text(c, u) for c, u in zip(json_row, units)]
            assert row == texts + [""] * (len(row) - len(texts))


def test_gauges_read_back_as_numbers_with_a_gap_for_no_percent():
    """A summary's gauges file, read by pandas as it comes: the JSON report's
    values, and its percent of the range, which an empty range lacks."""
    report = os.path.join(os.environ["RDBXML_TEST_DATA_DIR"], "rules_report.xml")
    selected = ("--select", "**/Flow summary")
    summary = json.loads(tool("--json", *selected, report))["report"]["main_folder"]["objects"][0]["objects"][0]
    slots = [slot for slot in summary["gauges"]["slots"] if slot is not None]
    with tempfile.TemporaryDirectory() as out:
        tool("--csv", out + "/", *selected, report)
        frame = pandas.read_csv(os.path.join(out, "main", "fit", "Flow summary%gauges.csv"))
    assert list(frame.columns) == ["name", "value", "min", "max", "percent"]
    assert [str(t) for t in frame.dtypes] == ["object", "int64", "int64", "int64", "float64"]
    assert frame["name"].tolist() == [slot["name"] for slot in slots]
    for column in ("value", "min", "max"):
        assert frame[column].tolist() == [slot[column] for slot in slots]
    percents = frame["percent"].tolist()
    assert [None if p != p else p for p in percents] == [slot["percent_of_range"] for slot in slots]
    assert None in [slot["percent_of_range"] for slot in slots]
