"""The list of a directory of pages: each report's link opens its page, and
a hostile file name stays text."""
import subprocess

from conftest import TOOL

REPORT = """<report><folders><root name="main"/></folders>
<table name="t" parent="main" enabled="true"><row><string_cell>WORD</string_cell></row></table></report>"""


def test_the_list_links_each_report_to_its_page(browser, tmp_path):
    names = ["first.xml", "index.xml", "<img src=x onerror=alert(1)>#?.xml"]
    files = []
    for n, name in enumerate(names):
        path = tmp_path / name
        path.write_text(REPORT.replace("WORD", f"word{n}"), encoding="utf-8")
        files.append(str(path))
    pages = tmp_path / "pages"
    subprocess.run([TOOL, "-q", "--html", str(pages) + "/", *files], check=True)
    browser.open((pages / "index.html").as_uri())
    assert browser.eval("[...document.querySelectorAll('main td:first-child')].map(td => td.textContent)") == files
    assert browser.eval("document.querySelectorAll('img, script:not([nonce])').length") == 0
    assert browser.eval("[...document.querySelectorAll('td:nth-child(2)')].map(td => td.textContent)") == [
        "good", "good", "good"]
    # Each link, followed as a person would, opens that report's page.
    # (Each step waits for its document to be whole, so that a load event
    # of the page before is never taken for the next one's.)
    for n in range(len(names)):
        browser.open((pages / "index.html").as_uri())
        browser.wait("document.readyState === 'complete' && document.title.startsWith('Reports in')")
        browser.eval(f"document.querySelectorAll('main a')[{n}].click()")
        browser.wait(f"document.readyState === 'complete' && !document.title.startsWith('Reports in') && "
                     f"document.body.textContent.includes('word{n}')")
