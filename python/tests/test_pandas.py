"""Tables as pandas DataFrames: the columns, titles and texts of the tool's
CSV, with dtypes by what a column holds and its delays in one unit, the
same in every run whatever unit a report shows them in."""
import io
import math
import os
import subprocess
import sys

import numpy
import pandas
import pytest

import rdbxml
from conftest import DATA, TOOL, write

REPORT = os.path.join(DATA, "csv_tables.xml")


def tables():
    return {obj.name: obj for _, obj in rdbxml.parse(REPORT).walk() if isinstance(obj, rdbxml.Table)}


def test_dtypes_and_one_unit_per_delay_column_as_the_csv_has_it():
    paths = tables()["Paths"].to_pandas(unit=None)
    assert list(paths.columns) == ["Slack (ns)", 'Note, "quoted"', "To", "4"]
    assert [str(t) for t in paths.dtypes] == ["float64", "object", "object", "object"]
    # -120 ps, 2500 ps and 0 ps, all shown in the column's unit, ns.
    assert paths["Slack (ns)"].tolist() == [-0.12, 2.5, 0.0]
    assert paths["4"].tolist() == ["  padded  ", None, -5]
    fmax = tables()["Fmax"].to_pandas(unit=None)
    assert list(fmax.columns) == ["Clock", "Fmax (MHz)"] and fmax.dtypes.iloc[1] == numpy.float64
    assert fmax["Fmax (MHz)"].iloc[0] == 400.0 and math.isnan(fmax["Fmax (MHz)"].iloc[1])
    numbers = tables()["numbers"].to_pandas(unit=None)
    assert list(numbers.columns) == ["1", "2"] and numbers.dtypes.iloc[0] == numpy.int64
    assert numbers["1"].tolist() == [1, 2] and numbers["2"].tolist() == ["one", None]


def slack_run(*delays):
    """A run's report: a slack table of the delays (ps, unit), a heading row
    over them."""
    rows = "".join("<row>%s<string_cell>p%d</string_cell></row>" % (delay(ps, unit), i)
                   for i, (ps, unit) in enumerate(delays))
    xml = ('<report><folders><root name="main"/></folders><tan_slack_table name="Setup" parent="main">'
           "<row><string_cell>Slack</string_cell><string_cell>Path</string_cell></row>%s</tan_slack_table></report>"
           % rows)
    return rdbxml.parse_bytes(xml.encode()).main_folder.objects[0]


def test_a_unit_asked_for_gives_every_run_the_same_columns():
    # The same slacks, shown in ns in one run and in MHz (first) in the next.
    runs = [slack_run((-120, "ns"), (2500, "ns"), (0, "ps")), slack_run((-120, "mhz"), (2500, "ps"), (0, "ns"))]
    for table in runs:
        ps = table.to_pandas()
        assert list(ps.columns) == ["Slack (ps)", "Path"] and [str(t) for t in ps.dtypes] == ["int64", "object"]
        assert ps["Slack (ps)"].tolist() == [-120, 2500, 0]  # the negative slack kept
        ns = table.to_pandas(unit="ns")
        assert list(ns.columns) == ["Slack (ns)", "Path"] and str(ns.dtypes.iloc[0]) == "float64"
        assert ns["Slack (ns)"].tolist() == [-0.12, 2.5, 0.0]
        mhz = table.to_pandas(unit="MHz")
        assert list(mhz.columns) == ["Slack (MHz)", "Path"] and str(mhz.dtypes.iloc[0]) == "float64"
        values = mhz["Slack (MHz)"].tolist()
        assert math.isnan(values[0]) and values[1] == 400.0 and math.isnan(values[2])
    # Each column's first delay: a title, dtype and numbers that change from run to run.
    assert [list(t.to_pandas(unit=None).columns)[0] for t in runs] == ["Slack (ns)", "Slack (MHz)"]
    with pytest.raises(ValueError, match="unknown delay unit 's'"):
        runs[0].to_pandas(unit="s")


def delay(ps, unit):
    return "<delay_cell><delay>%d</delay><display_option>%s</display_option></delay_cell>" % (ps, unit)


def test_integer_columns_with_gaps_and_mixed_columns():
    xml = (
        '<report><folders><root name="main"/></folders><table name="t" parent="main">'
        "<row><string_cell>n</string_cell><string_cell>d</string_cell><string_cell>m</string_cell></row>"
        "<row><int_cell>1</int_cell>%s%s</row><row><int_cell>2</int_cell>%s%s</row><row/>"
        "<row><int_cell>4</int_cell>%s<string_cell>n/a</string_cell></row></table></report>"
        % (delay(5, "ps"), delay(5000, "ns"), delay(7, "ns"), delay(2000, "ps"), delay(9, "mhz"))
    )
    table = rdbxml.parse_bytes(xml.encode()).main_folder.objects[0]
    frame = table.to_pandas()
    assert list(frame.columns) == ["n", "d (ps)", "m (ps)"]
    assert [str(t) for t in frame.dtypes] == ["Int64", "Int64", "object"]
    assert frame["n"].isna().tolist() == [False, False, True, False]
    assert frame["d (ps)"].tolist()[:2] == [5, 7] and frame["d (ps)"].iloc[3] == 9
    # Every delay in the unit asked for, whatever its own; or in the unit
    # of the column's first.
    assert frame["m (ps)"].tolist() == [5000, 2000, None, "n/a"]
    assert table.to_pandas(unit=None)["m (ns)"].tolist() == [5.0, 2.0, None, "n/a"]
    d = table.to_pandas(unit="ns")["d (ns)"]
    assert str(d.dtype) == "float64" and d.tolist()[:2] == [0.005, 0.007] and math.isnan(d.iloc[2])


def test_frames_hold_what_the_tools_csv_holds(tmp_path):
    subprocess.run([TOOL, "-q", "--csv", str(tmp_path) + "/", REPORT], check=True)
    for name, table in tables().items():
        csv_path = [os.path.join(r, f) for r, _, fs in os.walk(tmp_path) for f in fs if f == name + ".csv"][0]
        expected = pandas.read_csv(csv_path, dtype=str, keep_default_na=False)
        frame = table.to_pandas(unit=None)
        assert list(frame.columns) == list(expected.columns)
        for column in frame.columns:
            unit = column[column.rfind("(") + 1 : -1] if column.endswith(")") else None
            got = [text(v, unit) for v in frame[column].tolist()]
            assert got == expected[column].tolist(), (name, column)


def text(value, unit):
    """A frame's value as the CSV writes the same cell."""
    if value is None or (isinstance(value, float) and math.isnan(value)):
        return ""
    if unit == "ns":
        return "%.3f" % value
    if unit == "MHz":
        return "%.1f" % value
    return str(value)


def test_the_module_imports_without_pandas(tmp_path):
    blocker = tmp_path / "pandas.py"
    blocker.write_text("raise ImportError('no pandas here')\n")
    script = (
        "import rdbxml, sys\n"
        "[(_, t)] = rdbxml.parse(sys.argv[1]).select('main/Paths')\n"
        "print(len(t.rows))\n"
        "try:\n    t.to_pandas()\nexcept ImportError as e:\n    print(e)\n"
    )
    env = dict(os.environ, PYTHONPATH=str(tmp_path) + os.pathsep + os.environ["PYTHONPATH"])
    run = subprocess.run([sys.executable, "-c", script, REPORT], env=env, capture_output=True, text=True)
    assert run.stdout.splitlines() == ["3", "no pandas here"], run.stderr


def test_gauges_as_a_frame_hold_what_the_tools_csv_holds(tmp_path):
    xml = (
        '<report><folders><root name="main"/></folders><summary name="Fit" parent="main">'
        "<row><string_cell>Status</string_cell><string_cell>ok</string_cell></row><gauges>"
        '<gauge name="Logic" percent="true" enabled="true"><min>0</min><max>8</max><value>5</value></gauge>'
        '<gauge name="Down" enabled="true"><min>10</min><max>-10</max><value>5</value></gauge>'
        '<gauge name="Flat"><min>4</min><max>4</max><value>4</value></gauge>'
        "</gauges></summary></report>")
    report = write(tmp_path, "fit.xml", xml)
    subprocess.run([TOOL, "-q", "--csv", str(tmp_path / "csv") + "/", report], check=True)
    expected = pandas.read_csv(tmp_path / "csv" / "main" / "Fit%gauges.csv")
    frame = rdbxml.parse(report).main_folder.objects[0].gauges.to_pandas()
    assert list(frame.columns) == ["name", "value", "min", "max", "percent", "disabled"]
    assert [str(t) for t in frame.dtypes] == ["object", "int64", "int64", "int64", "float64", "bool"]
    assert frame["name"].tolist() == expected["name"].tolist() == ["Logic", "Down", "Flat"]
    for column in ["value", "min", "max"]:
        assert frame[column].tolist() == expected[column].tolist(), column
    assert frame["percent"].tolist()[:2] == expected["percent"].tolist()[:2] == [62.5, 25.0]
    assert math.isnan(frame["percent"].iloc[2]) and math.isnan(expected["percent"].iloc[2])
    assert frame["disabled"].tolist() == [False, False, True]
