"""Four threads parse four files at once; every report equals the one a
sequential parse gives (rdbxml.parse releases the GIL: test_parse.py), also
when all of them resolve against one loaded Hierarchy."""
import concurrent.futures

import rdbxml
from conftest import write


def big_report(seed, rows=20000):
    body = "".join(
        '<row><string_cell>r%d</string_cell><int_cell>%d</int_cell>'
        "<delay_cell><delay>%d</delay><display_option>ps</display_option></delay_cell>"
        "<iname_cell>top/u%d</iname_cell></row>" % (i, i * seed, i - seed, i % 97)
        for i in range(rows)
    )
    return '<report><folders><root name="main"/></folders><table name="t%d" parent="main">%s</table></report>' % (
        seed, body)


def test_four_threads_give_the_sequential_reports(tmp_path):
    files = [write(tmp_path, "r%d.xml" % seed, big_report(seed)) for seed in range(4)]
    sequential = [rdbxml.parse(f).to_json() for f in files]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        for _ in range(2):
            assert list(pool.map(lambda f: rdbxml.parse(f).to_json(), files)) == sequential
    assert len(set(sequential)) == 4


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


def test_one_hierarchy_serves_parses_on_four_threads(tmp_path):
    hierarchy = design(tmp_path)
    files = [write(tmp_path, "cells%d.xml" % seed, cells_report(seed)) for seed in range(8)]
    sequential = [rdbxml.parse(f, hierarchy=hierarchy).to_json() for f in files]
    assert '"instance":"top/b0/u12","path":"u12"' in sequential[0]
    shared = rdbxml.Hierarchy(hierarchy)
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        for _ in range(2):
            assert list(pool.map(lambda f: rdbxml.parse(f, hierarchy=shared).to_json(), files)) == sequential
