// The tables: a controller per table (the contract in page_core.js) that
// pages, sorts, filters and searches its data rows. Nothing is parsed or
// built until a person or the address asks, or the table is in view while
// the page is idle: the markup already holds the first page, so a report
// of many long tables opens at once. Rows are built with
// textContent, so no report text becomes markup.
var PAGE = 100;

function cell(value, styles) {
  var td = document.createElement("td");
  var kind = cell_kind(value, styles);
  if (kind < 0) { td.className = "none"; return td; }
  td.textContent = cell_text(value);
  if (kind === 1) td.className = "num";
  if (kind === 2) { td.className = "none"; td.title = "instance not in the hierarchy"; }
  var colors = cell_colors(value, styles);
  if (colors[0]) td.style.color = colors[0];
  if (colors[1]) td.style.backgroundColor = colors[1];
  var classes = cell_classes(value, styles);
  if (classes) td.className = (td.className ? td.className + " " : "") + classes;
  return td;
}

// A cell of the markup read back as a data block's cell (a short table
// has no block), its style added to `styles`.
function cell_of_markup(td, styles) {
  var kind = td.classList.contains("num") ? 1 : td.classList.contains("none") ? (td.title ? 2 : -1) : 0;
  if (kind < 0) return null;
  var fg = td.style.color, bg = td.style.backgroundColor;
  var classes = Array.prototype.filter.call(td.classList, function (c) { return c !== "num" && c !== "none"; });
  if (!fg && !bg && kind !== 2 && !classes.length) return kind === 0 ? td.textContent : [td.textContent];
  styles.push(classes.length ? [kind, fg, bg, classes.join(" ")] : [kind, fg, bg]);
  return [td.textContent, styles.length - 1];
}

var FEW_ROWS = 10;

// "Slack < 0" for a table whose first numeric column is Slack: the form a
// filter's condition takes, in the table's own words.
function condition_example(table, headings) {
  var first = table.tBodies[0].rows[0];
  for (var c = 0; first && c < headings.length && c < first.cells.length; ++c)
    if (first.cells[c].className === "num" && headings[c].trim() && headings[c].length < 30)
      return headings[c].trim() + " < 0";
  return "NAME < VALUE";
}

function button(text, label, action) {
  var b = document.createElement("button");
  b.type = "button";
  b.textContent = text;
  if (label) b.setAttribute("aria-label", label);
  b.addEventListener("click", action);
  return b;
}

function search_box(placeholder, label) {
  var input = document.createElement("input");
  input.type = "search";
  input.placeholder = placeholder;
  input.setAttribute("aria-label", label);
  return input;
}

function controller(table) {
  var id = table.id;
  var head = table.tHead;
  var headings = head ? Array.prototype.map.call(head.rows[0].cells, function (th) { return th.textContent; }) : [];
  var total = table.hasAttribute("data-rows") ? parseInt(table.getAttribute("data-rows"), 10) : table.tBodies[0].rows.length;
  var rows = null, styles = [], texts = null, keys = {}, orders = {};
  var view = null;          // the data rows shown, in order, after sort and filter
  var state = { page: 1, sort: "", filter: "", search: "" };
  var matches = [], match = -1, marked = -1;
  var bar = document.getElementById(id + "-pager"), label = null;
  var tools = null, find_input, found, filter_input, kept, message;

  function all_rows() {
    if (rows !== null) return rows;
    var block = document.getElementById(id + "-data");
    if (block) {
      var data = JSON.parse(block.textContent);
      rows = Array.isArray(data) ? data : data.rows;
      styles = Array.isArray(data) ? [] : data.styles;
    } else {
      rows = Array.prototype.map.call(table.tBodies[0].rows, function (tr) {
        return Array.prototype.map.call(tr.cells, function (td) { return cell_of_markup(td, styles); });
      });
    }
    return rows;
  }
  // Each row's text, lower-cased, for searches and text filters: made in
  // one go (a string of all rows, split), since a row at a time costs
  // far more on long tables. No cell holds U+0000 (XML has none).
  function row_texts() {
    if (texts === null) {
      var lines = all_rows().map(function (row) {
        var line = "";
        for (var c = 0; c < row.length; ++c) line += (c ? "\t" : "") + cell_text(row[c]);
        return line;
      });
      texts = lines.join("\u0000").toLowerCase().split("\u0000");
    }
    return texts;
  }
  function keys_of(column) {
    if (!keys[column]) keys[column] = column_keys(all_rows(), styles, column);
    return keys[column];
  }
  function columns() {
    var n = headings.length;
    all_rows().forEach(function (row) { if (row.length > n) n = row.length; });
    return n;
  }
  function pages() { return Math.max(1, Math.ceil((view ? view.length : total) / PAGE)); }

  // The rows in the order and selection of state.sort and state.filter.
  function make_view() {
    var sort = parseInt(state.sort, 10) || 0;
    if (!orders[sort]) {
      orders[sort] = sort ? sorted(all_rows().length, keys_of(Math.abs(sort) - 1), sort < 0)
                          : all_rows().map(function (row, r) { return r; });
    }
    var order = orders[sort];
    if (message) message.textContent = "";
    if (state.filter) {
      var condition = read_condition(state.filter, headings, columns());
      if (condition && condition.error) {
        if (message) message.textContent = condition.error;
      } else if (condition) {
        var read = keys_of(condition.column).read;
        order = order.filter(function (r) { return meets(condition, rows[r][condition.column], read[r]); });
      } else {
        var needle = state.filter.toLowerCase(), t = row_texts();
        order = order.filter(function (r) { return t[r].indexOf(needle) >= 0; });
      }
    }
    view = order;
    find_matches();
  }
  function find_matches() {
    matches = [];
    match = -1;
    if (!state.search) return;
    var needle = state.search.toLowerCase(), t = row_texts();
    for (var i = 0; i < view.length; ++i)
      if (t[view[i]].indexOf(needle) >= 0) matches.push(i);
  }
  function render() {
    state.page = Math.min(Math.max(state.page, 1), pages());
    var body = document.createElement("tbody");
    var first = (state.page - 1) * PAGE;
    view.slice(first, first + PAGE).forEach(function (r, i) {
      var tr = document.createElement("tr");
      rows[r].forEach(function (value) { tr.appendChild(cell(value, styles)); });
      if (r === marked) tr.className = "hit";
      else if (matches.length && is_match(first + i)) tr.className = "match";
      body.appendChild(tr);
    });
    table.replaceChild(body, table.tBodies[0]);
    describe();
  }
  function is_match(position) {
    var lo = 0, hi = matches.length;
    while (lo < hi) { var mid = (lo + hi) >> 1; if (matches[mid] < position) lo = mid + 1; else hi = mid; }
    return lo < matches.length && matches[lo] === position;
  }
  function describe() {
    if (found) found.textContent = !state.search ? "" : matches.length === 0 ? "no match" :
      match < 0 ? matches.length + (matches.length === 1 ? " match" : " matches") : match + 1 + " of " + matches.length;
    var count = view ? view.length : total;
    // A table without a pager says here how many rows its filter kept.
    if (kept && !label) kept.textContent = count !== total ? count + " of " + total + " rows" : "";
    if (!label) return;
    var first = (state.page - 1) * PAGE;
    label.textContent = count === 0 ? "No rows of " + total + " match" :
      "Rows " + (first + 1) + "\u2013" + Math.min(first + PAGE, count) + " of " + count +
      (count !== total ? " (filtered from " + total + ")" : "") + " (page " + state.page + " of " + pages() + ")";
  }
  function mark_heading() {
    if (!head) return;
    var sort = parseInt(state.sort, 10) || 0;
    Array.prototype.forEach.call(head.rows[0].cells, function (th, c) {
      var s = Math.abs(sort) === c + 1 ? (sort > 0 ? "ascending" : "descending") : "none";
      th.setAttribute("aria-sort", s);
    });
  }
  // Shows match `m` (an index into matches): its page, its row marked.
  function go_to_match(m) {
    if (!matches.length) { marked = -1; render(); return; }
    match = (m + matches.length) % matches.length;
    marked = view[matches[match]];
    state.page = Math.floor(matches[match] / PAGE) + 1;
    render();
    scroll_to_marked();
  }
  function scroll_to_marked() {
    var tr = table.tBodies[0].querySelector("tr.hit");
    if (tr) tr.scrollIntoView({ block: "center" });
  }

  var self = {
    id: id,
    element: table,
    rows: function () { return all_rows(); },
    styles: function () { all_rows(); return styles; },
    state: function () {
      return { page: state.page, sort: state.sort, filter: state.filter, search: state.search };
    },
    show: function (wanted) { apply(wanted); },
    reveal: function (row) {
      if (view === null) make_view();
      var at = view.indexOf(row);
      if (at < 0 && state.filter) {
        state.filter = "";
        if (filter_input) filter_input.value = "";
        make_view();
        at = view.indexOf(row);
      }
      if (at < 0) return;
      marked = row;
      state.page = Math.floor(at / PAGE) + 1;
      render();
      scroll_to_marked();
    }
  };

  function apply(wanted) {
    var reorder = false;
    if (wanted.sort !== undefined && String(wanted.sort) !== state.sort) {
      state.sort = String(wanted.sort);
      reorder = true;
    }
    if (wanted.filter !== undefined && wanted.filter !== state.filter) {
      state.filter = wanted.filter;
      reorder = true;
    }
    if (filter_input && filter_input.value !== state.filter) filter_input.value = state.filter;
    var research = wanted.search !== undefined && wanted.search !== state.search;
    if (research) state.search = wanted.search;
    if (find_input && find_input.value !== state.search) find_input.value = state.search;
    if (view === null || reorder) make_view();
    else if (research) find_matches();
    mark_heading();
    if (wanted.page !== undefined) {
      state.page = parseInt(wanted.page, 10) || 1;
      marked = -1;
      var first = (state.page - 1) * PAGE;
      for (var m = 0; m < matches.length; ++m) if (matches[m] >= first) { match = m; break; }
      render();
    } else if (research && matches.length) {
      go_to_match(0);
    } else {
      if (reorder) state.page = 1;
      marked = -1;
      render();
    }
  }
  // A person's change: shown, then told to whoever keeps the address.
  function changed(wanted) {
    apply(wanted);
    view_changed(self);
  }

  if (head) {
    Array.prototype.forEach.call(head.rows[0].cells, function (th, c) {
      th.tabIndex = 0;
      th.title = "Sort by this column";
      function sort() {
        var now = parseInt(state.sort, 10) || 0;
        changed({ sort: now === c + 1 ? String(-(c + 1)) : now === -(c + 1) ? "" : String(c + 1) });
      }
      th.addEventListener("click", sort);
      th.addEventListener("keydown", function (e) { if (e.key === "Enter" || e.key === " ") { e.preventDefault(); sort(); } });
    });
  }
  // A few rows a person reads at a glance: a search and a filter for
  // longer tables (all of them can be sorted by their headings).
  if (total > FEW_ROWS) {
    tools = document.createElement("div");
    tools.className = "table-tools";
    find_input = search_box("Find in this table", "Find in this table");
    found = document.createElement("span");
    found.className = "found";
    found.setAttribute("role", "status");
    filter_input = search_box("Filter: text, or " + condition_example(table, headings),
                              "Filter the rows: a text, or NAME OP VALUE");
    kept = document.createElement("span");
    kept.className = "kept";
    message = document.createElement("span");
    message.className = "message";
    message.setAttribute("role", "status");
    find_input.addEventListener("input", function () { changed({ search: find_input.value }); });
    find_input.addEventListener("keydown", function (e) {
      if (e.key !== "Enter" || view === null) return;
      e.preventDefault();
      go_to_match(match + (e.shiftKey ? -1 : 1));
      view_changed(self);
    });
    filter_input.addEventListener("input", function () { changed({ filter: filter_input.value }); });
    // A person about to type: the rows' texts are made now, not on the
    // first key, so that each key costs a search and no more.
    [find_input, filter_input].forEach(function (box) { box.addEventListener("focus", row_texts); });
    tools.appendChild(find_input);
    tools.appendChild(button("\u2039", "Previous match", function () { if (view) { go_to_match(match - 1); view_changed(self); } }));
    tools.appendChild(button("\u203a", "Next match", function () { if (view) { go_to_match(match + 1); view_changed(self); } }));
    tools.appendChild(found);
    tools.appendChild(filter_input);
    tools.appendChild(kept);
    tools.appendChild(message);
    var wrap = table.parentNode;
    wrap.parentNode.insertBefore(tools, bar || wrap);
  }
  if (bar) {
    label = document.createElement("span");
    bar.textContent = "";
    [["\u00ab First", function () { return 1; }], ["\u2039 Previous", function () { return state.page - 1; }],
     ["Next \u203a", function () { return state.page + 1; }], ["Last \u00bb", function () { return pages(); }]]
      .forEach(function (b) {
        bar.appendChild(button(b[0], "", function () { changed({ page: Math.min(Math.max(b[1](), 1), pages()) }); }));
      });
    bar.appendChild(label);
    describe();
  }
  if (document.getElementById(id + "-data")) read_when_idle(table, row_texts);
  return self;
}

// A long table in view is read while the page is idle: a person who looks
// at it and then searches it waits for the search alone, not for its rows
// to be read too. Tables never scrolled to are never read.
var read_when_idle = (function () {
  var work = new Map();
  var later = window.requestIdleCallback || function (f) { return setTimeout(f, 0); };
  var watcher = new IntersectionObserver(function (entries) {
    entries.forEach(function (e) {
      var read = work.get(e.target);
      if (!e.isIntersecting || !read) return;
      work.delete(e.target);
      watcher.unobserve(e.target);
      later(function () { read(); });
    });
  });
  return function (table, read) { work.set(table, read); watcher.observe(table); };
})();

document.querySelectorAll("table.cells").forEach(function (table) {
  if (table.id) TABLES[table.id] = controller(table);
});

// The heading row follows the window while its table is in view. A wide
// table's wrapper scrolls sideways, and a scrolling box holds a sticky
// heading to itself, never to the window: so the heading cells are moved
// down by script, by as much as the table's top has gone above the window.
(function () {
  var heads = [];
  document.querySelectorAll("table.cells").forEach(function (table) { if (table.tHead) heads.push(table); });
  if (!heads.length) return;
  var near = new Set(), queued = false;
  var watcher = new IntersectionObserver(function (entries) {
    entries.forEach(function (e) {
      if (e.isIntersecting) near.add(e.target);
      else { near.delete(e.target); e.target.style.removeProperty("--head"); }
    });
    follow();
  });
  heads.forEach(function (table) { watcher.observe(table); });
  function follow() {
    queued = false;
    near.forEach(function (table) {
      var box = table.getBoundingClientRect();
      var down = Math.max(0, Math.min(-box.top, box.height - table.tHead.offsetHeight));
      if (down > 0) table.style.setProperty("--head", down + "px");
      else table.style.removeProperty("--head");
    });
  }
  window.addEventListener("scroll", function () {
    if (!queued) { queued = true; requestAnimationFrame(follow); }
  }, { passive: true });
})();
