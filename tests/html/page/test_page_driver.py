"""The driver itself: a page the tool wrote opens, its script runs under the
page's policy, and what it threw would be seen."""
import pytest

from conftest import write_page
from devtools import PageError

REPORT = """<report><folders><root name="main"/></folders>
<table name="t" parent="main"><row><string_cell>a</string_cell></row></table></report>"""


def test_a_page_opens_and_its_script_ran(browser, tmp_path):
    browser.open(write_page(tmp_path, REPORT))
    assert browser.eval("document.querySelectorAll('table.cells').length") == 1
    with pytest.raises(PageError):
        browser.eval("undefined_name_in_the_page")
