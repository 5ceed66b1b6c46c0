"""Finding one's way in the page: every object has an id made from its
path, the sidebar lists the whole tree with counts, and the address holds
the object and its table's view, so that a link, a reload and the back
button show the same view."""
import json

from conftest import write_page

HOSTILE = "a b\"c'<d>#e?f%g&h~i\\j"
# The name as an id: every byte but letters, digits and a few marks is %XX
# (a path writes a backslash as two).
HOSTILE_ID = "a%20b%22c%27%3Cd%3E%23e%3Ff%25g%26h%7Ei%5C%5Cj"


def xml_text(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def heading_table(name, parent, rows):
    cells = "".join(f"<row><string_cell>r{r}</string_cell><int_cell>{r}</int_cell></row>" for r in range(rows))
    return (f'<table name="{xml_text(name)}" parent="{parent}"><row><string_cell>Name</string_cell>'
            f"<string_cell>Value</string_cell></row>{cells}</table>")


TREE = ("""<report><folders><root name="main"/><folder name="timing"/><folder name="x"/>
<folder name="deep"/><folder name="deeper"/></folders>
<folder_ref name="timing" parent="main"/><folder_ref name="x" parent="main"/>
<folder_ref name="deep" parent="timing"/><folder_ref name="deeper" parent="deep"/>"""
        + heading_table("Clocks", "timing", 2)
        + heading_table("Clocks", "timing", 3)
        + heading_table("x", "main", 1)
        + heading_table(HOSTILE, "main", 1)
        + heading_table("Far", "deeper", 4)
        + """<chart name="Chart" parent="timing"><type>bar</type><data name="a">1</data><data name="b">2</data>
<data name="c">3</data></chart>
<summary name="Flow" parent="main"><element name="Status">done</element><element name="Mode">fast</element>
<gauges><gauge name="Logic" percent="true"><min>0</min><max>10</max><value>5</value></gauge></gauges></summary>
<text name="Notes" parent="deep"><ascii_text>t</ascii_text></text>
<text name="Flow-t" parent="main"><ascii_text>named as the summary's table</ascii_text></text>
</report>""")


def tree_entries(browser):
    return browser.eval("""Array.from(document.querySelectorAll('nav.tree li')).map(li => {
        const a = li.querySelector('a');
        return [a.getAttribute('href'), li.getAttribute('data-depth'), a.firstChild.textContent.trim(),
                li.querySelector('.count').textContent, li.hidden];
    })""")


def test_ids_are_paths_unique_and_encoded(browser, tmp_path):
    browser.open(write_page(tmp_path, TREE))
    ids = browser.eval("Array.from(document.querySelectorAll('main section.folder, main article.object'))"
                       ".map(e => e.tagName + ' ' + e.id)")
    assert ids == [
        "SECTION main", "ARTICLE main/x~2", f"ARTICLE main/{HOSTILE_ID}", "ARTICLE main/Flow",
        "ARTICLE main/Flow-t~2",
        "SECTION main/timing", "ARTICLE main/timing/Clocks", "ARTICLE main/timing/Clocks[2]",
        "ARTICLE main/timing/Chart",
        "SECTION main/timing/deep", "ARTICLE main/timing/deep/Notes",
        "SECTION main/timing/deep/deeper", "ARTICLE main/timing/deep/deeper/Far",
        "SECTION main/x"]
    # Every id once, tables named after their objects, and every link of
    # the page leads to an element.
    assert browser.eval("""(() => {
        const all = Array.from(document.querySelectorAll('[id]')).map(e => e.id);
        return new Set(all).size === all.length;
    })()""")
    assert browser.eval("document.getElementById('main/x~2-t').tagName") == "TABLE"
    assert browser.eval("""Array.from(document.querySelectorAll('a[href^="#"]'))
        .filter(a => !document.getElementById(a.getAttribute('href').slice(1))).length""") == 0
    # The hostile name is the heading's text and the link's target, nothing more.
    article = f"document.getElementById('main/{HOSTILE_ID}')"
    assert browser.eval(f"{article}.querySelector('h3').firstChild.textContent") == HOSTILE
    assert browser.eval(f"Array.from({article}.querySelectorAll('h3 *')).map(e => e.className)") == \
        ["kind", "badge"]
    # A link to it, as a person would follow it, shows it and marks its entry.
    browser.open("about:blank")
    browser.open(write_page(tmp_path, TREE, name="again").split("#")[0] + f"#main/{HOSTILE_ID}")
    assert browser.eval("document.querySelector('nav.tree li.current a').textContent") == HOSTILE + " 1 row"
    assert browser.eval(f"Math.abs({article}.getBoundingClientRect().top) < 2")


def test_the_sidebar_lists_every_object_with_counts(browser, tmp_path):
    browser.open(write_page(tmp_path, TREE))
    assert tree_entries(browser) == [
        ["#main", "0", "main", "6 objects", False],
        ["#main/timing", "1", "timing", "4 objects", False],
        ["#main/timing/deep", "2", "deep", "2 objects", False],
        ["#main/timing/deep/deeper", "3", "deeper", "1 object", True],
        ["#main/timing/deep/deeper/Far", "4", "Far", "4 rows", True],
        ["#main/timing/deep/Notes", "3", "Notes", "text", True],
        ["#main/timing/Clocks", "2", "Clocks", "2 rows", False],
        ["#main/timing/Clocks[2]", "2", "Clocks", "3 rows", False],
        ["#main/timing/Chart", "2", "Chart", "3 points", False],
        ["#main/x", "1", "x", "0 objects", False],
        ["#main/x~2", "1", "x", "1 row", False],
        ["#main/" + HOSTILE_ID, "1", HOSTILE, "1 row", False],
        ["#main/Flow", "1", "Flow", "2 rows", False],
        ["#main/Flow-t~2", "1", "Flow-t", "text", False],
    ]
    # A folded folder unfolds, and shows the folder inside it folded.
    fold = "document.querySelector('nav.tree li:nth-child(3) button.fold').click()"
    browser.eval(fold)
    assert [e[4] for e in tree_entries(browser)[3:7]] == [False, True, False, False]
    browser.eval(fold)
    assert [e[4] for e in tree_entries(browser)[3:7]] == [True, True, True, False]
    # Going to an object deep inside unfolds the folders that hold it.
    browser.eval("location.hash = '#main/timing/deep/deeper/Far'")
    browser.wait("document.querySelector('nav.tree li.current a')?.getAttribute('href') === "
                 "'#main/timing/deep/deeper/Far'")
    assert [e[4] for e in tree_entries(browser)[3:7]] == [False, False, False, False]


def test_scrolling_marks_the_object_at_the_top(browser, tmp_path):
    browser.open(write_page(tmp_path, TREE))
    for target in ["main/timing/Clocks[2]", "main/Flow"]:
        # Objects drawn for the first time settle their sizes and move what
        # is below them: each try scrolls to where the target is now, and
        # looks once the page has drawn the frames after the scroll.
        browser.wait(f"""(() => {{
            const target = document.getElementById('{target}');
            window.scrollTo(0, target.getBoundingClientRect().top + window.scrollY - 10);
            window.dispatchEvent(new Event('scroll'));
            return new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r))).then(() =>
                document.querySelector('nav.tree li.current a')?.getAttribute('href') === '#{target}');
        }})()""", f"{target} marked once at the top")
    # Going to an object marks it, whatever the scroll shows at the top.
    browser.eval("location.hash = '#main/timing/deep/deeper/Far'")
    browser.wait("document.querySelector('nav.tree li.current a')?.getAttribute('href') === "
                 "'#main/timing/deep/deeper/Far'")
    browser.eval("new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))")
    assert browser.eval("document.querySelector('nav.tree li.current a').getAttribute('href')") == \
        "#main/timing/deep/deeper/Far"


def test_a_deep_chain_of_folders_gets_short_ids(browser, tmp_path):
    # Paths of more than 512 bytes: positional ids, still unique and linked.
    depth = 700
    xml = "<report><folders><root name=\"f0\"/>" + "".join(f'<folder name="f{i:05}"/>' for i in range(1, depth))
    xml += "</folders>" + "".join(f'<folder_ref name="f{i:05}" parent="{"f0" if i == 1 else f"f{i - 1:05}"}"/>'
                                  for i in range(1, depth))
    xml += heading_table("end", f"f{depth - 1:05}", 1) + "</report>"
    browser.open(write_page(tmp_path, xml))
    ids = browser.eval("Array.from(document.querySelectorAll('main section.folder, main article.object')).map(e => e.id)")
    assert len(ids) == depth + 1 and len(set(ids)) == depth + 1
    assert max(len(i) for i in ids) <= 512
    assert ids[-1].startswith("~") and ids[1] == "f0/f00001"
    browser.eval(f"location.hash = '#{ids[-1]}'")
    browser.wait("document.querySelector('nav.tree li.current a')?.firstChild.textContent === 'end '")


def slack_table(rows):
    # Slack falls from row to row, so that a sort by it turns the order round.
    cells = "".join(f"<row><string_cell>top/u{r}</string_cell><delay_cell><delay>{1000 - r}</delay>"
                    "<display_option>ps</display_option></delay_cell></row>" for r in range(rows))
    return (f'<table name="Setup slack" parent="timing"><row><string_cell>Path</string_cell>'
            f"<string_cell>Slack</string_cell></row>{cells}</table>")


VIEWS = ("""<report><folders><root name="main"/><folder name="timing"/></folders>
<folder_ref name="timing" parent="main"/>""" + slack_table(2000) + heading_table("Other", "main", 2) + "</report>")
TABLE = "window.rdbxml.tables['main/timing/Setup%20slack-t']"


def view(browser):
    return browser.eval(f"{TABLE}.state()")


def first_path(browser):
    return browser.eval(f"{TABLE}.element.tBodies[0].rows[0].cells[0].textContent")


def test_a_link_opens_its_view_after_a_reload_too_and_back_returns(browser, tmp_path):
    page = write_page(tmp_path, VIEWS)
    browser.open("about:blank")
    browser.open(page + "#main/timing/Setup%20slack?page=3&sort=-2")
    assert view(browser) == {"page": 3, "sort": "-2", "filter": "", "search": ""}
    # Sorted by slack descending: the largest slack, row 0's, comes first.
    assert first_path(browser) == "top/u200"
    assert browser.eval("document.querySelector('nav.tree li.current a').getAttribute('href')") == \
        "#main/timing/Setup%20slack"
    browser.reload()
    assert view(browser) == {"page": 3, "sort": "-2", "filter": "", "search": ""}
    assert first_path(browser) == "top/u200"
    # A person's change is a step of the history: the next page, a sort.
    browser.eval(f"document.getElementById({TABLE}.id + '-pager').querySelectorAll('button')[2].click()")
    assert browser.eval("location.hash") == "#main/timing/Setup%20slack?page=4&sort=-2"
    assert first_path(browser) == "top/u300"
    browser.eval(f"{TABLE}.element.tHead.rows[0].cells[0].click()")
    assert browser.eval("location.hash") == "#main/timing/Setup%20slack?sort=1"
    browser.eval("history.back()")
    browser.wait(f"{TABLE}.state().page === 4")
    assert view(browser) == {"page": 4, "sort": "-2", "filter": "", "search": ""}
    browser.eval("history.back()")
    browser.wait(f"{TABLE}.state().page === 3")
    assert first_path(browser) == "top/u200"
    # Text typed into the table's filter, a key at a time, is one step.
    for typed in ["u", "u1", "u12"]:
        browser.eval(f"""(() => {{ const box = {TABLE}.element.closest('article').querySelector('input[aria-label^="Filter"]');
            box.value = '{typed}'; box.dispatchEvent(new Event('input')); }})()""")
    assert browser.eval("location.hash") == "#main/timing/Setup%20slack?sort=-2&filter=u12"
    browser.eval("history.back()")
    browser.wait(f"{TABLE}.state().filter === ''")
    assert view(browser) == {"page": 3, "sort": "-2", "filter": "", "search": ""}
    # A link to another view, then back: the view before, and forward again.
    browser.eval("location.hash = '#main/timing/Setup%20slack?page=7&filter=' + encodeURIComponent('u1')")
    browser.wait(f"{TABLE}.state().page === 7")
    assert view(browser)["filter"] == "u1"
    browser.eval("history.back()")
    browser.wait(f"{TABLE}.state().page === 3")
    assert view(browser) == {"page": 3, "sort": "-2", "filter": "", "search": ""}
    browser.eval("history.forward()")
    browser.wait(f"{TABLE}.state().page === 7")
    # The older forms of a link: a table's id and its page, and the places
    # of pages made before ids were paths (objects from o1, folders from f0).
    for older in ["#main/timing/Setup%20slack-t-p12", "#o2-t-p12"]:
        browser.open("about:blank")
        browser.open(page + older)
        assert view(browser) == {"page": 12, "sort": "", "filter": "", "search": ""}, older
        assert first_path(browser) == "top/u1100"
        assert browser.eval("document.querySelector('nav.tree li.current a').getAttribute('href')") == \
            "#main/timing/Setup%20slack"
    browser.eval("location.hash = '#f1'")
    browser.wait("document.querySelector('nav.tree li.current a')?.getAttribute('href') === '#main/timing'")
