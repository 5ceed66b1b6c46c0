"""The printed page: chromium's own PDF printing, read back as text. A
sheet shows no controls, and of each table the rows of the page shown."""
import subprocess

from conftest import write_page

ROWS = 250


def long_table(rows=ROWS):
    body = "".join(f"<row><string_cell>path_{r:04d}</string_cell><int_cell>{r}</int_cell></row>" for r in range(rows))
    return ("<report><folders><root name=\"main\"/></folders>"
            "<table name=\"Paths\" parent=\"main\" enabled=\"true\"><header>Worst paths</header>"
            "<row><string_cell>Endpoint</string_cell><string_cell>Levels</string_cell></row>"
            f"{body}</table>"
            "<summary name=\"Flow\" parent=\"main\" enabled=\"true\"><element name=\"Status\">Successful</element><gauges>"
            "<gauge name=\"Registers\" percent=\"true\" enabled=\"true\"><min>0</min><max>2381</max><value>2096</value></gauge>"
            "</gauges></summary></report>")


def printed(browser, tmp_path):
    """The text of each printed sheet."""
    pdf = tmp_path / "printed.pdf"
    browser.print_pdf(pdf)
    text = subprocess.run(["pdftotext", "-layout", str(pdf), "-"], check=True, capture_output=True,
                          text=True).stdout
    return [sheet for sheet in text.split("\f") if sheet.strip()]


def test_a_printed_page_has_no_controls_and_the_rows_of_the_page_shown(browser, tmp_path):
    browser.open(write_page(tmp_path, long_table()))
    table = browser.eval("document.querySelector('table.cells').id")
    # The second page of the table, as a person would reach it.
    browser.eval("[...document.querySelectorAll('.pager button')].find(b => /Next/.test(b.textContent)).click()")
    browser.wait(f"document.getElementById('{table}').textContent.includes('path_0100')")
    sheets = printed(browser, tmp_path)
    text = "\n".join(sheets)
    for control in ("Next", "Previous", "First", "Last", "Rows 101", "Find in this table", "Filter"):
        assert control not in text
    # The sidebar is a control too; the one table's heading is printed once.
    assert browser.eval("getComputedStyle(document.querySelector('nav')).display") != "none"
    browser.call("Emulation.setEmulatedMedia", media="print")
    try:
        assert browser.eval("[...document.querySelectorAll('nav, .pager, .table-tools, button, input')]"
                            ".every(e => getComputedStyle(e).display === 'none')")
    finally:
        browser.call("Emulation.setEmulatedMedia", media="")
    shown = browser.eval(f"[...document.getElementById('{table}').tBodies[0].rows].map(r => r.cells[0].textContent)")
    assert len(shown) == 100 and all(row in text for row in shown)
    # Rows of the first and the third page are not.
    assert "path_0001" not in text and "path_0240" not in text
    # What the screen shows of the rest is printed as well.
    assert "Worst paths" in text and "88.0%" in text


def test_a_long_tables_heading_row_is_on_every_sheet_it_spans(browser, tmp_path):
    browser.open(write_page(tmp_path, long_table()))
    # A page of 100 rows runs over several sheets.
    sheets = [s for s in printed(browser, tmp_path) if "path_00" in s]
    assert len(sheets) >= 2
    for sheet in sheets:
        assert "Endpoint" in sheet and "Levels" in sheet
