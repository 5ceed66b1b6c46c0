"""What a notebook shows of a report, a table and a summary (_repr_html_):
markup that parses, the texts the report shows, every text escaped, and a
long table cut to its first rows with a note of the rest."""
import xml.etree.ElementTree as ElementTree

import rdbxml
from conftest import EXAMPLE, report_with


def parsed(html):
    """The markup as a tree: it fails on anything not well-formed, and on
    a text that was not escaped."""
    assert isinstance(html, str)
    return ElementTree.fromstring("<root>%s</root>" % html)


def texts(tree, tag):
    return ["".join(element.itertext()) for element in tree.iter(tag)]


def test_a_table_shows_its_heading_and_cells_as_the_report_does():
    slack = dict(rdbxml.parse(EXAMPLE).walk())["main/timing/Setup slack"]
    tree = parsed(slack._repr_html_())
    assert texts(tree, "caption") == ["tan_slack_table main/timing/Setup slack"]
    assert texts(tree, "th") == ["Slack", "From", "To", "Clock", "Levels"]
    assert texts(tree, "td")[:5] == ["-120 ps", "cpu/alu/acc_reg", "cpu/regfile/r0", "clk_core", "14"]
    assert 'style="text-align: right; color: #ff0000"' in slack._repr_html_()
    assert "more rows" not in slack._repr_html_()


def test_every_text_is_escaped():
    hostile = "<b>&amp;</b>"
    xml = report_with(
        '<table name="a&lt;b" parent="main"><row><string_cell>&lt;th&gt;</string_cell></row>'
        "<row><string_cell>%s</string_cell></row></table>" % hostile.replace("&", "&amp;").replace("<", "&lt;"))
    report = rdbxml.parse_bytes(xml.encode(), name="<&>.xml")
    table = report.main_folder.objects[0]
    html = table._repr_html_()
    tree = parsed(html)
    assert texts(tree, "td") == [hostile] and texts(tree, "th") == ["<th>"]
    assert texts(tree, "caption") == ["table main/a<b"]
    assert "&lt;b&gt;&amp;amp;&lt;/b&gt;" in html
    tree = parsed(report._repr_html_())
    assert texts(tree, "strong") == ["<&>.xml"]
    assert texts(tree, "td")[3:6] == ["main/a<b", "table", "1 row"]


def test_a_long_table_shows_its_first_rows_and_says_how_many_more():
    rows = "".join("<row><int_cell>%d</int_cell><string_cell>r%d</string_cell></row>" % (i, i) for i in range(120))
    table = rdbxml.parse_bytes(report_with('<table name="t" parent="main">%s</table>' % rows).encode()).main_folder.objects[0]
    tree = parsed(table._repr_html_())
    assert len(list(tree.iter("tr"))) == 50 and texts(tree, "th") == []
    assert texts(tree, "td")[-2:] == ["49", "r49"]
    assert texts(tree, "p") == ["\u2026 70 more rows"]


def test_a_summary_shows_its_rows_and_its_gauges_with_their_values():
    report = rdbxml.parse(EXAMPLE)
    summary = report.main_folder.objects[0].objects[0]
    tree = parsed(summary._repr_html_())
    assert texts(tree, "caption") == ["summary main/summaries/Flow summary"]
    cells = texts(tree, "td")
    assert cells[:2] == ["Status", "Successful"]
    assert cells[-9:] == ["Logic elements", "63%", "0 to 100", "Memory bits", "41%", "0 to 100",
                          "Pins", "118", "0 to 320"]
    assert summary.gauges._repr_html_() in summary._repr_html_()


def test_a_report_lists_its_objects():
    report = rdbxml.parse(EXAMPLE)
    tree = parsed(report._repr_html_())
    cells = texts(tree, "td")
    assert cells[:3] == ["main", "folder", "3 objects"]
    assert ["main/timing/Setup slack", "tan_slack_table", "2 rows"] == cells[cells.index("main/timing/Setup slack"):][:3]
    assert len(cells) == 3 * len(list(report.walk())) and texts(tree, "p") == [report.file]
