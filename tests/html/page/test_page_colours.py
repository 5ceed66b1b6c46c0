"""The page's colours: a dark theme when the system asks for one, and cells
whose report colours could not be read made readable, in either theme."""
import pytest

from conftest import write_page

REPORT = """<report><folders><root name="main"/></folders>
<table name="Colours" parent="main">
<row><string_cell>Name</string_cell><string_cell>Note</string_cell></row>
<row><string_cell>plain</string_cell><string_cell>no colours</string_cell></row>
<row><string_cell foreground="#ffffff" background="#ffffff">white on white</string_cell><string_cell>x</string_cell></row>
<row><string_cell foreground="yellow">yellow on the page</string_cell><string_cell>x</string_cell></row>
<row><string_cell background="#000080">navy under the page's text</string_cell><string_cell>x</string_cell></row>
<row><string_cell foreground="#000000" background="#000000">black on black</string_cell><string_cell>x</string_cell></row>
</table>
<summary name="Flow" parent="main"><element name="Status">ok</element><gauges>
<gauge name="Registers" percent="true"><min>0</min><max>2381</max><value>2096</value></gauge>
</gauges></summary></report>"""

# The contrast ratio of the computed colours of the cell holding `text`
# (what is behind a cell without a background of its own is its row's, its
# table's... up to the page's).
RATIO = """(() => {
  const rgb = c => c.match(/[\\d.]+/g).map(Number);
  const lum = c => { const [r, g, b] = rgb(c).map(v => v / 255).map(v => v <= 0.04045 ? v / 12.92 :
                     Math.pow((v + 0.055) / 1.055, 2.4)); return 0.2126 * r + 0.7152 * g + 0.0722 * b; };
  const behind = e => { for (; e; e = e.parentElement) { const c = getComputedStyle(e).backgroundColor;
                        if (rgb(c).length < 4 || rgb(c)[3] > 0) return c; } return "rgb(255, 255, 255)"; };
  const cell = [...document.querySelectorAll('td')].find(td => td.textContent === TEXT);
  const a = lum(getComputedStyle(cell).color), b = lum(behind(cell));
  return (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
})()"""

UNREADABLE = ["white on white", "yellow on the page", "navy under the page's text", "black on black"]


def ratio(browser, text):
    return browser.eval(RATIO.replace("TEXT", repr(text)))


def luminance(browser, expression):
    return browser.eval("(c => { const [r, g, b] = c.match(/[\\d.]+/g).map(Number); "
                        f"return (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255; }})({expression})")


@pytest.fixture
def dark(browser):
    browser.call("Emulation.setEmulatedMedia", features=[{"name": "prefers-color-scheme", "value": "dark"}])
    yield
    browser.call("Emulation.setEmulatedMedia", features=[{"name": "prefers-color-scheme", "value": "light"}])


def test_cells_the_report_made_unreadable_read_in_the_light_theme(browser, tmp_path):
    browser.call("Emulation.setEmulatedMedia", features=[{"name": "prefers-color-scheme", "value": "light"}])
    browser.open(write_page(tmp_path, REPORT))
    for text in UNREADABLE + ["plain"]:
        assert ratio(browser, text) >= 3, text
    # The report's background is kept.
    cell = "[...document.querySelectorAll('td')].find(td => td.textContent === 'navy under the page\\'s text')"
    assert browser.eval(f"getComputedStyle({cell}).backgroundColor") == "rgb(0, 0, 128)"


def test_the_dark_theme_follows_the_system_and_keeps_every_cell_readable(browser, tmp_path, dark):
    browser.open(write_page(tmp_path, REPORT))
    assert luminance(browser, "getComputedStyle(document.body).backgroundColor") < 0.2
    assert luminance(browser, "getComputedStyle(document.body).color") > 0.7
    assert luminance(browser, "getComputedStyle(document.querySelector('article.object')).backgroundColor") < 0.2
    assert luminance(browser, "getComputedStyle(document.querySelector('nav')).backgroundColor") < 0.2
    assert luminance(browser, "getComputedStyle(document.querySelector('.gauge-bar')).backgroundColor") < 0.3
    for text in UNREADABLE + ["plain", "no colours"]:
        assert ratio(browser, text) >= 3, text
    assert browser.eval("document.querySelector('.gauge-value').textContent") == "88.0%"
