"""Four threads parse four files at once; every report equals the one a
sequential parse gives (rdbxml.parse releases the GIL: test_parse.py)."""
import concurrent.futures

import rdbxml
from conftest import write


def big_report(seed, rows=20000):
    body = "".join(
        '<row><string_cell>r%d</string_cell><int_cell>%d</int_cell>'
        "<delay_cell><delay>%d</delay><display_option>ps</display_option></delay_cell>"
        "<iname_cell>top/u%d</iname_cell></row>" % (i, i * seed, i - seed, i % 97)
        for i in range(rows)
    )
    return '<report><folders><root name="main"/></folders><table name="t%d" parent="main">%s</table></report>' % (
        seed, body)


def test_four_threads_give_the_sequential_reports(tmp_path):
    files = [write(tmp_path, "r%d.xml" % seed, big_report(seed)) for seed in range(4)]
    sequential = [rdbxml.parse(f).to_json() for f in files]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        for _ in range(2):
            assert list(pool.map(lambda f: rdbxml.parse(f).to_json(), files)) == sequential
    assert len(set(sequential)) == 4
