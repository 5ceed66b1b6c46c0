"""The JUnit report of `rdbxml check` read back by Python's XML parser, as a
CI system reads it: a suite per file, a case per rule, the counts of tests,
failures, errors and skipped cases in agreement with the cases, and names
holding markup, control characters and bytes that are not UTF-8."""
import os
import subprocess
import xml.etree.ElementTree as ET

TOOL = os.environ["RDBXML"]
EXAMPLE = os.environ["RDBXML_EXAMPLE"]

RULES = [
    "main/timing/Setup slack : Slack < 0ps",
    "**/Flow summary : Logic elements > 90%",
    "main/extra/Count : Count > 5",
]


def example(**edits):
    with open(EXAMPLE, encoding="utf-8") as f:
        text = f.read()
    for old, new in edits.items():
        assert old in text
        text = text.replace(old, new)
    return text


def write(directory, name, text):
    path = os.path.join(directory, name)
    with open(path, "wb") as f:
        f.write(text if isinstance(text, bytes) else text.encode("utf-8"))
    return path


def check(directory, files, *options):
    """The run, and its JUnit report parsed; the same report with -q, which
    leaves out what stderr says, never what the report says."""
    reports = []
    for quiet in ([], ["-q"]):
        args = [TOOL, "check", "-j", "2", "--junit", os.path.join(directory, "junit.xml"), *quiet, *options]
        for rule in RULES:
            args += ["--fail-if", rule]
        run = subprocess.run(args + files, capture_output=True)
        with open(os.path.join(directory, "junit.xml"), "rb") as f:
            reports.append(f.read())
    assert reports[0] == reports[1]
    return run, ET.fromstring(reports[0])


def counts(element):
    return {key: int(element.get(key)) for key in ("tests", "failures", "errors", "skipped")}


def test_suites_cases_and_counts(tmp_path):
    d = str(tmp_path)
    breaks = write(d, "breaks.xml", example())
    holds = write(d, "holds.xml", example(**{"<delay>-120</delay>": "<delay>120</delay>"}))
    # A file name with markup, blanks an attribute would lose, a control
    # character and a byte that is not UTF-8; a cell holding an escape
    # character (XML 1.1 may write it).
    # Not UTF-8: a byte no character starts with, a start without its
    # continuation, an overlong form, a surrogate, a sequence cut short.
    odd_name = b"odd <&\"'\t\n\r\x01\xff\xc3(\xc0\xaf\xed\xa0\x80.xml\xe2\x82"
    odd_text = example(**{"cpu/alu/acc_reg": "cpu/alu/acc&#x1b;&lt;&amp;&gt;reg"}).replace('version="1.0"', 'version="1.1"')
    odd = os.path.join(d, os.fsdecode(odd_name))
    write(d, os.fsdecode(odd_name), odd_text)
    missing = os.path.join(d, "missing.xml")
    extra = write(d, "extra.xml", '<report><folders><root name="main"/><folder name="extra"/></folders>'
                  '<folder_ref name="extra" parent="main"/><table name="Count" parent="extra">'
                  "<row><string_cell>Count</string_cell></row><row><int_cell>3</int_cell></row>"
                  "<row><int_cell>9</int_cell></row></table></report>")
    run, root = check(d, [breaks, holds, odd, missing, extra])
    assert run.returncode == 1, run.stderr

    assert root.tag == "testsuites"
    suites = root.findall("testsuite")
    shown_odd = os.path.join(d, "odd <&\"'\t\n\r" + "\ufffd" * 3 + "(" + "\ufffd" * 5 + ".xml" + "\ufffd" * 2)
    assert [s.get("name") for s in suites] == [breaks, holds, shown_odd, missing, extra]
    expected = {
        breaks: dict(tests=3, failures=1, errors=0, skipped=1),
        holds: dict(tests=3, failures=0, errors=0, skipped=1),
        missing: dict(tests=1, failures=0, errors=1, skipped=0),
        extra: dict(tests=3, failures=1, errors=0, skipped=2),
    }
    total = dict(tests=0, failures=0, errors=0, skipped=0)
    for suite in suites:
        cases = suite.findall("testcase")
        found = dict(tests=len(cases), failures=sum(len(c.findall("failure")) for c in cases),
                     errors=sum(len(c.findall("error")) for c in cases),
                     skipped=sum(len(c.findall("skipped")) for c in cases))
        assert counts(suite) == found, suite.get("name")
        assert all(c.get("classname") == suite.get("name") for c in cases)
        if suite.get("name") in expected:
            assert found == expected[suite.get("name")], suite.get("name")
        for key in total:
            total[key] += found[key]
    assert counts(root) == total
    assert total == dict(tests=13, failures=3, errors=1, skipped=5)

    # A case per rule, named by it; the failure lists the row.
    by_name = {s.get("name"): s for s in suites}
    assert [c.get("name") for c in by_name[breaks].findall("testcase")] == RULES
    failure = by_name[breaks].find("testcase/failure")
    assert failure.get("message") == "fails: " + RULES[0] + " (1 of 2 rows)"
    assert failure.text.startswith("main/timing/Setup slack: Slack = -120 ps (row 1: -120 ps, cpu/alu/acc_reg, ")
    assert "and" not in failure.text
    skipped = by_name[breaks].findall("testcase")[2].find("skipped")
    assert skipped.get("message") == "main/extra/Count matches no object in this file"
    # The cell's escape character replaced, its markup as it was.
    odd_failure = suites[2].find("testcase/failure")
    assert "cpu/alu/acc\ufffd<&>reg" in odd_failure.text
    # The file that gave no report: one case, its error.
    (read,) = by_name[missing].findall("testcase")
    assert read.get("name") == "read"
    assert read.find("error").get("message") == missing + ": error: cannot read: No such file or directory"


def test_a_rule_wrong_in_every_file_is_an_error_case_in_each(tmp_path):
    d = str(tmp_path)
    files = [write(d, "a.xml", example()), write(d, "b.xml", example())]
    args = [TOOL, "check", "--junit", os.path.join(d, "j.xml"), "--fail-if", "main/timing/Setup slak : Slack < 0ps",
            "--fail-if", RULES[1]]
    run = subprocess.run(args + files, capture_output=True)
    assert run.returncode == 2
    with open(os.path.join(d, "j.xml"), "rb") as f:
        root = ET.fromstring(f.read())
    assert counts(root) == dict(tests=4, failures=0, errors=2, skipped=0)
    for suite in root.findall("testsuite"):
        error = suite.find("testcase/error")
        assert error.get("message") == "main/timing/Setup slak matches no object in any file"
