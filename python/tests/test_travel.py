"""Values that travel to another process: delays, cells, gauges, rows,
diagnostics, a report's metrics and the module's functions pickle, so a
process pool or a Dask worker hands them back as they were."""
import copy
import multiprocessing
import pickle
import subprocess
import sys

import pytest

import rdbxml
from conftest import EXAMPLE, EXAMPLE_HIERARCHY, report_with, write

PROTOCOLS = range(pickle.HIGHEST_PROTOCOL + 1)


def round_trips(value):
    """`value` through pickle in each protocol from 2 (those before it: in a
    process of their own, below), and through deepcopy."""
    return [pickle.loads(pickle.dumps(value, protocol)) for protocol in PROTOCOLS[2:]] + [copy.deepcopy(value)]


def cell_fields(cell):
    return (type(cell), cell.kind, cell.value, repr(cell.value), cell.text, cell.foreground, cell.background,
            cell.path, cell.instance)


def tables(report):
    return [obj for _, obj in report.walk() if isinstance(obj, rdbxml.Table)]


def test_delays_keep_their_picoseconds_and_unit():
    for delay in [rdbxml.Delay(-120, "ns"), rdbxml.Delay(2427, "mhz"), rdbxml.Delay(0, "ps")]:
        for copied in round_trips(delay):
            # Equality alone would pass a delay that lost its unit.
            assert type(copied) is rdbxml.Delay and (copied.ps, copied.unit, str(copied)) == (
                delay.ps, delay.unit, str(delay))


def test_cells_and_rows_of_every_table_come_back_whole():
    report = rdbxml.parse(EXAMPLE, hierarchy=EXAMPLE_HIERARCHY)
    seen = set()
    for table in tables(report):
        rows = list(table.rows)
        for copied in round_trips(table.rows):
            # A row is its values; the copy holds nothing of the report.
            assert type(copied) is list and copied == rows
            assert [[repr(v) for v in row] for row in copied] == [[repr(v) for v in row] for row in rows]
        assert pickle.loads(pickle.dumps(table.rows[::-1])) == rows[::-1]
        for r, row in enumerate(rows):
            for c in range(len(row)):
                cell = table.cell(r, c)
                for copied in round_trips(cell):
                    assert cell_fields(copied) == cell_fields(cell)
                seen.add((cell.kind, cell.foreground is not None, cell.instance is not None))
    # Every kind of cell, coloured and not, an instance name resolved.
    assert {k for k, _, _ in seen} == {"string", "int", "delay", "iname"}
    assert ("delay", True, False) in seen and ("iname", False, True) in seen


def test_gauges_come_back_whole():
    report = rdbxml.parse_bytes(report_with(
        '<summary name="s" parent="main"><gauges>'
        '<gauge name="a" percent="true" enabled="true"><min>0</min><max>8</max><value>5</value></gauge>'
        '<gauge name="b"><min>4</min><max>4</max><value>-4</value></gauge>'
        "</gauges></summary>").encode())
    fields = lambda g: (g.name, g.percent, g.min, g.max, g.value, g.disabled, g.percent_of_range)
    slots = report.main_folder.objects[0].gauges.slots
    assert [fields(g) for g in slots] == [("a", True, 0, 8, 5, False, 62.5), ("b", False, 4, 4, -4, True, None)]
    for gauge in slots:
        for copied in round_trips(gauge):
            assert type(copied) is rdbxml.Gauge and fields(copied) == fields(gauge)


def test_a_state_that_is_not_a_cells_is_refused():
    cell = rdbxml.parse(EXAMPLE).main_folder.objects[1].objects[2].cell(0, 0)
    kind, *rest = cell.__getstate__()
    for state in [("float", *rest), (kind, *rest[:-1]), (3, *rest)]:
        with pytest.raises(ValueError, match="not the state of a Cell"):
            rdbxml.Cell.__new__(rdbxml.Cell).__setstate__(state)


# Each protocol, each object of the module: a copy of a value, or the
# TypeError of an object that lives in its report. A new interpreter, so
# that a protocol which ended the process fails the test alone.
EVERY_OBJECT_IN_EVERY_PROTOCOL = """
import pickle, sys
import rdbxml
report = rdbxml.parse(sys.argv[1], hierarchy=sys.argv[2])
objects = [report, report.walk(), rdbxml.Hierarchy(sys.argv[2])] + [obj for _, obj in report.walk()]
slack = report.select("main/timing/Setup slack")[0][1]
summary = report.select("main/summaries/Flow summary")[0][1]
values = [rdbxml.Delay(5, "ns"), slack.cell(0, 1), summary.gauges.slots[0], slack.rows, iter(slack.rows)]
try:
    rdbxml.parse_bytes(b"<report>")
except rdbxml.ParseError as error:
    values += [error, error.diagnostics[0]]
print(len(objects + values))
for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
    for obj in objects + values:
        try:
            copied = pickle.loads(pickle.dumps(obj, protocol))
            print(protocol, type(obj).__name__, "copied", type(copied).__name__, flush=True)
        except TypeError as error:
            print(protocol, type(obj).__name__, error, flush=True)
"""


def test_every_object_pickles_or_is_refused_in_every_protocol():
    run = subprocess.run([sys.executable, "-c", EVERY_OBJECT_IN_EVERY_PROTOCOL, EXAMPLE, EXAMPLE_HIERARCHY],
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    count, *lines = run.stdout.splitlines()
    assert len(lines) == len(PROTOCOLS) * int(count)
    outcomes = {}
    for line in lines:
        protocol, kind, outcome = line.split(" ", 2)
        outcomes.setdefault(kind, set()).add(outcome)
    # The same outcome in every protocol.
    assert {kind: len(o) for kind, o in outcomes.items()} == {kind: 1 for kind in outcomes}
    copied = {"Delay": "Delay", "Cell": "Cell", "Gauge": "Gauge", "Rows": "list", "ParseError": "ParseError",
              "Diagnostic": "Diagnostic"}
    for kind, (outcome,) in outcomes.items():
        if kind in copied:
            assert outcome == "copied " + copied[kind], kind
        else:
            assert outcome == "cannot pickle 'rdbxml._rdbxml.%s' object" % kind, kind
    assert {"Report", "_Walk", "Hierarchy", "RowIterator", "Folder", "SlackTable", "Gauges"} <= set(outcomes)


def test_the_modules_functions_pickle_by_name():
    for function in [rdbxml.parse, rdbxml.parse_bytes, rdbxml.metrics]:
        assert pickle.loads(pickle.dumps(function)) is function


def first_diagnostics(error):
    return [(d.severity, d.file, d.line, d.column, d.message) for d in error.diagnostics]


def test_a_process_pool_hands_back_parse_errors_with_their_diagnostics(tmp_path):
    bad = [write(tmp_path, "bad%d.xml" % i, report_with("<table name='t' parent='none'/>" + "<b>" * i)) for i in (1, 2)]
    expected = []
    for path in bad:
        with pytest.raises(rdbxml.ParseError) as raised:
            rdbxml.parse(path)
        expected.append((str(raised.value), first_diagnostics(raised.value)))
    # A new interpreter for each worker: nothing is shared but what pickle carries.
    with multiprocessing.get_context("spawn").Pool(2) as pool:
        good = pool.apply_async(rdbxml.metrics, (EXAMPLE,), {"cells": True})
        pending = [pool.apply_async(rdbxml.parse, (path,)) for path in bad]
        assert good.get(timeout=120) == rdbxml.metrics(EXAMPLE, cells=True)
        for result, (message, diagnostics) in zip(pending, expected):
            with pytest.raises(rdbxml.ParseError) as raised:
                result.get(timeout=120)
            assert str(raised.value) == message and first_diagnostics(raised.value) == diagnostics
            assert diagnostics[-1][0] == "fatal error"
