#include "rdb_html_page.h"

#include <cstdio>
#include <random>

#include "rdb_html_output.h"

namespace {

const char* const STYLE = R"CSS(
:root{--ink:#1d2430;--muted:#5d6778;--line:#d8dde6;--bg:#f4f6f9;--accent:#3b6ea8}
*{box-sizing:border-box}
body{margin:0;font:14px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,sans-serif;color:var(--ink);background:var(--bg)}
header.page{padding:14px 24px;background:#1f2d40;color:#fff}
header.page h1{margin:0;font-size:20px;font-weight:600}
header.page p{margin:4px 0 0;color:#c8d3e3;font-size:13px}
.layout{display:flex;align-items:flex-start}
nav.tree{position:sticky;top:0;flex:0 0 250px;max-height:100vh;overflow:auto;padding:12px 8px;border-right:1px solid var(--line);background:#fff}
nav.tree ul{list-style:none;margin:0;padding:0}
nav.tree a{display:block;padding:2px 6px;border-radius:4px;color:var(--ink);text-decoration:none;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}
nav.tree a:hover{background:#e9eef6}
nav.tree li.disabled a{color:var(--muted);text-decoration:line-through}
.d1{padding-left:12px}.d2{padding-left:24px}.d3{padding-left:36px}.d4{padding-left:48px}.d5{padding-left:60px}
.d6{padding-left:72px}.d7{padding-left:84px}.d8{padding-left:96px}
.count{color:var(--muted);font-size:12px}
main{flex:1;min-width:0;padding:16px 24px 40px}
section.folder{margin:0 0 28px}
section.folder>h2{font-size:18px;margin:0;padding-bottom:4px;border-bottom:2px solid var(--accent)}
.in,.meta{color:var(--muted);font-size:12px;margin:2px 0 6px}
.in{margin:0 0 2px}
.in a{color:var(--accent)}
p.subfolder{margin:8px 0}
p.subfolder a{color:var(--accent);font-weight:600;text-decoration:none}
article.object{background:#fff;border:1px solid var(--line);border-radius:6px;padding:12px 16px;margin:12px 0;
  content-visibility:auto;contain-intrinsic-size:auto 320px}
article.object h3{margin:0 0 4px;font-size:16px}
.kind{font-size:11px;font-weight:600;text-transform:uppercase;letter-spacing:.03em;color:var(--muted);border:1px solid var(--line);border-radius:3px;padding:0 4px;margin-left:8px;vertical-align:2px}
.badge{font-size:11px;font-weight:600;color:#fff;background:#8a5a00;border-radius:3px;padding:0 5px;margin-left:6px;vertical-align:2px}
article.disabled,section.disabled>h2{opacity:.65}
article.disabled{border-style:dashed}
.unnamed{color:var(--muted);font-style:italic}
.header{font-weight:600;margin:4px 0 8px;white-space:pre-wrap}
.footer{color:var(--muted);font-style:italic;margin:8px 0 0;white-space:pre-wrap}
.empty,.note{color:var(--muted);font-style:italic}
.table-wrap{overflow-x:auto}
table.cells{border-collapse:collapse;font-size:13px}
table.cells td{border:1px solid var(--line);padding:3px 8px;vertical-align:top;white-space:pre-wrap}
table.cells tr:nth-child(even) td{background-color:#f8f9fb}
table.cells td.num{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
table.cells td.none{color:var(--muted)}
table.summary td:first-child{font-weight:600}
.pager{margin:6px 0;font-size:13px;color:var(--muted)}
.pager button{font:inherit;margin-right:4px;padding:1px 8px;border:1px solid var(--line);border-radius:4px;background:#fff;cursor:pointer}
.pager span{margin-left:6px}
.gauges{margin:10px 0 4px}
.gauge{display:grid;grid-template-columns:minmax(120px,220px) minmax(120px,1fr) 150px;gap:10px;align-items:center;margin:4px 0}
.gauge-bar{height:14px;background:#e3e7ee;border-radius:7px;overflow:hidden}
.gauge-fill{height:100%;background:var(--accent)}
.gauge.disabled{opacity:.6}
.gauge.disabled .gauge-fill{background:#9aa1ad}
.gauge-value{font-variant-numeric:tabular-nums}
.text p{white-space:pre-wrap;margin:0 0 8px;max-width:80ch}
.legal p{font-size:12px;color:var(--muted)}
dl.info{display:grid;grid-template-columns:max-content 1fr;gap:2px 14px;margin:4px 0}
dl.info dt{color:var(--muted)}
dl.info dd{margin:0;white-space:pre-wrap}
.chart-wrap{max-width:760px}
svg.chart{width:100%;height:auto;font-size:11px;background:#fff}
svg .grid{stroke:#e3e6eb}
svg .axis{stroke:#8a93a3}
svg .tick{fill:#5d6778}
svg .axis-label{fill:#1d2430;font-size:12px;font-weight:600}
svg .data-label{fill:#1d2430;font-size:10px}
svg .legend{fill:#1d2430;font-size:12px}
svg .histogram{stroke:#fff;stroke-width:.5}
svg .line{stroke-width:2}
details.data{margin-top:6px}
details.data summary{cursor:pointer;color:var(--accent)}
)CSS";

// Pages the tables that carry a data block: the block's rows are shown a
// page at a time, built with textContent so no text becomes markup. A
// block is parsed only when its table leaves the first page (which the
// markup already holds), so a report of many long tables opens at once. A
// link ending in #<table id>-p<page> opens that page.
const char* const SCRIPT = R"JS(
(function () {
  "use strict";
  var PAGE = 100;
  function cell(value) {
    var td = document.createElement("td");
    if (value === null) { td.className = "none"; return td; }
    if (typeof value === "string") { td.textContent = value; return td; }
    td.textContent = value[0];
    if (value[1]) td.className = "num";
    if (value[2]) td.style.color = value[2];
    if (value[3]) td.style.backgroundColor = value[3];
    return td;
  }
  function pager(table) {
    var rows = null;
    var total = parseInt(table.getAttribute("data-rows"), 10);
    var pages = Math.max(1, Math.ceil(total / PAGE));
    var bar = document.getElementById(table.id + "-pager");
    var label = document.createElement("span");
    var current = 1;
    function show(page) {
      current = Math.min(Math.max(page, 1), pages);
      if (rows === null) rows = JSON.parse(document.getElementById(table.id + "-data").textContent);
      var body = document.createElement("tbody");
      rows.slice((current - 1) * PAGE, current * PAGE).forEach(function (row) {
        var tr = document.createElement("tr");
        row.forEach(function (value) { tr.appendChild(cell(value)); });
        body.appendChild(tr);
      });
      table.replaceChild(body, table.tBodies[0]);
      describe();
    }
    function describe() {
      label.textContent = "Rows " + ((current - 1) * PAGE + 1) + "\u2013" + Math.min(current * PAGE, total) +
        " of " + total + " (page " + current + " of " + pages + ")";
    }
    bar.textContent = "";
    [["\u00ab First", function () { return 1; }], ["\u2039 Previous", function () { return current - 1; }],
     ["Next \u203a", function () { return current + 1; }], ["Last \u00bb", function () { return pages; }]]
      .forEach(function (b) {
        var button = document.createElement("button");
        button.type = "button";
        button.textContent = b[0];
        button.addEventListener("click", function () { show(b[1]()); });
        bar.appendChild(button);
      });
    bar.appendChild(label);
    describe();
    var wanted = /^#(.+)-p(\d+)$/.exec(location.hash);
    if (wanted && wanted[1] === table.id) {
      show(parseInt(wanted[2], 10));
      bar.scrollIntoView();
    }
  }
  document.querySelectorAll("table[data-rows]").forEach(pager);
})();
)JS";

}  // namespace

std::string rdb_html_new_nonce()
{
    std::random_device random;
    char text[33];
    for (int i = 0; i < 4; ++i)
        std::snprintf(text + 8 * i, 9, "%08x", static_cast<unsigned>(random()));
    return text;
}

void rdb_html_page_begin(RDB_HTML_OUTPUT& out, const std::string& title, const std::string& nonce,
                         const char* extra_style)
{
    out.raw("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n");
    out.raw("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'; "
            "img-src data:; base-uri 'none'; form-action 'none'; script-src 'nonce-")
        .raw(nonce)
        .raw("'\">\n");
    out.raw("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>");
    out.text(title).raw("</title>\n<style>").raw(STYLE).raw(extra_style).raw("</style>\n</head>\n<body>\n");
}

void rdb_html_page_end(RDB_HTML_OUTPUT& out, const std::string& nonce)
{
    out.raw("<script nonce=\"").raw(nonce).raw("\">").raw(SCRIPT).raw("</script>\n</body>\n</html>\n");
}
