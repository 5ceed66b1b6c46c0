"""The diff and trend pages on the report page's parts: a long list of
changes is paged as a long table is, keeps its heading row and its
colours on every page, and the changed objects are the sidebar."""
import subprocess

from conftest import TOOL

ROWS = 250
REMOVED = 10  # the last rows of the old table, gone from the new one


def paths_table(rows):
    """A report of one table "Paths": a heading row, then (net, slack)."""
    xml = ['<report><folders><root name="main"/></folders><table name="Paths" parent="main">',
           "<row><string_cell>Net</string_cell><string_cell>Slack</string_cell></row>"]
    for net, slack in rows:
        xml.append(f"<row><string_cell>{net}</string_cell><delay_cell><delay>{slack}</delay>"
                   "<display_option>ps</display_option></delay_cell></row>")
    xml.append("</table></report>\n")
    return "".join(xml)


def write_diff(tmp_path, old_xml, new_xml):
    """The page of `rdbxml diff --html` for the two reports, as a URL."""
    old, new, page = tmp_path / "old.xml", tmp_path / "new.xml", tmp_path / "diff.html"
    old.write_text(old_xml, encoding="utf-8")
    new.write_text(new_xml, encoding="utf-8")
    run = subprocess.run([TOOL, "diff", "-q", "--html", str(page), str(old), str(new)])
    assert run.returncode == 1  # the reports differ
    return page.as_uri()


def long_diff(tmp_path):
    """Every slack one picosecond worse, and the last rows removed: one
    object with ROWS changes, more than a page."""
    old = [(f"n{i}", 100 + i) for i in range(ROWS)]
    new = [(net, slack - 1) for net, slack in old[:ROWS - REMOVED]]
    return write_diff(tmp_path, paths_table(old), paths_table(new))


TABLE = "document.querySelector('article.object table.cells.diff')"


def test_a_long_list_of_changes_is_one_paged_table_of_its_object(browser, tmp_path):
    browser.open(long_diff(tmp_path))
    assert browser.eval(f"{TABLE}.closest('article').id + '-t' === {TABLE}.id")
    assert browser.eval(f"{TABLE}.getAttribute('data-rows')") == str(ROWS)
    assert browser.eval(f"!!document.getElementById({TABLE}.id + '-data')")
    assert browser.eval(f"{TABLE}.tBodies[0].rows.length") == 100
    assert browser.eval("document.querySelector('header.page p').textContent") == f"{ROWS} changes in 1 object"


def heading_row():
    return f"Array.from({TABLE}.tHead.rows[0].cells, c => c.tagName + ':' + c.textContent)"


def test_every_page_keeps_the_heading_row_and_the_colours_of_its_changes(browser, tmp_path):
    browser.open(long_diff(tmp_path))
    heading = ["TH:\u00b1", "TH:What", "TH:Old", "TH:New", "TH:Difference"]
    assert browser.eval(heading_row()) == heading
    # The first page: a changed slack, its old value red, its new green.
    assert browser.eval(f"{TABLE}.tBodies[0].rows[0].cells[4].textContent") == "-1 ps"
    changed_old = f"getComputedStyle({TABLE}.tBodies[0].rows[0].cells[2]).backgroundColor"
    assert browser.eval(changed_old) == "rgb(252, 232, 230)"
    browser.eval(f"{TABLE}.closest('article').querySelector('.pager button:last-of-type').click()")
    browser.wait(f"{TABLE}.tBodies[0].rows.length === {ROWS - 200}")
    assert browser.eval(heading_row()) == heading
    # The last page, made by the script: the removed rows keep their
    # colour and their sign's style, as the first page's markup has them.
    removed = browser.eval(f"""Array.from({TABLE}.tBodies[0].rows).filter(r => r.cells[0].textContent === '-')
        .map(r => [r.cells[0].className, getComputedStyle(r.cells[1]).backgroundColor,
                   getComputedStyle(r.cells[0]).fontWeight])""")
    assert removed == [["sign del", "rgb(252, 232, 230)", "700"]] * REMOVED


def test_the_changed_objects_are_the_sidebar_and_link_to_their_changes(browser, tmp_path):
    old = paths_table([("a", 1), ("b", 2)]).replace(
        "</report>", '<table name="Second table" parent="main"><row><string_cell>x</string_cell></row></table></report>')
    new = paths_table([("a", 3), ("b", 2)])
    browser.open(write_diff(tmp_path, old, new))
    links = browser.eval("""Array.from(document.querySelectorAll('nav.tree a'), a => {
        const target = document.getElementById(a.hash.slice(1));
        return [a.textContent, target && target.tagName, target && target.querySelector('h3').textContent]; })""")
    assert links == [["main/Paths (table, rows keyed by Net) 1", "ARTICLE", "main/Paths (table, rows keyed by Net)"],
                     ["main/Second table (table) 1", "ARTICLE", "main/Second table (table)"]]
