"""Long tables a person can work with: the heading row on every page and in
view, a search over all rows, sorting by a column, a filter, data-row
counts, and every style kept on later pages, through the tool's page."""
import json

import pytest

from conftest import write_page

HOSTILE = "<img src=x onerror=document.body.setAttribute('data-pwned','1')></script>"
UNIQUE_ROW = 1523          # on page 16 of 100 rows a page
MOST_NEGATIVE_ROW = 1777   # -2.500 ns, below the ps rows' worst (-990 ps)


def slack_ps(r):
    """The slack of data row r, in ps."""
    if r == MOST_NEGATIVE_ROW:
        return -2500
    if r == 3:
        return 0
    if r % 97 == 5:
        return -(r % 1000)
    return 1000 + r


def slack_cell(r):
    ps = slack_ps(r)
    unit = "ns" if r % 2 == 0 or r == MOST_NEGATIVE_ROW else "ps"
    return f"<delay_cell><delay>{ps}</delay><display_option>{unit}</display_option></delay_cell>"


def long_report(rows=2000, wide=False):
    """A table of a heading row and `rows` data rows: Instance (an instance
    name, none in a hierarchy), From, Slack (ns and ps mixed), Count."""
    out = ['<report><folders><root name="main"/></folders>',
           '<table name="Paths" parent="main"><row><string_cell>Instance</string_cell>'
           '<string_cell>From</string_cell><string_cell>Slack</string_cell><string_cell>Count</string_cell>'
           + ('<string_cell>Note</string_cell>' if wide else '') + '</row>']
    for r in range(rows):
        source = "net_88947" if r == UNIQUE_ROW else f"reg_{r}"
        if r == 7:
            source = HOSTILE.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        out.append(f"<row><iname_cell>top/u{r}</iname_cell><string_cell>{source}</string_cell>{slack_cell(r)}"
                   f"<int_cell>{(r * 7919) % 1000}</int_cell>"
                   + (f"<string_cell>{'w' * 400}</string_cell>" if wide else "") + "</row>")
    out.append('<table name="Short" parent="main"><row><string_cell>Name</string_cell>'
               '<string_cell>Value</string_cell></row><row><string_cell>a</string_cell><int_cell>2</int_cell></row>'
               '<row><string_cell>b</string_cell><int_cell>1</int_cell></row></table>')
    return "".join(out[:-1]) + "</table>" + out[-1] + "</report>"


@pytest.fixture(scope="module")
def page(tmp_path_factory):
    return write_page(tmp_path_factory.mktemp("tables"), long_report())


TABLE = "document.querySelector('table.cells[data-rows]')"
PAGER = f"document.getElementById({TABLE}.id + '-pager').querySelector('span').textContent"


def shown_column(browser, column):
    return browser.eval(f"Array.from({TABLE}.tBodies[0].rows, r => r.cells[{column}].textContent)")


def type_into(browser, which, text):
    """Types `text` into the table's search (which=0) or filter (1) box as a
    person would: the box's value, then its input event."""
    browser.eval(f"(() => {{ const box = {TABLE}.closest('article').querySelectorAll('.table-tools input')[{which}];"
                 f"box.value = {json.dumps(text)}; box.dispatchEvent(new Event('input')); }})()")


def test_row_counts_are_data_rows_and_the_heading_is_a_thead(browser, page):
    browser.open(page)
    assert browser.eval(f"{TABLE}.getAttribute('data-rows')") == "2000"
    assert browser.eval(f"{TABLE}.tHead.rows[0].cells[2].textContent") == "Slack"
    assert browser.eval(f"{TABLE}.tBodies[0].rows[0].cells[1].textContent") == "reg_0"
    metas = browser.eval("Array.from(document.querySelectorAll('p.meta'), p => p.textContent)")
    assert metas[0].startswith("2000 rows") and metas[1].startswith("2 rows")
    assert browser.eval(PAGER) == "Rows 1\u2013100 of 2000 (page 1 of 20)"


def test_a_search_finds_a_row_on_a_later_page_and_shows_it(browser, page):
    browser.open(page)
    assert browser.eval("window.find('88947')") is False
    type_into(browser, 0, "88947")
    assert browser.eval(f"{TABLE}.closest('article').querySelector('.found').textContent") == "1 of 1"
    assert browser.eval(PAGER) == "Rows 1501\u20131600 of 2000 (page 16 of 20)"
    assert browser.eval(f"{TABLE}.querySelector('tr.hit').cells[1].textContent") == "net_88947"
    # With the box emptied the page stays, and the browser's own search
    # finds the row's text on it.
    type_into(browser, 0, "")
    assert browser.eval("getSelection().removeAllRanges(), window.find('88947')") is True
    assert browser.eval(f"rdbxml.tables[{TABLE}.id].state().page") == 16


def test_a_search_steps_through_matches_on_every_page(browser, page):
    browser.open(page)
    type_into(browser, 0, "top/u19")   # top/u19, u190..u199, u1900..u1999: 111 rows
    tools = f"{TABLE}.closest('article').querySelector('.table-tools')"
    assert browser.eval(f"{tools}.querySelector('.found').textContent") == "1 of 111"
    for _ in range(11):
        browser.eval(f"{tools}.querySelector('button[aria-label=\"Next match\"]').click()")
    assert browser.eval(f"{tools}.querySelector('.found').textContent") == "12 of 111"
    assert browser.eval(f"{TABLE}.querySelector('tr.hit').cells[0].textContent") == "top/u1900"
    assert browser.eval(PAGER).endswith("(page 20 of 20)")
    browser.eval(f"{tools}.querySelector('button[aria-label=\"Previous match\"]').click()")
    assert browser.eval(f"{TABLE}.querySelector('tr.hit').cells[0].textContent") == "top/u199"


def test_sorting_by_a_delay_column_orders_by_picoseconds_across_units(browser, page):
    browser.open(page)
    heading = f"{TABLE}.tHead.rows[0].cells[2]"
    browser.eval(f"{heading}.click()")
    expected = sorted(range(2000), key=lambda r: slack_ps(r))
    slacks = shown_column(browser, 2)
    assert slacks[0] == "-2.500 ns"
    assert shown_column(browser, 0) == [f"top/u{r}" for r in expected[:100]]
    assert browser.eval(f"rdbxml.tables[{TABLE}.id].state().sort") == "3"
    assert browser.eval(f"{heading}.getAttribute('aria-sort')") == "ascending"
    browser.eval(f"{heading}.click()")
    assert shown_column(browser, 0)[:3] == [f"top/u{r}" for r in sorted(range(2000), key=lambda r: -slack_ps(r))[:3]]
    assert browser.eval(f"rdbxml.tables[{TABLE}.id].state().sort") == "-3"
    browser.eval(f"{heading}.click()")
    assert shown_column(browser, 0)[:3] == ["top/u0", "top/u1", "top/u2"]
    # Integers numerically, and equal keys keep the report's order.
    browser.eval(f"{TABLE}.tHead.rows[0].cells[3].click()")
    counts = [(r * 7919) % 1000 for r in range(2000)]
    assert shown_column(browser, 0)[:4] == [f"top/u{r}" for r in sorted(range(2000), key=lambda r: counts[r])[:4]]


def test_a_filter_keeps_the_rows_that_meet_a_condition_and_says_how_many(browser, page):
    browser.open(page)
    negative = [r for r in range(2000) if slack_ps(r) < 0]
    type_into(browser, 1, "Slack < 0")
    assert browser.eval(PAGER) == f"Rows 1\u2013{len(negative)} of {len(negative)} (filtered from 2000) (page 1 of 1)"
    assert shown_column(browser, 0) == [f"top/u{r}" for r in negative]
    # Units on the value, a column by its number, and a bare number on a
    # delay column as picoseconds.
    type_into(browser, 1, "slack <= -1 ns")
    assert shown_column(browser, 0) == ["top/u1777"]
    type_into(browser, 1, "3 < -980")
    assert shown_column(browser, 0) == [f"top/u{r}" for r in range(2000) if slack_ps(r) < -980]
    # A plain text keeps the rows holding it, in any case.
    type_into(browser, 1, "REG_199")
    assert shown_column(browser, 1) == ["reg_199"] + [f"reg_{r}" for r in range(1990, 2000)]
    assert browser.eval(f"{TABLE}.closest('article').querySelectorAll('.table-tools input')[1].placeholder") == \
        "Filter: text, or Slack < 0"
    message = f"{TABLE}.closest('article').querySelector('.message').textContent"
    assert browser.eval(message) == ""
    type_into(browser, 1, "Slak < 0")
    assert "Slak" in browser.eval(message)
    type_into(browser, 1, "Slack < soon")
    assert "soon" in browser.eval(message)


def test_later_pages_keep_the_heading_and_the_cells_styles(browser, page):
    browser.open(page)
    browser.eval(f"document.getElementById({TABLE}.id + '-pager').querySelectorAll('button')[2].click()")
    assert browser.eval(PAGER) == "Rows 101\u2013200 of 2000 (page 2 of 20)"
    assert browser.eval(f"Array.from({TABLE}.tHead.rows[0].cells, c => c.textContent).join('|')") == \
        "Instance|From|Slack|Count"
    first = f"{TABLE}.tBodies[0].rows[0]"
    assert browser.eval(f"{first}.cells[0].textContent") == "top/u100"
    assert browser.eval(f"{first}.cells[0].className") == "none"
    assert browser.eval(f"{first}.cells[0].title") == "instance not in the hierarchy"
    assert browser.eval(f"{first}.cells[2].className") == "num"
    assert browser.eval(f"getComputedStyle({first}.cells[3]).textAlign") == "right"


def test_the_heading_follows_the_window_through_a_wide_table(browser, tmp_path):
    browser.open(write_page(tmp_path, long_report(300, wide=True)))
    wrap = f"{TABLE}.parentNode"
    assert browser.eval(f"{wrap}.scrollWidth > {wrap}.clientWidth + 100")
    # The wrapper still scrolls sideways.
    assert browser.eval(f"{wrap}.scrollLeft = 200, {wrap}.scrollLeft") == 200
    browser.eval(f"window.scrollTo(0, {TABLE}.getBoundingClientRect().top + scrollY + 1500)")
    browser.wait(f"Math.abs({TABLE}.tHead.rows[0].cells[1].getBoundingClientRect().top) < 1", "the heading at the window's top")
    assert browser.eval(f"{TABLE}.tBodies[0].getBoundingClientRect().top") < -1000


def test_hostile_text_stays_text_through_search_sort_and_filter(browser, page):
    browser.open(page)
    hostile = f"{TABLE}.tBodies[0].rows[7].cells[1].textContent"
    assert browser.eval(hostile) == HOSTILE
    type_into(browser, 0, "onerror")
    assert browser.eval(f"{TABLE}.querySelector('tr.hit').cells[1].textContent") == HOSTILE
    browser.eval(f"{TABLE}.tHead.rows[0].cells[1].click()")
    type_into(browser, 1, "</script>")
    assert shown_column(browser, 1) == [HOSTILE]
    type_into(browser, 1, "From = " + HOSTILE)
    assert shown_column(browser, 1) == [HOSTILE]
    assert browser.eval("document.querySelectorAll('img').length") == 0
    assert browser.eval("document.body.hasAttribute('data-pwned')") is False


def test_a_short_table_sorts_from_its_markup(browser, page):
    browser.open(page)
    short = "document.querySelectorAll('table.cells')[1]"
    browser.eval(f"{short}.tHead.rows[0].cells[1].click()")
    assert browser.eval(f"Array.from({short}.tBodies[0].rows, r => r.cells[0].textContent)") == ["b", "a"]
    assert browser.eval(f"{short}.tBodies[0].rows[0].cells[1].className") == "num"
    # rows() stays in the report's order whatever the sort.
    assert browser.eval(f"rdbxml.tables[{short}.id].rows()[0][0]") == "a"


def delay(ps, unit):
    return f"<delay_cell><delay>{ps}</delay><display_option>{unit}</display_option></delay_cell>"


def test_a_column_shown_in_mhz_sorts_by_frequency_and_others_by_picoseconds(browser, tmp_path):
    rows = [("a", delay(2500, "MHz"), delay(2500, "MHz")), ("b", delay(5000, "MHz"), delay(3000, "ps")),
            ("c", delay(2000, "MHz"), delay(2000, "ns")), ("d", delay(4000, "MHz"), "<string_cell>n/a</string_cell>"),
            ("e", delay(3000, "MHz"), "")]
    xml = ('<report><folders><root name="main"/></folders><table name="Fmax" parent="main"><row>'
           '<string_cell>Clock</string_cell><string_cell>Fmax</string_cell><string_cell>Period</string_cell></row>'
           + "".join(f"<row><string_cell>{n}</string_cell>{f}{p}</row>" for n, f, p in rows) + "</table></report>")
    browser.open(write_page(tmp_path, xml))
    table = "document.querySelector('table.cells')"
    clocks = f"Array.from({table}.tBodies[0].rows, r => r.cells[0].textContent).join('')"
    browser.eval(f"{table}.tHead.rows[0].cells[1].click()")
    assert browser.eval(clocks) == "bdeac"     # 200, 250, 333.3, 400, 500 MHz
    # A MHz cell among delays as its period; texts after numbers, missing
    # cells last, whichever the direction.
    browser.eval(f"{table}.tHead.rows[0].cells[2].click()")
    assert browser.eval(clocks) == "cabde"     # 2000, 2500, 3000 ps, n/a, none
    browser.eval(f"{table}.tHead.rows[0].cells[2].click()")
    assert browser.eval(clocks) == "bacde"
    # The same conditions as --where: a frequency, and a period in ns.
    # A table this short has no boxes: its controller takes the filter.
    assert browser.eval(f"{table}.closest('article').querySelector('.table-tools')") is None
    control = f"rdbxml.tables[{table}.id]"
    browser.eval(f"{control}.show({{filter: 'Fmax >= 0.3 GHz'}})")
    assert browser.eval(clocks) == "ace"       # still by period, descending
    browser.eval(f"{control}.show({{filter: 'Period > 2.2 ns'}})")
    assert browser.eval(clocks) == "ba"


def test_reveal_shows_a_rows_page_in_any_view_and_marks_it(browser, page):
    """What the report-wide search and the address ask of a table."""
    browser.open(page)
    control = f"rdbxml.tables[{TABLE}.id]"
    browser.eval(f"{control}.show({{sort: '-3'}})")
    browser.eval(f"{control}.reveal({UNIQUE_ROW})")
    position = sorted(range(2000), key=lambda r: -slack_ps(r)).index(UNIQUE_ROW)
    assert browser.eval(f"{control}.state().page") == position // 100 + 1
    assert browser.eval(f"{TABLE}.querySelector('tr.hit').cells[1].textContent") == "net_88947"
    # A row the filter hides: the filter goes, the row is shown.
    browser.eval(f"{control}.show({{filter: 'Slack < 0'}})")
    browser.eval(f"{control}.reveal({UNIQUE_ROW})")
    assert browser.eval(f"{control}.state().filter") == ""
    assert browser.eval(f"{TABLE}.querySelector('tr.hit').cells[1].textContent") == "net_88947"


def test_a_table_of_one_page_says_how_many_rows_its_filter_kept(browser, tmp_path):
    browser.open(write_page(tmp_path, long_report(40)))
    table = "document.querySelector('table.cells')"
    tools = f"{table}.closest('article').querySelector('.table-tools')"
    assert browser.eval(f"document.getElementById({table}.id + '-pager')") is None
    assert browser.eval(f"{tools}.querySelector('.kept').textContent") == ""
    browser.eval(f"(() => {{ const box = {tools}.querySelectorAll('input')[1]; box.value = 'Count > 500';"
                 "box.dispatchEvent(new Event('input')); })()")
    kept = [r for r in range(40) if (r * 7919) % 1000 > 500]
    assert browser.eval(f"{tools}.querySelector('.kept').textContent") == f"{len(kept)} of 40 rows"
    assert browser.eval(f"Array.from({table}.tBodies[0].rows, r => r.cells[0].textContent)") == \
        [f"top/u{r}" for r in kept]
