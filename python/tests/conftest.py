"""Where the Python tests find the tool, the test reports and the example
(CTest sets the variables; see python/CMakeLists.txt)."""
import glob
import json
import os
import sqlite3
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


UNITS = ["ps", "ns", "mhz"]


def nightly_runs(directory, count):
    """`count` runs of the example design in `directory`/runs, each a report
    of its own figures: the gauges and slacks move from run to run, the
    slacks shown in a unit that changes too, every third run has warnings
    and every seventh run is a file that fails to parse. The reports'
    paths, in order."""
    text = open(EXAMPLE, encoding="utf-8").read()
    runs = os.path.join(str(directory), "runs")
    os.makedirs(runs, exist_ok=True)
    paths = []
    for n in range(count):
        report = (text.replace("<value>63</value>", "<value>%d</value>" % (40 + n))
                  .replace("<value>118</value>", "<value>%d</value>" % (300 - 3 * n))
                  .replace("<delay>-120</delay><display_option>ps</display_option>",
                           "<delay>%d</delay><display_option>%s</display_option>" % (150 - 20 * n, UNITS[n % 3]))
                  .replace("<delay>310</delay><display_option>ps</display_option>",
                           "<delay>%d</delay><display_option>%s</display_option>" % (310 + n, UNITS[(n + 1) % 3])))
        if n % 3 == 0:
            report = report.replace("<folders ", "<passed_over/><folders ", 1)
        if n % 7 == 6:
            report = report[: len(report) // 2]
        path = os.path.join(runs, "run%02d.xml" % n)
        with open(path, "w", encoding="utf-8") as out:
            out.write(report)
        paths.append(path)
    return paths


def index_contents(database):
    """Every table of an index as sets of rows, without what differs between
    two databases of the same runs: row ids (a run's rows name its file) and
    when each run was indexed."""
    connection = sqlite3.connect("file:%s?mode=ro" % database, uri=True)
    try:
        files = dict(connection.execute("SELECT id, file FROM runs"))
        contents = {}
        tables = [t for (t,) in connection.execute("SELECT name FROM sqlite_master WHERE type = 'table'")]
        for table in tables:
            cursor = connection.execute('SELECT * FROM "%s"' % table)
            names = [c[0] for c in cursor.description]
            rows = []
            for row in cursor.fetchall():
                fields = dict(zip(names, row))
                if table == "runs":
                    del fields["id"], fields["indexed_at"]
                elif "run_id" in fields:
                    fields["run_id"] = files[fields["run_id"]]
                rows.append(tuple(sorted(fields.items())))
            contents[table] = sorted(rows, key=repr)
        return contents
    finally:
        connection.close()
