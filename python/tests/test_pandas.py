"""Tables as pandas DataFrames: the columns, titles and texts of the tool's
CSV, with dtypes by what a column holds and its delays in one unit."""
import io
import math
import os
import subprocess
import sys

import numpy
import pandas

import rdbxml
from conftest import DATA, TOOL

REPORT = os.path.join(DATA, "csv_tables.xml")


def tables():
    return {obj.name: obj for _, obj in rdbxml.parse(REPORT).walk() if isinstance(obj, rdbxml.Table)}


def test_dtypes_and_one_unit_per_delay_column():
    paths = tables()["Paths"].to_pandas()
    assert list(paths.columns) == ["Slack (ns)", 'Note, "quoted"', "To", "4"]
    assert [str(t) for t in paths.dtypes] == ["float64", "object", "object", "object"]
    # -120 ps, 2500 ps and 0 ps, all shown in the column's unit, ns.
    assert paths["Slack (ns)"].tolist() == [-0.12, 2.5, 0.0]
    assert paths["4"].tolist() == ["  padded  ", None, -5]
    fmax = tables()["Fmax"].to_pandas()
    assert list(fmax.columns) == ["Clock", "Fmax (MHz)"] and fmax.dtypes.iloc[1] == numpy.float64
    assert fmax["Fmax (MHz)"].iloc[0] == 400.0 and math.isnan(fmax["Fmax (MHz)"].iloc[1])
    numbers = tables()["numbers"].to_pandas()
    assert list(numbers.columns) == ["1", "2"] and numbers.dtypes.iloc[0] == numpy.int64
    assert numbers["1"].tolist() == [1, 2] and numbers["2"].tolist() == ["one", None]


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
    frame = rdbxml.parse_bytes(xml.encode()).main_folder.objects[0].to_pandas()
    assert list(frame.columns) == ["n", "d (ps)", "m (ns)"]
    assert [str(t) for t in frame.dtypes] == ["Int64", "Int64", "object"]
    assert frame["n"].isna().tolist() == [False, False, True, False]
    assert frame["d (ps)"].tolist()[:2] == [5, 7] and frame["d (ps)"].iloc[3] == 9
    # Every delay in the unit of the column's first, whatever its own.
    assert frame["m (ns)"].tolist() == [5.0, 2.0, None, "n/a"]


def test_frames_hold_what_the_tools_csv_holds(tmp_path):
    subprocess.run([TOOL, "-q", "--csv", str(tmp_path) + "/", REPORT], check=True)
    for name, table in tables().items():
        csv_path = [os.path.join(r, f) for r, _, fs in os.walk(tmp_path) for f in fs if f == name + ".csv"][0]
        expected = pandas.read_csv(csv_path, dtype=str, keep_default_na=False)
        frame = table.to_pandas()
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
