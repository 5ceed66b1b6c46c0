"""The page tests: the tool writes pages from real reports, a headless
chromium opens them (devtools.py). CTest sets RDBXML to the tool."""
import os
import pathlib
import subprocess

import pytest

from devtools import BROWSER, Browser

TOOL = os.environ["RDBXML"]

# Every page test needs the browser: without one they are skipped, not passed.
pytestmark = pytest.mark.skipif(BROWSER is None, reason="no chromium installed")


@pytest.fixture(scope="module")
def browser():
    with Browser() as b:
        yield b


def write_page(tmp_path, report_xml, *options, name="report"):
    """The page the tool writes for `report_xml` (text), as a file:// URL."""
    report = tmp_path / f"{name}.xml"
    report.write_text(report_xml, encoding="utf-8")
    page = tmp_path / f"{name}.html"
    subprocess.run([TOOL, "-q", *options, "--html", str(page), str(report)], check=True)
    return page.as_uri()
