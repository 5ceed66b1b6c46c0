"""The report-wide search: object names, headers and the text of every cell,
all rows of a long table and not only the page shown; its results link to
the rows, and report text stays text in them."""
from conftest import write_page

HOSTILE = "<img src=x onerror=\"document.body.dataset.pwned=1\">&amp;"


def xml_text(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def report(rows=2000, needle_row=1550):
    cells = "".join(
        f"<row><string_cell>{'path needle-88947' if r == needle_row else f'path n{r}'}</string_cell>"
        f"<int_cell>{r}</int_cell></row>" for r in range(rows))
    return f"""<report><folders><root name="main"/><folder name="flow"/></folders>
<folder_ref name="flow" parent="main"><header>Flow steps</header></folder_ref>
<table name="big" parent="main"><row><string_cell>Path</string_cell><string_cell>N</string_cell></row>{cells}</table>
<table name="small" parent="flow"><header>The small one</header><row><string_cell>Step</string_cell></row>
<row><string_cell>needle in a small table</string_cell><int_cell>1</int_cell></row></table>
<table name="{xml_text(HOSTILE)}" parent="flow"><footer>{xml_text(HOSTILE)}</footer>
<row><string_cell>{xml_text(HOSTILE)}</string_cell><int_cell>1</int_cell></row></table>
</report>"""


def search(browser, text):
    browser.eval(f"""(() => {{
        const box = document.querySelector('header.page input[type=search]');
        box.value = {text!r};
        box.dispatchEvent(new Event('input'));
    }})()""")
    return browser.eval("""Array.from(document.querySelectorAll('.search-results li a')).map(a => [
        a.getAttribute('href'), a.querySelector('.search-place').textContent,
        a.querySelector('.search-what').textContent, a.querySelector('.search-text').textContent])""")


def panel_text(browser, part):
    return browser.eval(f"(document.querySelector('.search-results {part}') || {{}}).textContent || null")


def test_a_cell_on_page_16_is_found_and_its_link_shows_the_row(browser, tmp_path):
    browser.open(write_page(tmp_path, report()))
    table = "window.rdbxml.tables['main/big-t']"
    assert browser.eval(f"{table}.state().page") == 1
    assert search(browser, "NEEDLE-88947") == [["#main/big?row=1551", "main/big", "row 1551", "path needle-88947"]]
    assert panel_text(browser, ".search-title") == "1 match for \u201cNEEDLE-88947\u201d"
    browser.eval("document.querySelector('.search-results li a').click()")
    browser.wait(f"{table}.state().page === 16")
    assert browser.eval("location.hash") == "#main/big?row=1551"
    assert browser.eval(f"""Array.from({table}.element.tBodies[0].rows)
        .some(tr => tr.cells[0].textContent === 'path needle-88947')""")
    # The row's place on the screen: the table shown, not the top of the page.
    assert browser.eval(f"{table}.element.getBoundingClientRect().bottom > 0")
    # Back: the address and view before the result.
    browser.eval("history.back()")
    browser.wait("location.hash === ''")
    browser.wait(f"{table}.state().page === 1")


def test_names_headers_and_small_tables_are_searched_and_results_are_capped(browser, tmp_path):
    browser.open(write_page(tmp_path, report()))
    assert search(browser, "needle") == [
        ["#main/big?row=1551", "main/big", "row 1551", "path needle-88947"],
        ["#main/flow/small?row=1", "main/flow/small", "row 1", "needle in a small table"]]
    assert search(browser, "flow") == [
        ["#main/flow", "main/flow", "name", "flow"], ["#main/flow", "main/flow", "header", "Flow steps"]]
    assert search(browser, "step") == [
        ["#main/flow", "main/flow", "header", "Flow steps"], ["#main/flow/small", "main/flow/small", "column titles", "Step"]]
    assert search(browser, "small one") == [
        ["#main/flow/small", "main/flow/small", "header", "The small one"]]
    found = search(browser, "path n")
    assert len(found) == 200 and found[-1][2] == "row 200"
    assert panel_text(browser, ".search-title") == "2000 matches for \u201cpath n\u201d"
    assert panel_text(browser, ".search-more") == "and 1800 more"
    assert search(browser, "no such text") == []
    assert panel_text(browser, ".search-title") == "Nothing found for \u201cno such text\u201d."
    search(browser, "")
    assert browser.eval("document.querySelector('.search-results').hidden")


def test_hostile_text_stays_text_in_results_and_sidebar(browser, tmp_path):
    browser.open(write_page(tmp_path, report(rows=3)))
    found = search(browser, "onerror")
    assert [f[2:] for f in found] == [["name", HOSTILE], ["row 1", HOSTILE], ["footer", HOSTILE]]
    assert all(f[1] == "main/flow/" + HOSTILE for f in found)
    assert browser.eval("document.querySelectorAll('img, .search-results li a *:not(span)').length") == 0
    assert browser.eval("document.body.dataset.pwned") is None
    assert browser.eval("Array.from(document.querySelectorAll('nav.tree a'))"
                        ".filter(a => a.firstChild.textContent === " + repr(HOSTILE + " ") + ").length") == 1


def test_a_letter_whose_lower_case_is_longer_does_not_shift_the_rows(browser, tmp_path):
    # "İ" lower-cases to two characters: rows are found where they are.
    rows = "".join(f"<row><string_cell>{t}</string_cell><int_cell>{n}</int_cell></row>"
                   for n, t in enumerate(["\u0130" * 10, "ab", "cd", "\u0130b"]))
    browser.open(write_page(tmp_path, f"""<report><folders><root name="main"/></folders>
<table name="t" parent="main">{rows}</table></report>"""))
    assert search(browser, "ab") == [["#main/t?row=2", "main/t", "row 2", "ab"]]
    assert [f[2:] for f in search(browser, "i\u0307b")] == [["row 4", "\u0130b"]]
