"""What Python's threads share: one loaded Hierarchy handed to parses on four
threads at once, and one report read by them all, each giving what it gives
on one thread. (Many parses at once are the C++ ThreadTest's; that a parse
releases the GIL, test_parse.py's.)"""
import concurrent.futures

import rdbxml
from conftest import write


def design(tmp_path, blocks=60, units=50):
    """A hierarchy file of blocks * units instances, top/b<i>/u<j>."""
    lines = "".join("top/b%d/u%d\n" % (b, u) for b in range(blocks) for u in range(units))
    return write(tmp_path, "design.txt", lines)


def cells_report(seed, rows=200, blocks=60, units=50):
    """Instance names of the design: a unit alone, a block's unit, and one
    the design lacks."""
    body = ""
    for r in range(rows):
        k = seed * 7919 + r * 31
        unit, block = "u%d" % (k % units), "b%d" % (k // units % blocks)
        body += "<row><iname_cell>%s</iname_cell><iname_cell>%s/%s</iname_cell><iname_cell>%s/nowhere%d</iname_cell></row>" % (
            unit, block, unit, block, r)
    return '<report><folders><root name="main"/></folders><table name="t%d" parent="main">%s</table></report>' % (
        seed, body)


def test_one_hierarchy_and_one_report_serve_four_threads(tmp_path):
    hierarchy = design(tmp_path)
    files = [write(tmp_path, "cells%d.xml" % seed, cells_report(seed)) for seed in range(8)]
    sequential = [rdbxml.parse(f, hierarchy=hierarchy).to_json() for f in files]
    assert '"instance":"top/b0/u12","path":"u12"' in sequential[0]
    shared = rdbxml.Hierarchy(hierarchy)
    report = rdbxml.parse(files[0], hierarchy=shared)
    rows = report.main_folder.objects[0].rows

    def parse_and_read(f):
        # to_json writes the shared report without the GIL, on every thread at once.
        return rdbxml.parse(f, hierarchy=shared).to_json(), report.to_json(), rows[-1]

    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        for _ in range(2):
            got = list(pool.map(parse_and_read, files))
            assert [parsed for parsed, _, _ in got] == sequential
            assert all(json == sequential[0] and row == rows[-1] for _, json, row in got)
