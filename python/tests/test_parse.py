"""Parsing from files and memory: the report's JSON is the tool's, refused
reports raise ParseError with their diagnostics, files that cannot be opened
the OSError of open(), the options reach the parser, the parse runs without
the GIL, and Ctrl-C ends a parse on the main thread."""
import errno
import faulthandler
import gzip
import os
import pathlib
import pickle
import shutil
import subprocess
import sys
import tempfile
import threading

import pytest

import rdbxml
from conftest import (
    DATA,
    EXAMPLE,
    EXAMPLE_HIERARCHY,
    NOT_AS_WRITTEN,
    REPORTS,
    not_as_written_report,
    report_with,
    tool_reports,
    write,
)


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


def test_strict_refuses_a_report_with_any_warning(tmp_path):
    # Passed over (a folder never placed, a cell before any row) and the XML
    # parser's own warning (an attribute declared twice).
    xml = (
        "<!DOCTYPE report [<!ATTLIST report a CDATA #IMPLIED><!ATTLIST report a CDATA #IMPLIED>]>\n"
        '<report><folders><root name="main"/><folder name="lost"/></folders>\n'
        '<table name="t" parent="main"><int_cell>1</int_cell><row/></table></report>\n'
    )
    path = write(tmp_path, "warned.xml", xml)
    lenient = rdbxml.parse(path)
    assert [d.severity for d in lenient.diagnostics] == ["warning"] * 3
    for parse in (lambda **o: rdbxml.parse(path, **o), lambda **o: rdbxml.parse_bytes(xml.encode(), name=path, **o)):
        with pytest.raises(rdbxml.ParseError) as raised:
            parse(strict=True)
        # The warnings as without strictness, then the refusal, which is
        # what the exception says.
        diagnostics = raised.value.diagnostics
        assert [str(d) for d in diagnostics[:-1]] == [str(d) for d in lenient.diagnostics]
        assert str(diagnostics[-1]) == path + ": error: strict: the report is refused for its 3 warnings"
        assert str(raised.value) == str(diagnostics[-1])
    assert rdbxml.parse(EXAMPLE, strict=True).to_json() == rdbxml.parse(EXAMPLE).to_json()


# What each case says, the parser's tests hold; here, that the module
# passes it on and strict refuses for it: the first case, and the one with
# the most warnings.
@pytest.mark.parametrize(
    "case", [NOT_AS_WRITTEN[0], max(NOT_AS_WRITTEN, key=lambda case: len(case["warnings"]))], ids=["first", "most"]
)
def test_content_not_taken_as_written_is_a_warning_and_strict_refuses_it(tmp_path, case):
    path = write(tmp_path, "case.xml", not_as_written_report(case["body"]))
    read_as = write(tmp_path, "read_as.xml", not_as_written_report(case["read_as"]))
    report = rdbxml.parse(path)
    assert [str(d) for d in report.diagnostics] == [path + ":" + w for w in case["warnings"]]
    assert report.to_json() == rdbxml.parse(read_as).to_json()
    with pytest.raises(rdbxml.ParseError) as raised:
        rdbxml.parse(path, strict=True)
    assert [str(d) for d in raised.value.diagnostics[:-1]] == [str(d) for d in report.diagnostics]
    assert raised.value.diagnostics[-1].message.startswith("strict: the report is refused")


def test_a_file_that_cannot_be_opened_raises_the_oserror_of_open(tmp_path):
    missing = tmp_path / "none.xml"
    cases = [
        (str(missing), FileNotFoundError, errno.ENOENT),
        (missing, FileNotFoundError, errno.ENOENT),
        (os.fsencode(missing), FileNotFoundError, errno.ENOENT),
        (str(tmp_path), IsADirectoryError, errno.EISDIR),
    ]
    for path, kind, code in cases:
        with pytest.raises(kind) as raised:
            rdbxml.parse(path)
        with pytest.raises(kind) as opened:
            open(path, "rb")
        assert not isinstance(raised.value, rdbxml.ParseError)
        assert (raised.value.errno, raised.value.filename) == (code, os.fspath(path))
        assert str(raised.value) == str(opened.value)


def test_a_file_without_read_permission_raises_permission_error():
    """Root reads a file of mode 000: as root, the parse runs as nobody."""
    script = (
        "import sys, rdbxml\n"
        "for path in sys.argv[1:]:\n"
        "    try:\n"
        "        print(rdbxml.parse(path).main_folder.name)\n"
        "    except OSError as e:\n"
        "        print(type(e).__name__, e.errno, e.filename == path)\n"
    )
    command = [sys.executable, "-c", script]
    if os.geteuid() == 0:
        if shutil.which("setpriv") is None:
            pytest.skip("root reads any file, and setpriv, to run the parse as another user, is not installed")
        command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + command
    directory = tempfile.mkdtemp()
    try:
        os.chmod(directory, 0o755)
        locked, readable = os.path.join(directory, "locked.xml"), os.path.join(directory, "readable.xml")
        for path, mode in ((locked, 0o000), (readable, 0o644)):
            with open(path, "w") as f:
                f.write(report_with(""))
            os.chmod(path, mode)
        run = subprocess.run(command + [locked, readable], capture_output=True, text=True)
    finally:
        shutil.rmtree(directory)
    if os.geteuid() == 0 and run.returncode != 0 and "setpriv" in run.stderr:
        pytest.skip("setpriv cannot run the parse as nobody here: " + run.stderr.strip())
    # The same file, readable, gives its report: it is the permission.
    assert run.stdout.splitlines() == ["PermissionError %d True" % errno.EACCES, "main"], run.stderr


def test_a_path_holding_a_nul_is_refused_not_cut(tmp_path):
    """Cut at the NUL, each name is of a file that can be read."""
    report = write(tmp_path, "r.xml", report_with(""))
    hierarchy = write(tmp_path, "h.txt", "top/a\n")
    calls = [
        lambda: rdbxml.parse(report + "\0.gz"),
        lambda: rdbxml.parse(os.fsencode(report) + b"\0.gz"),
        lambda: rdbxml.parse(report, hierarchy=hierarchy + "\0.old"),
        lambda: rdbxml.parse_bytes(report_with("").encode(), hierarchy=hierarchy + "\0.old"),
        lambda: rdbxml.Hierarchy(hierarchy + "\0.old"),
    ]
    for call in calls:
        with pytest.raises(ValueError, match="embedded null byte") as raised:
            call()
        assert not isinstance(raised.value, rdbxml.ParseError)


def test_parse_error_is_a_value_error_and_pickles_with_its_diagnostics():
    with pytest.raises(ValueError) as raised:
        rdbxml.parse_bytes(report_with("<table name='t' parent='none'/><b>").encode(), name="r\u00e9.xml")
    error = raised.value
    assert isinstance(error, rdbxml.ParseError)
    error.add_note("while reading run 7")
    copy = pickle.loads(pickle.dumps(error))
    assert type(copy) is rdbxml.ParseError and str(copy) == str(error)
    assert copy.__notes__ == ["while reading run 7"]
    fields = lambda d: (d.severity, d.file, d.line, d.column, d.message, str(d))
    assert [fields(d) for d in copy.diagnostics] == [fields(d) for d in error.diagnostics]
    assert [d.severity for d in copy.diagnostics] == ["warning", "warning", "fatal error"]


def test_bad_hierarchy(tmp_path):
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


# Run in a process of its own, where a KeyboardInterrupt that arrives late
# cannot end the test session: a parse of a pipe that a thread fills with
# rows up to `limit` bytes, and the process sent SIGINT once the parse has
# read a megabyte. "cut": the parse closed the pipe before the end.
CTRL_C = r"""
import os, signal, sys, threading
import rdbxml

fifo, limit, mode = sys.argv[1], int(sys.argv[2]), sys.argv[3]
fed = {"bytes": 0, "cut": False, "handled at": None}
def handle(*_):
    fed.update({"handled at": fed["bytes"]})
    if mode == "nested":
        rdbxml.parse_bytes(b"<report/>")
if mode == "raise":
    signal.signal(signal.SIGINT, signal.default_int_handler)
else:
    signal.signal(signal.SIGINT, handle)
row = b"<row><int_cell>1</int_cell></row>" * 1024

def feed():
    try:
        with open(fifo, "wb") as pipe:
            pipe.write(b'<report><folders><root name="main"/></folders><table name="t" parent="main">')
            while fed["bytes"] < limit:
                pipe.write(row)  # waits while the parse is behind
                fed["bytes"] += len(row)
                if fed["bytes"] == 32 * len(row):  # far more than a pipe holds: the parse is reading
                    os.kill(os.getpid(), signal.SIGINT)
            pipe.write(b"</table></report>")
    except BrokenPipeError:
        fed["cut"] = True

os.mkfifo(fifo)
feeder = threading.Thread(target=feed)
feeder.start()
try:
    outcome = "%d rows" % len(rdbxml.parse(fifo).main_folder.objects[0].rows)
except (KeyboardInterrupt, RuntimeError) as e:
    outcome = type(e).__name__
feeder.join()
handled = fed["handled at"]
when = "never" if handled is None else "during the parse" if handled < limit else "after the parse"
print("%s; %s; handler %s" % (outcome, "cut" if fed["cut"] else "read to the end", when))
"""


@pytest.mark.parametrize("mode", ["raise", "record", "nested"])
def test_a_signal_reaches_a_parse_on_the_main_thread(tmp_path, mode):
    """Ctrl-C (KeyboardInterrupt) ends the parse long before its end; a
    handler that raises nothing runs during the parse, which goes on; one
    that would parse inside the parse it interrupts is refused."""
    limit = 64 << 20
    run = subprocess.run(
        [sys.executable, "-c", CTRL_C, str(tmp_path / "pipe.xml"), str(limit), mode],
        capture_output=True,
        text=True,
        timeout=300,
    )
    chunk = 1024 * len(b"<row><int_cell>1</int_cell></row>")
    rows = -(-limit // chunk) * 1024
    expected = {
        "raise": "KeyboardInterrupt; cut; handler never",
        "record": "%d rows; read to the end; handler during the parse" % rows,
        "nested": "RuntimeError; cut; handler during the parse",
    }[mode]
    assert run.stdout.strip() == expected, run.stderr


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
