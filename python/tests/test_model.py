"""The report model as Python objects, read from the example report: the
folder tree, each kind's fields, rows of values, the heading row, cells,
delays, gauges, chart points, and paths."""
import tracemalloc

import pytest

import rdbxml
from conftest import EXAMPLE, EXAMPLE_HIERARCHY, report_with


def by_path(report):
    # A summary's gauges object shares its summary's path: the summary is kept.
    objects = {}
    for path, obj in report.walk():
        objects.setdefault(path, obj)
    return objects


def test_folders_and_what_every_object_has(example):
    main = example.main_folder
    assert isinstance(main, rdbxml.Folder) and example.current_folder.name == "main"
    assert [(o.kind, o.name) for o in main.objects] == [("folder", "summaries"), ("folder", "timing"), ("folder", "notes")]
    timing = main.objects[1]
    assert (timing.creator, timing.enabled, timing.header, timing.footer) == (
        "timing_analyzer", True, "Timing analysis", "All times in picoseconds.")
    assert main.objects[2].header is None
    assert [type(o).__name__ for o in timing.objects] == ["Table", "SpeedTable", "SlackTable", "Chart"]
    assert repr(timing.objects[2]) == "<rdbxml.SlackTable 'main/timing/Setup slack'>"
    assert main.objects[0].objects[0].path == "main/summaries/Flow summary"


def test_walk_holds_one_path_at_a_time():
    # A folder chain 10 000 deep: the paths of all its folders together are
    # some 300 MB; a walk makes each as it is reached.
    n = 10000
    xml = ('<report><folders><root name="main"/>' + "".join(f'<folder name="f{i}"/>' for i in range(n)) +
           "</folders>" + "".join(f'<folder_ref name="f{i}" parent="{f"f{i - 1}" if i else "main"}"/>'
                                  for i in range(n)) + "</report>")
    report = rdbxml.parse_bytes(xml.encode())
    tracemalloc.start()
    try:
        count, longest = 0, 0
        for path, obj in report.walk():
            count += 1
            longest = max(longest, len(path))
        peak = tracemalloc.get_traced_memory()[1]
    finally:
        tracemalloc.stop()
    assert count == n + 1
    assert longest == len("main/" + "/".join(f"f{i}" for i in range(n)))
    assert peak < 16 << 20, f"{peak} bytes at the peak of the walk"
    # A walk is an iterator of its own, and keeps the report alive.
    walk = report.walk()
    del report
    assert iter(walk) is walk and next(walk)[0] == "main"


def test_walk_and_select_use_the_library_paths(example):
    paths = [path for path, _ in example.walk()]
    # The summary's gauges object has its summary's path: its own name is
    # the file format's, never a step.
    assert [(p, o.kind) for p, o in example.walk()][:4] == [
        ("main", "folder"), ("main/summaries", "folder"), ("main/summaries/Flow summary", "summary"),
        ("main/summaries/Flow summary", "gauges")]
    assert not any("This name" in path for path in paths)
    assert len(paths) == 14
    assert [o.kind for _, o in example.select("**/Flow summary")] == ["summary", "gauges"]
    assert [(p, o.kind) for p, o in example.select("main/**/Setup*")] == [("main/timing/Setup slack", "tan_slack_table")]
    assert [p for p, _ in example.select("main/*")] == ["main/summaries", "main/timing", "main/notes"]
    assert example.select("nothing/**") == []
    with pytest.raises(ValueError):
        example.select("main\\")
    # One object is one Python object, however it was reached.
    assert by_path(example)["main/timing"] is example.main_folder.objects[1]


def test_rows_are_values_under_the_heading_row(example):
    tables = by_path(example)
    clocks = tables["main/timing/Clocks"]
    assert clocks.heading == ["Clock", "Period (ps)", "Source"]
    assert list(clocks.rows) == [["clk_core", 2500, "cpu/pll"], ["clk_mem", 5000, "mem/pll"]]
    slack = tables["main/timing/Setup slack"]
    first = slack.rows[0]
    assert first == [rdbxml.Delay(-120, "ps"), "cpu/alu/acc_reg", "cpu/regfile/r0", "clk_core", 14]
    assert len(slack.rows) == 2 and slack.rows[-1][4] == 6
    with pytest.raises(IndexError):
        slack.rows[2]
    summary = tables["main/summaries/Flow summary"]
    assert summary.heading is None and summary.rows[0] == ["Status", "Successful"]
    chart = tables["main/timing/Slack histogram"]
    assert chart.heading == ["", ""] and len(chart.rows) == 5


def test_delay_value_type():
    assert [str(rdbxml.Delay(ps, unit)) for ps, unit in [(-120, "ns"), (-120, "ps"), (2427, "mhz"), (0, "mhz")]] == [
        "-0.120 ns", "-120 ps", "412.0 MHz", "0 ps"]
    assert [rdbxml.Delay(ps, unit).value for ps, unit in [(-120, "ns"), (-120, "ps"), (2500, "mhz"), (0, "mhz")]] == [
        -0.12, -120, 400.0, None]
    delay = rdbxml.Delay(2427, "MHz")
    assert (delay.ps, delay.unit, repr(delay)) == (2427, "mhz", "Delay(2427, 'mhz')")
    assert delay == rdbxml.Delay(2427, "mhz") and delay != rdbxml.Delay(2428, "mhz")
    with pytest.raises(ValueError):
        rdbxml.Delay(1, "s")


def test_delays_compare_by_picoseconds_whatever_their_units():
    D = rdbxml.Delay
    # The same time shown three ways is one delay: equal, and one in a set.
    assert D(2500, "ns") == D(2500, "ps") == D(2500, "mhz")
    assert len({D(2500, "ns"), D(2500, "ps"), D(2500, "mhz"), D(2501, "ps")}) == 2
    assert not (D(2500, "ns") != D(2500, "mhz"))
    # Sorted as times, not by unit or by the number shown: 400.0 MHz (2500
    # ps) is a longer period than 0.120 ns, whatever 400 > 0.12 says.
    mixed = [D(2500, "mhz"), D(-120, "ns"), D(310, "ps"), D(0, "mhz"), D(-121, "ps")]
    assert [d.ps for d in sorted(mixed)] == [-121, -120, 0, 310, 2500]
    assert max(mixed).unit == "mhz" and min(mixed).unit == "ps"
    assert D(-120, "ns") < D(-119, "ps") <= D(-119, "mhz") and D(5, "ns") > D(4, "ps") >= D(4, "mhz")
    assert not (D(3, "ps") < D(3, "ns")) and not (D(3, "ps") > D(3, "ns"))
    # A delay is no number: it equals none, and does not order against one.
    assert D(5, "ps") != 5
    with pytest.raises(TypeError):
        D(5, "ps") < 5


def test_rows_take_slices_as_a_list_does():
    heading = "<row><string_cell>n</string_cell><string_cell>name</string_cell></row>"
    body = heading + "".join("<row><int_cell>%d</int_cell><string_cell>r%d</string_cell></row>" % (i, i) for i in range(7))
    report = rdbxml.parse_bytes(report_with('<table name="t" parent="main">%s</table>' % body).encode())
    rows = report.main_folder.objects[0].rows
    as_list = list(rows)
    assert len(as_list) == 7 and as_list[0] == [0, "r0"]  # under the heading row
    slices = [slice(1, 5), slice(None, None, -1), slice(-2, None), slice(5, 1, -2), slice(None, None, 3),
              slice(4, 2), slice(-100, 100), slice(100, None), slice(None, None, -4), slice(1, -1, 2)]
    for s in slices:
        part = rows[s]
        assert isinstance(part, rdbxml.Rows), s
        assert list(part) == as_list[s] and len(part) == len(as_list[s]), s
        assert [part[i] for i in range(-len(part), len(part))] == as_list[s] * 2 if part else True, s
        # A slice of a slice is the list's slice of its slice.
        for inner in slices:
            assert list(part[inner]) == as_list[s][inner], (s, inner)
    with pytest.raises(IndexError):
        rows[1:3][2]
    with pytest.raises(ValueError):
        rows[::0]
    del report
    assert list(rows[::-3]) == [[6, "r6"], [3, "r3"], [0, "r0"]]  # the view keeps its report


def test_cells_with_colours_and_instances():
    report = rdbxml.parse(EXAMPLE, hierarchy=EXAMPLE_HIERARCHY)
    slack = by_path(report)["main/timing/Setup slack"]
    delay, source = slack.cell(0, 0), slack.cell(0, 1)
    assert (delay.kind, delay.value, delay.text, delay.foreground, delay.background) == (
        "delay", rdbxml.Delay(-120, "ps"), "-120 ps", "#ff0000", None)
    assert (source.kind, source.path, source.instance, source.background) == (
        "iname", "cpu/alu/acc_reg", "top/cpu/alu/acc_reg", "#ffffcc")
    assert source.value == "top/cpu/alu/acc_reg" and slack.rows[0][1] == "top/cpu/alu/acc_reg"
    assert slack.cell(0, 5) is None and slack.cell(-1, 3).value == "clk_mem"
    unresolved = rdbxml.parse(EXAMPLE).main_folder.objects[1].objects[2].cell(0, 1)
    assert (unresolved.value, unresolved.instance) == ("cpu/alu/acc_reg", None)


def test_each_kinds_own_fields(example):
    objects = by_path(example)
    summary = objects["main/summaries/Flow summary"]
    gauges = summary.gauges
    assert isinstance(gauges, rdbxml.Gauges) and gauges.name == "This name should not be observed"
    assert gauges.path == summary.path == "main/summaries/Flow summary"
    assert repr(gauges) == "<rdbxml.Gauges 'main/summaries/Flow summary'>"
    assert [(g.name, g.percent, g.min, g.max, g.value, g.disabled) for g in gauges.slots] == [
        ("Logic elements", True, 0, 100, 63, False), ("Memory bits", True, 0, 100, 41, False),
        ("Pins", False, 0, 320, 118, False)]
    assert [g.percent_of_range for g in gauges.slots] == [63.0, 41.0, 118 / 320 * 100]
    chart = objects["main/timing/Slack histogram"]
    assert (chart.chart_type, chart.x_axis, chart.y_axis, chart.display_labels, chart.size) == (
        "histogram", "Slack (ps)", "Paths", True, 5)
    assert chart.points[0] == ("-200..0", 3) and len(chart.points) == 5
    slack = objects["main/timing/Setup slack"]
    assert (slack.columns, slack.restricted_to, slack.analysis_type, slack.object_type) == (
        {"slack": 0, "from": 1, "to": 2, "from_clock": 3}, 10, 1, 8)
    assert objects["main/timing/Fmax"].show_min is True
    assert objects["main/notes/Run notes"].text.startswith("Compilation finished")
    assert isinstance(objects["main/notes/Notice"], rdbxml.Legal)
    embedded, waveform = objects["main/notes/Placement view"], objects["main/notes/Reset sequence"]
    assert (embedded.embedded_type, embedded.info) == ("image", "placement.png")
    assert (waveform.source_vector, waveform.result_vector, waveform.compare_mode) == (
        "reset_stimulus.vec", "reset_result.vec", True)


def test_a_gauges_percent_of_its_range_and_none_for_an_empty_range():
    report = rdbxml.parse_bytes(report_with(
        '<summary name="s" parent="main"><gauges>'
        '<gauge name="a" percent="true"><min>0</min><max>8</max><value>5</value></gauge>'
        '<gauge name="b"><min>10</min><max>-10</max><value>5</value></gauge>'
        '<gauge name="c" percent="true"><min>4</min><max>4</max><value>4</value></gauge>'
        '</gauges></summary>').encode())
    slots = report.main_folder.objects[0].gauges.slots
    assert [g.percent_of_range for g in slots] == [62.5, 25.0, None]


def test_a_gauge_shows_the_percent_the_tree_and_the_page_show():
    report = rdbxml.parse_bytes(report_with(
        '<summary name="s" parent="main"><gauges>'
        '<gauge name="Registers" percent="true"><min>0</min><max>2381</max><value>2096</value></gauge>'
        '<gauge name="Half" percent="true"><min>0</min><max>8</max><value>4</value></gauge>'
        '<gauge name="Pins"><min>0</min><max>320</max><value>118</value></gauge>'
        '<gauge name="Flat" percent="true"><min>4</min><max>4</max><value>4</value></gauge>'
        '</gauges></summary>').encode())
    assert [repr(g) for g in report.main_folder.objects[0].gauges.slots] == [
        "<rdbxml.Gauge 'Registers' 88.0% (0 to 2381)>", "<rdbxml.Gauge 'Half' 50% (0 to 8)>",
        "<rdbxml.Gauge 'Pins' 118 (0 to 320)>", "<rdbxml.Gauge 'Flat' 4 (4 to 4)>"]


def test_text_beyond_ascii_reads_back():
    xml = report_with('<table name="t" parent="main"><row><string_cell>caf\u00e9 \U0001f600</string_cell></row></table>')
    report = rdbxml.parse_bytes(xml.encode("utf-8"))
    assert report.main_folder.objects[0].heading == ["caf\u00e9 \U0001f600"]
