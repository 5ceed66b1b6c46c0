#!/usr/bin/python3
"""The report page in a warm headless chromium (tests/html/page/devtools.py
drives it): the page's size against the report's, its first paint, and a
search and a sort of a 100 000-row table through the page's controllers.

    page_bench.py [--tool RDBXML] [--report BIG.xml] [--diff OLD NEW]
                  [--loads N] [--reps N] [--rows N] [--dir DIR]

--report is the large report whose page is measured for size and first
paint (the generator's 100 MB report: rdb_bench_gen big.xml 100 1);
without it those two are left out. --diff measures the page of
`rdbxml diff --html OLD NEW` the same way, and how many of its rows the
browser holds. The table of --rows rows is a report of its own, written
here (the same bytes for the same count). The first search or sort of a
table reads its data block and makes the column's keys: it is shown on
its own, and the median is of the runs after it. Figures go
to standard output; the goals are in bench/README.md, "The report page".
"""
import argparse
import os
import pathlib
import random
import statistics
import subprocess
import sys
import tempfile
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "html" / "page"))
from devtools import Browser  # noqa: E402

FIRST_PAINT = """new Promise(done => {
  const look = () => {
    const paint = performance.getEntriesByType('paint').find(e => e.name === 'first-contentful-paint');
    if (paint) done(paint.startTime); else setTimeout(look, 10);
  };
  look();
})"""

# One step through the table's controller, timed from the call to the end
# of the layout it causes (reading offsetHeight makes the browser lay the
# page out then and there).
TIMED_SHOW = """(async () => {
  const table = rdbxml.tables[%(id)s];
  const start = performance.now();
  const pending = table.show(%(state)s);
  if (pending && pending.then) await pending;
  void document.body.offsetHeight;
  return [performance.now() - start, table.element.tBodies[0].rows.length];
})()"""


def table_report(path, rows, seed=1):
    """A report of one table of `rows` data rows after a heading row:
    instance, from, to, two integers and two delays shown in ps or ns."""
    pick = random.Random(seed)
    with open(path, "w", encoding="utf-8") as out:
        out.write('<report><folders><root name="main"/></folders>\n<table name="Paths" parent="main">\n<row>')
        out.write("".join(f"<string_cell>{t}</string_cell>"
                          for t in ("Instance", "From", "To", "Count", "Fanout", "Slack", "Delay")))
        out.write("</row>\n")
        for r in range(rows):
            unit = "ns" if pick.random() < 0.5 else "ps"
            delay = ("<delay_cell><delay>%d</delay><display_option>" + unit + "</display_option></delay_cell>")
            out.write(f"<row><string_cell>top/u{r}/reg</string_cell>"
                      f"<string_cell>core/alu{pick.randrange(64)}/q</string_cell>"
                      f"<string_cell>core/regfile/r{pick.randrange(32)}</string_cell>"
                      f"<int_cell>{pick.randrange(1000)}</int_cell><int_cell>{pick.randrange(200000)}</int_cell>"
                      + delay % pick.randrange(-5000, 5000) + delay % pick.randrange(0, 20000) + "</row>\n")
        out.write("</table>\n</report>\n")


def write_page(tool, report, page):
    subprocess.run([tool, "-q", "--html", str(page), str(report)], check=True)
    return pathlib.Path(page)


def first_paints(browser, url, loads):
    browser.open(url)  # the warm-up: the file in the cache, the code compiled
    browser.eval(FIRST_PAINT)
    paints = []
    for _ in range(loads):
        browser.open(url)
        paints.append(browser.eval(FIRST_PAINT) / 1000)
    return paints


def timed(browser, table_id, state, reps, reset):
    """The first run's time, and the times of `reps` runs after it."""
    times = []
    for _ in range(reps + 1):
        browser.eval("rdbxml.tables[%s].show(%s)" % (repr(table_id), reset))
        ms, shown = browser.eval(TIMED_SHOW % {"id": repr(table_id), "state": state})
        times.append(ms)
    return times[0], times[1:]


def cold(browser, url, table_id, state, loads, idle=0.0):
    """The time of `state` as the first step after each of `loads` fresh
    loads of the page: the data block read and the keys made each time,
    unless the page had `idle` seconds (a person reading the table before
    typing) to read the block of the table in view."""
    times = []
    for _ in range(loads):
        browser.open(url)
        time.sleep(idle)
        times.append(browser.eval(TIMED_SHOW % {"id": repr(table_id), "state": state})[0])
    return times


def line(what, values, unit, goal=None, first=None):
    text = "%-44s median %8.3f %s (%.3f to %.3f, %d runs)" % (
        what, statistics.median(values), unit, min(values), max(values), len(values))
    if first is not None:
        text += ", first %.3f %s" % (first, unit)
    if goal is not None:
        text += "  goal <= %g %s: %s" % (goal, unit, "met" if statistics.median(values) <= goal else "NOT met")
    print(text, flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default=str(HERE.parent / "build-bench" / "bin" / "rdbxml"))
    parser.add_argument("--report", help="the large report (rdb_bench_gen big.xml 100 1)")
    parser.add_argument("--loads", type=int, default=9)
    parser.add_argument("--reps", type=int, default=9)
    parser.add_argument("--rows", type=int, default=100000)
    parser.add_argument("--diff", nargs=2, metavar=("OLD", "NEW"), help="two reports whose diff page is measured")
    parser.add_argument("--dir", help="where the pages go (default: a temporary directory)")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="rdbxml-page-bench-") as scratch, Browser() as browser:
        where = pathlib.Path(args.dir or scratch)
        where.mkdir(parents=True, exist_ok=True)
        if args.report:
            page = write_page(args.tool, args.report, where / "big.html")
            report_size, page_size = os.path.getsize(args.report), os.path.getsize(page)
            print("%-44s %.1f MB page of a %.1f MB report: %.3f  goal <= 0.5: %s" % (
                "page size", page_size / 1e6, report_size / 1e6, page_size / report_size,
                "met" if page_size <= report_size / 2 else "NOT met"), flush=True)
            line("first contentful paint, large report", first_paints(browser, page.as_uri(), args.loads), "s", 0.5)

        if args.diff:
            diff_page = where / "diff.html"
            run = subprocess.run([args.tool, "diff", "-q", "--html", str(diff_page)] + args.diff)
            if run.returncode not in (0, 1):
                sys.exit("rdbxml diff failed")
            paints = first_paints(browser, diff_page.as_uri(), args.loads)
            changes, tables, paged, shown = browser.eval("""[
                Object.values(rdbxml.tables).reduce((n, t) => n + t.rows().length, 0),
                Object.keys(rdbxml.tables).length,
                document.querySelectorAll('table.cells[data-rows]').length,
                document.querySelectorAll('table.cells tbody tr').length]""")
            print("%-44s %.1f MB page; %d changes in %d tables, %d paged; %d rows in the document" % (
                "diff page", os.path.getsize(diff_page) / 1e6, changes, tables, paged, shown), flush=True)
            line("first contentful paint, diff page", paints, "s")

        report = where / f"table_{args.rows}.xml"
        table_report(report, args.rows)
        page = write_page(args.tool, report, where / f"table_{args.rows}.html")
        line("first contentful paint, %d-row table" % args.rows, first_paints(browser, page.as_uri(), args.loads), "s")
        table_id = browser.eval("document.querySelector('table[data-rows]').id")
        rows = browser.eval("rdbxml.tables[%s].rows().length" % repr(table_id))
        if rows != args.rows:
            sys.exit("the table has %s data rows, not %d" % (rows, args.rows))
        reset = "{search: '', sort: '', filter: '', page: 1}"
        for what, state, goal in (
                # A name on one row near the end: every row is looked at.
                ("search, one match in %d rows" % args.rows, "{search: 'top/u%d/'}" % (args.rows * 9 // 10), 200),
                ("search, a match in about 1 row in 32", "{search: 'regfile/r7'}", 200),
                ("sort by Slack (delays in ps and ns)", "{sort: '6'}", 500),
                ("sort by From (text), descending", "{sort: '-2'}", 500),
                ("filter Slack < 0", "{filter: 'Slack < 0'}", None)):
            first, times = timed(browser, table_id, state, args.reps, reset)
            line(what, times, "ms", goal, first)
        # The same as the first step on a freshly opened page.
        search = "{search: 'top/u%d/'}" % (args.rows * 9 // 10)
        line("search, the first after opening", cold(browser, page.as_uri(), table_id, search, args.loads), "ms", 200)
        line("sort by Slack, the first after opening", cold(browser, page.as_uri(), table_id, "{sort: '6'}", args.loads),
             "ms", 500)
        line("search, the first after opening and 1 s idle",
             cold(browser, page.as_uri(), table_id, search, args.loads, idle=1.0), "ms", 200)


if __name__ == "__main__":
    main()
