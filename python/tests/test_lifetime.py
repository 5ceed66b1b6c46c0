"""Whatever Python holds of a report keeps it alive: a folder, a table's
rows and an iterator over them, a walk, a summary's gauges. After the
report is dropped, other reports are parsed into the memory it would have
freed; reading a dangling pointer reads their data or crashes the run."""
import gc

import rdbxml
from conftest import EXAMPLE


def churn():
    """Reports made and dropped, reusing whatever memory was freed."""
    for _ in range(3):
        other = rdbxml.parse_bytes(open(EXAMPLE, "rb").read().replace(b"clk_", b"XYZ_").replace(b"main", b"mane"))
        other.to_json()
    gc.collect()


def test_objects_and_rows_outlive_the_report_variable():
    report = rdbxml.parse(EXAMPLE)
    timing = report.main_folder.objects[1]
    rows = timing.objects[0].rows
    row_iterator = iter(timing.objects[2].rows)
    gauges = report.main_folder.objects[0].objects[0].gauges
    first_row = next(row_iterator)
    del report
    churn()
    assert timing.path == "main/timing" and timing.objects[0].name == "Clocks"
    assert list(rows) == [["clk_core", 2500, "cpu/pll"], ["clk_mem", 5000, "mem/pll"]]
    assert next(row_iterator)[3] == "clk_mem"
    assert first_row[0] == rdbxml.Delay(-120, "ps")
    assert gauges.slots[2].name == "Pins"


def test_dropping_the_report_while_iterating():
    walk = rdbxml.parse(EXAMPLE).walk()
    assert next(walk)[0] == "main"
    churn()
    assert [path for path, _ in walk][-1] == "main/notes/Reset sequence"
    names = []
    for path, obj in rdbxml.parse(EXAMPLE).walk():
        churn()
        names.append(obj.name)
    assert names[-1] == "Reset sequence" and len(names) == 14


def test_a_report_keeps_the_hierarchy_it_resolved_against(tmp_path):
    path = tmp_path / "design.txt"
    path.write_text("top/cpu/pll\ntop/mem/pll\n")
    design = rdbxml.Hierarchy(path)
    assert design.file == str(path) and repr(design) == "<rdbxml.Hierarchy %r>" % str(path)
    reports = [rdbxml.parse(EXAMPLE, hierarchy=design), rdbxml.parse_bytes(open(EXAMPLE, "rb").read(), design)]
    del design
    for n in range(3):
        other = tmp_path / ("other%d.txt" % n)
        other.write_text("XYZ/abc/def\nXYZ/ghi/jkl\n" * 50)
        rdbxml.Hierarchy(other)
    churn()
    for report in reports:
        clocks = report.main_folder.objects[1].objects[0]
        assert [row[2] for row in clocks.rows] == ["top/cpu/pll", "top/mem/pll"]
        assert clocks.cell(0, 2).instance == "top/cpu/pll"
