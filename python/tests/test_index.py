"""Many runs from Python: rdbxml.metrics gives the records the index stores,
rdbxml.Index adds files as `rdbxml index` does, puts runs made elsewhere
(a pool's metrics or ParseError) as they would have been indexed, and
answers queries."""
import faulthandler
import os
import pickle
import subprocess
import threading

import pandas
import pytest

import rdbxml
from conftest import EXAMPLE, TOOL, index_contents, nightly_runs

TABLES = ["objects", "gauges", "summary_rows", "points", "headings", "column_stats", "table_rows", "cells"]


def tool_index(database, *arguments):
    subprocess.run([TOOL, "index", "-q", database, *arguments], capture_output=True)
    return index_contents(database)


def computed_elsewhere(path, cells=False):
    """What a worker hands back for `path`: its metrics, or its ParseError,
    through pickle as a process pool carries them."""
    try:
        result = rdbxml.metrics(path, cells=cells)
    except rdbxml.ParseError as error:
        result = error
    return pickle.loads(pickle.dumps(result))


def normal(records):
    return sorted((tuple(sorted(r.items())) for r in records), key=repr)


def test_metrics_are_the_records_the_index_stores(tmp_path):
    paths = nightly_runs(tmp_path, 4)
    stored = tool_index(str(tmp_path / "tool.db"), "--cells", *paths)
    for path in paths:
        records = rdbxml.metrics(path, cells=True)
        assert records["run"]["file"] == path and records["run"]["cells"] is True
        run = os.path.realpath(path)
        for table in TABLES:
            rows = [dict(r) for r in stored[table] if dict(r)["run_id"] == run]
            for row in rows:
                del row["run_id"]
            assert normal(rows) == normal(records[table]), table
        # Every kind of record is there: nothing above compared empty lists.
        assert all(records[t] for t in TABLES), [t for t in TABLES if not records[t]]
    assert "cells" not in [t for t in TABLES if rdbxml.metrics(paths[0])[t]]
    # A report parsed already gives the same records, without a file's size.
    report = rdbxml.parse(paths[1])
    of_report = rdbxml.metrics(report)
    assert of_report["run"]["size"] is None and of_report["gauges"] == rdbxml.metrics(paths[1])["gauges"]


def test_runs_put_from_elsewhere_are_the_runs_rdbxml_index_writes(tmp_path):
    paths = nightly_runs(tmp_path, 8)
    for cells in (False, True):
        options = ["--cells"] if cells else []
        expected = tool_index(str(tmp_path / ("tool%d.db" % cells)), *options, str(tmp_path / "runs"))
        index = rdbxml.Index(tmp_path / ("put%d.db" % cells))
        for path in paths:
            index.put(path, computed_elsewhere(path, cells), label=os.path.basename(path))
        assert index_contents(index.path) == expected
        statuses = [r["status"] for r in index.runs()]
        assert statuses.count("failed") == 1 and len(statuses) == 8


def test_add_reads_a_file_again_only_when_it_changed(tmp_path):
    paths = nightly_runs(tmp_path, 7)
    index = rdbxml.Index(str(tmp_path / "runs.db"))
    told = index.add(paths, jobs=2)
    assert [t["outcome"] for t in told] == ["indexed"] * 6 + ["failed"]
    assert told[6]["error"].startswith(paths[6] + ":") and ": error: " in told[6]["error"]
    assert index_contents(index.path) == tool_index(str(tmp_path / "tool.db"), *paths)
    # One run's file changes: it alone is read again, and has its new values.
    with open(paths[2], encoding="utf-8") as report:
        text = report.read().replace("<value>42</value>", "<value>99</value>")
    with open(paths[2], "w", encoding="utf-8") as report:
        report.write(text)
    stat = os.stat(paths[2])
    os.utime(paths[2], ns=(stat.st_atime_ns, stat.st_mtime_ns + 1000))
    assert [t["outcome"] for t in index.add(paths)] == ["unchanged"] * 2 + ["indexed"] + ["unchanged"] * 4
    logic = index.query("SELECT r.label, g.value FROM gauges g JOIN runs r ON r.id = g.run_id "
                        "WHERE g.name = ? ORDER BY r.label", ("Logic elements",))
    assert isinstance(logic, pandas.DataFrame)
    assert logic["value"].tolist() == [40, 41, 99, 43, 44, 45]
    # A good run that now fails loses its values.
    with open(paths[0], "w") as report:
        report.write("<report>")
    assert index.add(paths[0])[0]["outcome"] == "failed"
    assert index.query("SELECT COUNT(*) FROM gauges g JOIN runs r ON r.id = g.run_id WHERE r.label = ?",
                       (paths[0],)).iloc[0, 0] == 0


def test_runs_in_time_order_with_the_time_given(tmp_path):
    paths = nightly_runs(tmp_path, 3)
    index = rdbxml.Index(str(tmp_path / "runs.db"))
    for path, time in zip(paths, ["2026-12-03", "2026-12-01 10:00", "@1764547200"]):
        index.put(path, rdbxml.metrics(path), time=time)
    assert [(r["label"], r["time"]) for r in index.runs()] == [
        (paths[2], "2025-12-01T00:00:00.000000000Z"),
        (paths[1], "2026-12-01T10:00:00.000000000Z"),
        (paths[0], "2026-12-03T00:00:00.000000000Z")]
    with pytest.raises(ValueError, match="not a time"):
        index.put(paths[0], rdbxml.metrics(paths[0]), time="yesterday")


def test_a_database_it_cannot_write_is_an_os_error_naming_it(tmp_path):
    missing = str(tmp_path / "no" / "such" / "runs.db")
    with pytest.raises(OSError, match=missing):
        rdbxml.Index(missing)
    not_an_index = tmp_path / "other.db"
    not_an_index.write_bytes(b"not a database at all, but long enough to be read as one" * 100)
    with pytest.raises(OSError, match=str(not_an_index)):
        rdbxml.Index(not_an_index)


def test_add_parses_without_the_gil(tmp_path):
    """The index reads a pipe that this thread fills: with the GIL held
    through add, neither could go on (the watchdog ends the run)."""
    fifo = str(tmp_path / "pipe.xml")
    os.mkfifo(fifo)
    index = rdbxml.Index(str(tmp_path / "runs.db"))
    told = {}
    adder = threading.Thread(target=lambda: told.update(outcome=index.add(fifo, jobs=1)))
    faulthandler.dump_traceback_later(30, exit=True)
    try:
        adder.start()
        with open(fifo, "wb") as pipe, open(EXAMPLE, "rb") as f:
            pipe.write(f.read())
        adder.join()
    finally:
        faulthandler.cancel_dump_traceback_later()
    assert told["outcome"][0]["outcome"] == "indexed"
    assert index.query("SELECT COUNT(*) FROM gauges").iloc[0, 0] == 3


def test_add_of_a_directory_indexes_what_rdbxml_index_does(tmp_path):
    paths = nightly_runs(tmp_path, 8)
    runs = os.path.dirname(paths[0])
    os.makedirs(os.path.join(runs, "week2", "empty"))
    os.rename(paths[3], os.path.join(runs, "week2", "run03.xml"))
    os.rename(paths[4], os.path.join(runs, "week2", "run04.xml.bak"))  # no report file's name
    index = rdbxml.Index(str(tmp_path / "runs.db"))
    told = index.add([os.path.join(runs, "week2", "empty"), runs, os.path.join(runs, "week2", "empty")])
    assert [t["outcome"] for t in told] == ["not read"] + ["indexed"] * 4 + ["failed"] + ["indexed"] * 2 + ["not read"]
    assert told[0] == told[-1] and told[0]["error"].endswith("empty: error: no report file below this directory "
                                     "(*.xml, *.xml.gz, *.xml.zst, *.xml.xz)")
    assert "week2/run03.xml" in [r["label"] for r in index.runs()]
    assert index_contents(index.path) == tool_index(str(tmp_path / "tool.db"), runs)


def test_put_of_what_is_no_run(tmp_path):
    path = nightly_runs(tmp_path, 1)[0]
    index = rdbxml.Index(str(tmp_path / "runs.db"))
    # A file a worker could not read makes no run: its OSError is raised here.
    with pytest.raises(FileNotFoundError):
        index.put(path, FileNotFoundError(2, "No such file or directory", path))
    with pytest.raises(TypeError, match="the dict of rdbxml.metrics or its ParseError, not list"):
        index.put(path, [])
    assert index.runs() == []
