// The search over the whole report: object and folder names, headers,
// footers, texts, column titles and the text of every cell of every table,
// all rows and not only the page shown (a table's rows through its
// controller, a table without one through its markup). The lower-cased
// texts are made at the first search and kept, so each later search only
// compares: on the 100 MB report's page the first search reads the tables'
// data blocks (about 1.5 s), a later one takes some 10 ms.
//
// Results come in the page's order, at most SEARCH_SHOWN of them listed
// with "and N more"; each is a link to its object, a row's to the row
// (address_of with row), so that following one updates the address and
// the back button returns.
var SEARCH_SHOWN = 200;
var SEARCH_CELL = "\u001f";  // between the cells of a row in the search's text
var SEARCH_ROW = "\u001e";   // after each row
var search_sources = null;

// Each source: {id, what, text (as shown), lower (lower-cased)}; a table's
// {id, table, and from its first search rows, starts and lower}.
function search_collect() {
  var sources = [];
  function add(id, what, element) {
    if (!element) return;
    var text = element.textContent;
    if (text) sources.push({id: id, what: what, text: text, lower: text.toLowerCase()});
  }
  document.querySelectorAll("main section.folder, main article.object").forEach(function (holder) {
    var id = holder.id;
    var heading = holder.querySelector(holder.tagName === "SECTION" ? "h2" : "h3");
    if (heading) add(id, "name", heading.firstChild);
    add(id, "header", holder.querySelector(":scope > p.header"));
    holder.querySelectorAll(":scope > .text p, :scope > dl.info dd").forEach(function (p) { add(id, "text", p); });
    if (holder.tagName === "ARTICLE") {
      holder.querySelectorAll("table.cells").forEach(function (table) {
        if (table.tHead) add(id, "column titles", table.tHead.rows[0]);
        sources.push({id: id, table: table, rows: null, starts: null, lower: null});
      });
    }
    add(id, "footer", holder.querySelector(":scope > p.footer"));
  });
  return sources;
}

// The rows of a table source (each an array of cell values, as the
// controller gives them, or cell texts read from the markup) and the
// search's text of the whole table: every row lower-cased, its cells apart
// by SEARCH_CELL and the rows by SEARCH_ROW, with where each row begins.
// One string per table, not one per row: the 100 MB report's 224 000 rows
// cost one allocation per row, and a search one indexOf per match.
function search_rows(source) {
  if (source.lower !== null) return;
  var controller = TABLES[source.table.id];
  var rows;
  if (controller) {
    rows = controller.rows();
  } else {
    var body = source.table.tBodies[0];
    rows = body ? Array.prototype.map.call(body.rows, function (tr) {
      return Array.prototype.map.call(tr.cells, function (td) { return td.textContent; });
    }) : [];
  }
  var parts = new Array(rows.length);
  var starts = new Float64Array(rows.length + 1);
  var at = 0;
  for (var r = 0; r < rows.length; ++r) {
    var row = rows[r], text = "";
    for (var c = 0; c < row.length; ++c) text += (c ? SEARCH_CELL : "") + cell_text(row[c]);
    // Lower-cased row by row: a few characters change length so, and the
    // starts must be those of the lower-cased text.
    text = text.toLowerCase() + SEARCH_ROW;
    starts[r] = at;
    at += text.length;
    parts[r] = text;
  }
  starts[rows.length] = at;
  source.rows = rows;
  source.starts = starts;
  source.lower = parts.join("");
}

// The row of a table source that holds offset `at` of its text.
function search_row_at(source, at) {
  var low = 0, high = source.rows.length - 1;
  while (low < high) {
    var middle = (low + high + 1) >> 1;
    if (source.starts[middle] <= at) low = middle;
    else high = middle - 1;
  }
  return low;
}

// The matches of `query` (lower-cased): {count, shown: [{id, what, text, row}]}.
function search_find(query) {
  if (search_sources === null) search_sources = search_collect();
  var found = {count: 0, shown: []};
  function hit(id, what, text, row) {
    if (found.count++ < SEARCH_SHOWN) found.shown.push({id: id, what: what, text: text, row: row});
  }
  search_sources.forEach(function (source) {
    if (!source.table) {
      if (source.lower.indexOf(query) >= 0) hit(source.id, source.what, source.text, -1);
      return;
    }
    search_rows(source);
    var linked = source.table.id === source.id + "-t";
    for (var at = source.lower.indexOf(query); at >= 0; ) {
      var r = search_row_at(source, at);
      if (found.count >= SEARCH_SHOWN) {
        ++found.count;
      } else {
        // The cell that holds it.
        var cells = source.rows[r].map(cell_text);
        var text = cells.find(function (cell) { return cell.toLowerCase().indexOf(query) >= 0; });
        hit(source.id, "row " + (r + 1), text !== undefined ? text : cells.join(" \u00b7 "), linked ? r : -1);
      }
      at = source.lower.indexOf(query, source.starts[r + 1]);
    }
  });
  return found;
}

// An object's path as a person reads it: its id decoded; a positional id
// (a path too long to be one) is shown as the object's name.
function search_place(id) {
  var holder = document.getElementById(id);
  if (id.charAt(0) === "~" && holder) {
    var heading = holder.querySelector("h2, h3");
    return heading && heading.firstChild ? heading.firstChild.textContent : id;
  }
  try { return decodeURIComponent(id); } catch (e) { return id; }
}

// Around the match, so that a long text shows where it matched.
function search_excerpt(text, query) {
  var at = text.toLowerCase().indexOf(query);
  if (text.length <= 160 || at < 0) return text.length <= 160 ? text : text.slice(0, 160) + "\u2026";
  var from = Math.max(0, at - 60);
  return (from > 0 ? "\u2026" : "") + text.slice(from, from + 160) + (from + 160 < text.length ? "\u2026" : "");
}

var search_box = document.createElement("input");
var search_panel = document.createElement("div");
var search_main = document.querySelector("main");
var search_header = document.querySelector("header.page");
if (search_main && search_header) {
  var search_bar = document.createElement("div");
  search_bar.className = "report-search";
  search_bar.setAttribute("role", "search");
  search_box.type = "search";
  search_box.placeholder = "Search the report";
  search_box.setAttribute("aria-label", "Search the report");
  search_bar.appendChild(search_box);
  search_header.appendChild(search_bar);
  search_panel.className = "search-results";
  search_panel.hidden = true;
  search_main.insertBefore(search_panel, search_main.firstChild);
  search_box.addEventListener("input", search_run);
  search_box.addEventListener("keydown", function (event) {
    if (event.key === "Escape") { search_box.value = ""; search_run(); }
  });
}

function search_run() {
  var query = search_box.value.trim().toLowerCase();
  search_panel.textContent = "";
  search_panel.hidden = query === "";
  if (query === "") return;
  var found = search_find(query);
  var title = document.createElement("p");
  title.className = "search-title";
  title.textContent = found.count === 0 ? "Nothing found for \u201c" + search_box.value.trim() + "\u201d."
    : found.count + (found.count === 1 ? " match" : " matches") + " for \u201c" + search_box.value.trim() + "\u201d";
  search_panel.appendChild(title);
  if (found.count === 0) return;
  var list = document.createElement("ol");
  found.shown.forEach(function (match) {
    var item = document.createElement("li");
    var link = document.createElement("a");
    link.href = match.row >= 0 ? address_of(match.id, null, match.row) : "#" + match.id;
    var place = document.createElement("span");
    place.className = "search-place";
    place.textContent = search_place(match.id);
    var what = document.createElement("span");
    what.className = "search-what";
    what.textContent = match.what;
    var text = document.createElement("span");
    text.className = "search-text";
    text.textContent = search_excerpt(match.text, query);
    link.appendChild(place);
    link.appendChild(what);
    link.appendChild(text);
    item.appendChild(link);
    list.appendChild(item);
  });
  search_panel.appendChild(list);
  if (found.count > found.shown.length) {
    var more = document.createElement("p");
    more.className = "search-more";
    more.textContent = "and " + (found.count - found.shown.length) + " more";
    search_panel.appendChild(more);
  }
}
