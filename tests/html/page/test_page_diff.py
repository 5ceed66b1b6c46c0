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
CONTROLLER = f"rdbxml.tables[{TABLE}.id]"
PAGER = f"document.getElementById({TABLE}.id + '-pager').querySelector('span').textContent"


def test_a_long_list_of_changes_is_one_paged_table_of_its_object(browser, tmp_path):
    browser.open(long_diff(tmp_path))
    assert browser.eval(f"{TABLE}.closest('article').id + '-t' === {TABLE}.id")
    assert browser.eval(f"{TABLE}.getAttribute('data-rows')") == str(ROWS)
    assert browser.eval(f"{TABLE}.tBodies[0].rows.length") == 100
    assert browser.eval(f"{CONTROLLER}.rows().length") == ROWS
    assert browser.eval(PAGER) == f"Rows 1\u2013100 of {ROWS} (page 1 of 3)"
    assert browser.eval("document.querySelector('header.page p').textContent") == f"{ROWS} changes in 1 object"


def heading_row():
    return f"Array.from({TABLE}.tHead.rows[0].cells, c => c.tagName + ':' + c.textContent)"


def removed_rows_shown():
    """The sign cell's classes, the subject's background and the sign's
    weight of each removed row shown."""
    return f"""Array.from({TABLE}.tBodies[0].rows).filter(r => r.cells[0].textContent === '-')
        .map(r => [r.cells[0].className, getComputedStyle(r.cells[1]).backgroundColor,
                   getComputedStyle(r.cells[0]).fontWeight])"""


REMOVED_STYLE = ["sign del", "rgb(252, 232, 230)", "700"]


def test_every_page_keeps_the_heading_row_and_the_colours_of_its_changes(browser, tmp_path):
    browser.open(long_diff(tmp_path))
    heading = ["TH:\u00b1", "TH:What", "TH:Old", "TH:New", "TH:Difference"]
    assert browser.eval(heading_row()) == heading
    # The first page: a changed slack, its old value red, its new green.
    assert browser.eval(f"{TABLE}.tBodies[0].rows[0].cells[4].textContent") == "-1 ps"
    changed = f"getComputedStyle({TABLE}.tBodies[0].rows[0].cells[%d]).backgroundColor"
    assert browser.eval(changed % 2) == "rgb(252, 232, 230)"
    assert browser.eval(changed % 3) == "rgb(230, 244, 234)"
    browser.eval(f"{CONTROLLER}.show({{page: 2}})")
    assert browser.eval(heading_row()) == heading
    browser.eval(f"{CONTROLLER}.show({{page: 3}})")
    assert browser.eval(heading_row()) == heading
    # The last page, made by the script: the removed rows keep their
    # colour and their sign's style, as the first page's markup has them.
    assert browser.eval(removed_rows_shown()) == [REMOVED_STYLE] * REMOVED


def test_a_filter_narrows_the_changes_and_a_sort_brings_the_removed_first(browser, tmp_path):
    browser.open(long_diff(tmp_path))
    # A text: the nets n24 and n240 to n249, the last ten removed.
    browser.eval(f"{CONTROLLER}.show({{filter: 'n24'}})")
    assert browser.eval(f"{TABLE}.tBodies[0].rows.length") == 11
    assert browser.eval(removed_rows_shown()) == [REMOVED_STYLE] * REMOVED
    # A condition on the differences: every slack one picosecond worse,
    # the removed rows have none.
    browser.eval(f"{CONTROLLER}.show({{filter: 'Difference < 0'}})")
    assert browser.eval(PAGER).startswith(f"Rows 1\u2013100 of {ROWS - REMOVED} (filtered from {ROWS})")
    browser.eval(f"{CONTROLLER}.show({{filter: '', sort: '1'}})")
    assert browser.eval(f"Array.from({TABLE}.tBodies[0].rows).slice(0, {REMOVED + 1}).map(r => r.cells[0].textContent)"
                        ) == ["-"] * REMOVED + ["~"]


def test_a_short_list_of_changes_keeps_its_colours_when_sorted(browser, tmp_path):
    old = paths_table([("a", 1), ("b", 2), ("c", 3)])
    new = paths_table([("a", 5), ("b", 2)])
    browser.open(write_diff(tmp_path, old, new))
    signs = f"Array.from({TABLE}.tBodies[0].rows, r => r.cells[0].className + ':' + r.cells[0].textContent)"
    assert browser.eval(signs) == ["sign chg:~", "sign del:-"]
    # The rows are made again from the markup's cells, classes and all.
    browser.eval(f"{CONTROLLER}.show({{sort: '1'}})")
    assert browser.eval(signs) == ["sign del:-", "sign chg:~"]


TRENDS = 12


def trend_report(logic):
    return ('<report><folders><root name="main"/></folders><summary name="Flow summary" parent="main">'
            '<element name="Status">Successful</element><gauges><gauge name="Logic elements" percent="true">'
            f"<min>0</min><max>200</max><value>{logic}</value></gauge></gauges></summary></report>\n")


def test_a_trend_pages_values_sort_by_value(browser, tmp_path):
    db = tmp_path / "runs.db"
    values = [(37 * r) % 101 for r in range(TRENDS)]
    for r, value in enumerate(values):
        report = tmp_path / f"run{r}.xml"
        report.write_text(trend_report(value), encoding="utf-8")
        subprocess.run([TOOL, "index", "-q", "--label", f"run{r}", "--time", f"2026-01-{r + 1:02d}T00:00:00",
                        str(db), str(report)], check=True)
    page = tmp_path / "trend.html"
    subprocess.run([TOOL, "trend", "--html", str(page), str(db), "**/Flow summary : Logic elements"], check=True)
    browser.open(page.as_uri())
    assert browser.eval("Array.from(document.querySelectorAll('nav.tree a'), a => [a.getAttribute('href'), a.textContent])"
                        ) == [["#trend-1", "**/Flow summary : Logic elements 1"]]
    table = "document.getElementById('trend-1-t')"
    assert browser.eval(f"Array.from({table}.tHead.rows[0].cells, c => c.textContent)") == [
        "Time", "Run", "Path", "Value", "%"]
    runs = f"Array.from({table}.tBodies[0].rows, r => r.cells[1].textContent)"
    assert browser.eval(runs) == [f"run{r}" for r in range(TRENDS)]
    # By number, not as texts ("94" after "3" and "10").
    browser.eval("rdbxml.tables['trend-1-t'].show({sort: '-4'})")
    assert browser.eval(runs) == [f"run{r}" for r in sorted(range(TRENDS), key=lambda r: -values[r])]
    browser.eval("rdbxml.tables['trend-1-t'].show({sort: '5'})")
    assert browser.eval(runs) == [f"run{r}" for r in sorted(range(TRENDS), key=lambda r: values[r])]
    # The page's search finds a run in the folded values and opens them.
    assert browser.eval(f"{table}.closest('details').open") is False
    browser.eval("""(() => { const box = document.querySelector('header.page input[type=search]');
        box.value = 'run7'; box.dispatchEvent(new Event('input')); })()""")
    assert browser.eval("Array.from(document.querySelectorAll('.search-results li a'), a => a.getAttribute('href'))"
                        ) == ["#trend-1?row=8"]
    browser.eval("document.querySelector('.search-results li a').click()")
    browser.wait(f"{table}.closest('details').open")


def test_the_changed_objects_are_the_sidebar_and_link_to_their_changes(browser, tmp_path):
    old = paths_table([("a", 1), ("b", 2)]).replace(
        "</report>", '<table name="Second table" parent="main"><row><string_cell>x</string_cell></row></table></report>')
    new = paths_table([("a", 3), ("b", 2)])
    browser.open(write_diff(tmp_path, old, new))
    links = browser.eval("""Array.from(document.querySelectorAll('nav.tree a'), a => {
        const target = document.getElementById(a.hash.slice(1));
        return [a.getAttribute('href'), a.textContent, target && target.querySelector('h3').textContent]; })""")
    # The ids are the objects' paths, as on the report's own page.
    assert links == [["#main/Paths", "main/Paths (table, rows keyed by Net) 1", "main/Paths (table, rows keyed by Net)"],
                     ["#main/Second%20table", "main/Second table (table) 1", "main/Second table (table)"]]
    browser.eval("document.querySelector('nav.tree a[href=\"#main/Second%20table\"]').click()")
    browser.wait("document.querySelector('nav.tree li.current a').getAttribute('href') === '#main/Second%20table'")


def test_a_link_to_a_view_of_the_changes_opens_it_after_a_reload(browser, tmp_path):
    browser.open(long_diff(tmp_path) + "#main/Paths?page=2&filter=Difference%20%3C%200")
    browser.wait(f"{CONTROLLER}.state().page === 2")
    assert browser.eval(f"{CONTROLLER}.state().filter") == "Difference < 0"
    assert browser.eval(PAGER).startswith(f"Rows 101\u2013200 of {ROWS - REMOVED} (filtered from {ROWS})")
    browser.reload()
    browser.wait(f"{CONTROLLER}.state().page === 2")
    assert browser.eval(f"{CONTROLLER}.state().filter") == "Difference < 0"


def test_the_search_of_the_whole_page_finds_a_change_on_a_later_page(browser, tmp_path):
    browser.open(long_diff(tmp_path))
    browser.eval("""(() => { const box = document.querySelector('header.page input[type=search]');
        box.value = 'n247'; box.dispatchEvent(new Event('input')); })()""")
    results = browser.eval("Array.from(document.querySelectorAll('.search-results li a'), a => a.getAttribute('href'))")
    assert len(results) == 1 and results[0].startswith("#main/Paths?row="), results
    browser.eval("document.querySelector('.search-results li a').click()")
    browser.wait(f"{CONTROLLER}.state().page === 3")
    assert browser.eval(f"""Array.from({TABLE}.tBodies[0].rows).some(r => r.cells[1].textContent.includes('"n247"'))""")
