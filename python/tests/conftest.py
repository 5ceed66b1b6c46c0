"""Where the Python tests find the tool, the test reports and the example
(CTest sets the variables; see python/CMakeLists.txt)."""
import glob
import json
import os
import subprocess

import pytest

TOOL = os.environ["RDBXML"]
DATA = os.environ["RDBXML_TEST_DATA_DIR"]
EXAMPLES = os.environ["RDBXML_EXAMPLES_DIR"]
EXAMPLE = os.path.join(EXAMPLES, "report.xml")
EXAMPLE_HIERARCHY = os.path.join(EXAMPLES, "hierarchy.txt")

# Every test report, the example first.
REPORTS = [EXAMPLE] + sorted(glob.glob(os.path.join(DATA, "*.xml")))

# Content the reader does not take as written, shared with the C++ tests:
# each case's report line, the line it is read as, and its warnings.
with open(os.path.join(DATA, "not_as_written.json"), encoding="utf-8") as cases:
    NOT_AS_WRITTEN = json.load(cases)


def not_as_written_report(body):
    """The report of one such case, line for line as the C++ tests write it."""
    return '<report><folders><root name="main"/></folders>\n' + body + "\n</report>\n"


def tool_reports(files, *options):
    """The "report" text of each line of the tool's --json for `files`, None
    where it gave none, exactly as written."""
    run = subprocess.run([TOOL, "-q", "--json", *options, *files], capture_output=True)
    reports = []
    for line in run.stdout.decode("utf-8").splitlines():
        text = line[line.index(',"report":') + len(',"report":') : -1]
        reports.append(None if text == "null" else text)
    assert len(reports) == len(files)
    return reports


def write(tmp_path, name, text):
    path = tmp_path / name
    path.write_text(text)
    return str(path)


def report_with(body):
    """A report of the main folder "main" and `body`."""
    return '<report><folders><root name="main"/></folders>\n' + body + "</report>"


@pytest.fixture(scope="session")
def example():
    import rdbxml

    return rdbxml.parse(EXAMPLE)
