"""Parsing from files and memory: the report's JSON is the tool's, refused
reports raise ParseError with their diagnostics, the options reach the
parser, and the parse runs without the GIL."""
import faulthandler
import gzip
import os
import pathlib
import subprocess
import sys
import threading

import pytest

import rdbxml
from conftest import DATA, EXAMPLE, EXAMPLE_HIERARCHY, REPORTS, report_with, tool_reports, write


def python_report(path, **options):
    try:
        return rdbxml.parse(path, **options).to_json()
    except rdbxml.ParseError:
        return None


@pytest.mark.parametrize(
    "options",
    [{}, {"schema": True}, {"hierarchy": os.path.join(DATA, "table_hierarchy.txt")}],
    ids=["default", "schema", "hierarchy"],
)
def test_json_equals_the_tools_for_every_test_report(options):
    tool_options = ["--schema"] if options.get("schema") else []
    if "hierarchy" in options:
        tool_options += ["--hierarchy", options["hierarchy"]]
    expected = tool_reports(REPORTS, *tool_options)
    assert any(e is None for e in expected) and any(e is not None for e in expected)
    assert [python_report(path, **options) for path in REPORTS] == expected


def test_example_with_its_hierarchy_equals_the_tool():
    report = rdbxml.parse(pathlib.Path(EXAMPLE), hierarchy=pathlib.Path(EXAMPLE_HIERARCHY))
    assert report.to_json() == tool_reports([EXAMPLE], "--hierarchy", EXAMPLE_HIERARCHY)[0]
    assert '"instance":"top/cpu/pll"' in report.to_json()


def test_bytes_plain_and_compressed_give_the_files_report():
    with open(EXAMPLE, "rb") as f:
        data = f.read()
    expected = rdbxml.parse(EXAMPLE).to_json()
    for given in (data, gzip.compress(data), bytearray(data), memoryview(data)):
        report = rdbxml.parse_bytes(given, name="mem.xml")
        assert report.to_json() == expected
        assert report.file == "mem.xml"
    with pytest.raises(TypeError):
        rdbxml.parse_bytes("text, not bytes")


def test_malformed_file_raises_parse_error_with_its_place(tmp_path):
    path = write(tmp_path, "broken.xml", "<report>\n  <folders>\n  </report>\n")
    with pytest.raises(rdbxml.ParseError) as raised:
        rdbxml.parse(path)
    errors = [d for d in raised.value.diagnostics if d.severity != "warning"]
    assert errors, raised.value.diagnostics
    first = errors[0]
    assert (first.file, first.line, first.severity) == (path, 3, "fatal error")
    assert first.column > 0 and "folders" in first.message
    assert str(raised.value).startswith("%s:3:%d: fatal error: " % (path, first.column))
    assert str(first) == "%s:3:%d: fatal error: %s" % (path, first.column, first.message)


def test_unknown_enumeration_and_bytes_name_in_diagnostics():
    xml = report_with('<chart name="c" parent="main">\n<type>donut</type>\n</chart>\n')
    with pytest.raises(rdbxml.ParseError) as raised:
        rdbxml.parse_bytes(xml.encode(), name="run1.xml")
    [error] = [d for d in raised.value.diagnostics if d.severity != "warning"]
    assert (error.file, error.line, error.severity) == ("run1.xml", 3, "error")
    assert error.message == "Unrecognized enumeration type: donut"


def test_warnings_of_a_good_report_and_its_messages():
    xml = report_with('<table name="t" parent="nowhere"><row><int_cell>1</int_cell></row></table>')
    report = rdbxml.parse_bytes(xml.encode())
    assert [d.severity for d in report.diagnostics] == ["warning"]
    assert "nowhere" in report.diagnostics[0].message
    assert any(m.startswith("RDB_XML: Parsing resulted in") for m in report.messages)


def test_missing_file_and_bad_hierarchy(tmp_path):
    with pytest.raises(rdbxml.ParseError) as raised:
        rdbxml.parse(str(tmp_path / "none.xml"))
    assert raised.value.diagnostics and str(raised.value).startswith(str(tmp_path / "none.xml"))
    bad = write(tmp_path, "h.txt", "top/a\nother/b\n")
    with pytest.raises(ValueError, match="h.txt:2"):
        rdbxml.parse(EXAMPLE, hierarchy=bad)
    with pytest.raises(ValueError, match="h.txt:2: top instance"):
        rdbxml.Hierarchy(bad)
    with pytest.raises(ValueError, match="none.txt: No such file"):
        rdbxml.Hierarchy(tmp_path / "none.txt")


def test_options_reach_the_parser():
    def configuration(**options):
        report = rdbxml.parse(EXAMPLE, **options)
        return [m for m in report.messages if "Parser configuration" in m][0].split(": ", 2)[2]

    assert configuration() == "Schema (false), Namespaces (true), Static Buffers (true), Dead Parser (false)"
    assert configuration(namespaces=False, static_buffers=False, dead_parser=True) == (
        "Schema (false), Namespaces (false), Static Buffers (false), Dead Parser (true)"
    )
    assert rdbxml.parse(EXAMPLE, dead_parser=True).main_folder is None
    misspelled = os.path.join(DATA, "schema_misspelled.xml")
    assert rdbxml.parse(misspelled).main_folder is not None
    with pytest.raises(rdbxml.ParseError):
        rdbxml.parse(misspelled, schema=True)


def test_parse_runs_without_the_gil(tmp_path):
    """The parse reads a pipe that this thread fills: with the GIL held
    through the parse, neither could go on (the watchdog ends the run)."""
    fifo = str(tmp_path / "pipe.xml")
    os.mkfifo(fifo)
    result = {}
    reader = threading.Thread(target=lambda: result.update(report=rdbxml.parse(fifo)))
    faulthandler.dump_traceback_later(30, exit=True)
    try:
        reader.start()
        with open(fifo, "wb") as pipe, open(EXAMPLE, "rb") as f:
            pipe.write(f.read())
        reader.join()
    finally:
        faulthandler.cancel_dump_traceback_later()
    assert result["report"].main_folder.name == "main"


def test_a_nul_character_refuses_the_report_and_an_endless_device_ends(tmp_path):
    # The example with a NUL and garbage after it is refused at the NUL,
    # from a file and from bytes, as the garbage alone would be.
    with open(EXAMPLE, "rb") as f:
        example = f.read()
    line = example.count(b"\n") + 1
    (tmp_path / "nul.xml").write_bytes(example + b"\0<garbage")
    for parse in (lambda: rdbxml.parse(str(tmp_path / "nul.xml")), lambda: rdbxml.parse_bytes(example + b"\0<garbage")):
        with pytest.raises(rdbxml.ParseError) as raised:
            parse()
        nul = [d for d in raised.value.diagnostics if d.message.startswith("NUL character (U+0000)")]
        assert [(d.line, d.column, d.severity) for d in nul] == [(line, 1, "fatal error")], raised.value.diagnostics
    # /dev/zero never ends: the parse does, within a bound of CPU time that
    # a drain of all of it would meet (in a process of its own, which the
    # bound would kill).
    script = (
        "import resource, rdbxml\n"
        "resource.setrlimit(resource.RLIMIT_CPU, (10, 10))\n"
        "try:\n    rdbxml.parse('/dev/zero')\nexcept rdbxml.ParseError as e:\n    print(e)\n"
    )
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True)
    assert run.returncode == 0 and run.stdout.startswith("/dev/zero:1:1: fatal error: "), run
