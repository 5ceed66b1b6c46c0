"""What the Python module costs: rdbxml.parse against the C++ parse of the
same file, a 100 000-row table to pandas, parses on several threads, and
parses with a big hierarchy given as a path or as one loaded Hierarchy.

    PYTHONPATH=build-bench/python /usr/bin/python3 bench/python_bench.py \\
        --runner build-bench/bin/rdb_bench --file build-bench/bench-data/report_100mb.xml

Every parse timing is a process of its own, the C++ and the Python parse
taking turns (`rdb_bench --child full FILE` and this script with --child),
each timing only the parse: default options but namespaces off, as the
benchmark's full parse. Prints Markdown tables of medians.
"""
import argparse
import concurrent.futures
import os
import statistics
import subprocess
import sys
import tempfile
import time

import rdbxml


def child(mode, path):
    """One timed operation in this process; prints its seconds."""
    start = time.perf_counter()
    if mode == "parse":
        report = rdbxml.parse(path, namespaces=False)
    elapsed = time.perf_counter() - start
    assert report.main_folder is not None
    print("%.6f" % elapsed)


def timed(command):
    return float(subprocess.run(command, check=True, capture_output=True, text=True).stdout.split()[-1])


def parse_against_cpp(runner, path, reps):
    cpp, python = [], []
    for _ in range(reps):
        cpp.append(timed([runner, "--child", "full", path]))
        python.append(timed([sys.executable, __file__, "--child", "parse", path]))
    c, p = statistics.median(cpp), statistics.median(python)
    size = os.path.getsize(path) / 1e6
    print("| parse of %s (%.0f MB) | s | × C++ |" % (os.path.basename(path), size))
    print("|---|---:|---:|")
    print("| C++, `rdb_bench --child full` | %.3f | 1.00 |" % c)
    print("| Python, `rdbxml.parse` | %.3f | %.3f |" % (p, p / c))
    print()


def table_report(rows):
    """A report of one table of `rows` rows of every cell kind."""
    cells = (
        "<row><string_cell>r%d</string_cell><int_cell>%d</int_cell>"
        "<delay_cell><delay>%d</delay><display_option>ns</display_option></delay_cell>"
        "<delay_cell><delay>%d</delay><display_option>ps</display_option></delay_cell>"
        "<iname_cell>top/core/u%d</iname_cell></row>"
    )
    body = "".join(cells % (i, i, i * 7 - 5000, i % 900, i % 97) for i in range(rows))
    return (
        '<report><folders><root name="main"/></folders><table name="t" parent="main">'
        "<row><string_cell>Name</string_cell><string_cell>Count</string_cell><string_cell>Slack</string_cell>"
        "<string_cell>Skew</string_cell><string_cell>Instance</string_cell></row>%s</table></report>" % body
    )


def best_of(reps, function):
    times = []
    for _ in range(reps):
        start = time.perf_counter()
        function()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def table_costs(rows, reps):
    with tempfile.NamedTemporaryFile(suffix=".xml") as f:
        f.write(table_report(rows).encode())
        f.flush()
        table = rdbxml.parse(f.name).main_folder.objects[0]
    assert len(table.rows) == rows
    print("| a table of %d rows, 5 columns | s |" % rows)
    print("|---|---:|")
    print("| `table.to_pandas()` | %.3f |" % best_of(reps, table.to_pandas))
    print("| `list(table.rows)` (for comparison) | %.3f |" % best_of(reps, lambda: list(table.rows)))
    print()


def threads(path, parses, counts, reps):
    def parse_once(_):
        rdbxml.parse(path, namespaces=False)

    print("| %d parses of %s on | s | speed-up |" % (parses, os.path.basename(path)))
    print("|---|---:|---:|")
    single = None
    for count in counts:
        with concurrent.futures.ThreadPoolExecutor(count) as pool:
            seconds = best_of(reps, lambda: list(pool.map(parse_once, range(parses))))
        single = single or seconds
        print("| %d thread%s | %.3f | %.2fx |" % (count, "" if count == 1 else "s", seconds, single / seconds))
    print()


def hierarchy_costs(lines, parses, reps):
    """`parses` parses of a small report with a hierarchy of `lines`
    instance paths: as a path, loaded by every parse, against one
    rdbxml.Hierarchy loaded once (its load counted)."""
    with tempfile.TemporaryDirectory() as scratch:
        design = os.path.join(scratch, "design.txt")
        with open(design, "w") as f:
            for i in range(lines):
                f.write("top/b%d/c%d/u%d\n" % (i // 1000, i // 10 % 100, i % 10))
        report = os.path.join(scratch, "cells.xml")
        with open(report, "w") as f:
            rows = "".join("<row><iname_cell>c%d/u%d</iname_cell></row>" % (i % 100, i % 10) for i in range(100))
            f.write('<report><folders><root name="main"/></folders><table name="t" parent="main">%s</table></report>'
                    % rows)

        def with_paths():
            for _ in range(parses):
                rdbxml.parse(report, hierarchy=design)

        def with_one_hierarchy():
            loaded = rdbxml.Hierarchy(design)
            for _ in range(parses):
                rdbxml.parse(report, hierarchy=loaded)

        def cpu(function):
            start = time.process_time()
            function()
            return time.process_time() - start

        print("| %d parses with a hierarchy of %d lines | s (wall) | s (CPU) |" % (parses, lines))
        print("|---|---:|---:|")
        for name, function in [("the path each time", with_paths), ("one `rdbxml.Hierarchy`", with_one_hierarchy),
                               ("no hierarchy", lambda: [rdbxml.parse(report) for _ in range(parses)])]:
            wall = best_of(reps, function)
            print("| %s | %.3f | %.3f |" % (name, wall, statistics.median(cpu(function) for _ in range(reps))))
        print()


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--child":
        return child(sys.argv[2], sys.argv[3])
    options = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    options.add_argument("--runner", help="rdb_bench of the same build")
    options.add_argument("--file", help="the report to parse (the 100 MB benchmark file)")
    options.add_argument("--reps", type=int, default=5)
    options.add_argument("--rows", type=int, default=100000)
    options.add_argument("--parses", type=int, default=4, help="parses of --file per thread count")
    options.add_argument("--hierarchy-lines", type=int, default=433000, help="lines of the big hierarchy")
    options.add_argument("--only-hierarchy", action="store_true", help="only the hierarchy's figures")
    args = options.parse_args()
    if args.only_hierarchy:
        return hierarchy_costs(args.hierarchy_lines, 10, args.reps)
    if args.runner is None or args.file is None:
        options.error("--runner and --file are needed but with --only-hierarchy")
    parse_against_cpp(args.runner, args.file, args.reps)
    table_costs(args.rows, args.reps)
    threads(args.file, args.parses, [1, 2, 4], max(1, args.reps // 2))
    hierarchy_costs(args.hierarchy_lines, 10, args.reps)


if __name__ == "__main__":
    main()
