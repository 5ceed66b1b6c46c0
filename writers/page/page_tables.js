// The tables: a controller per table (the contract in page_core.js) that
// pages, sorts, filters and searches its data rows. Nothing is parsed or
// built until a person or the address asks: the markup already holds the
// first page, and a data block is read only when another view is wanted,
// so a report of many long tables opens at once. Rows are built with
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

// A number as the tool reads one (rdb_read_number): blanks around it,
// commas only between digits; null for anything else.
function read_number(text) {
  // Most are plain decimals: read at once.
  if (/^-?[0-9]+(\.[0-9]+)?$/.test(text)) return Number(text);
  var t = text.trim();
  if (!/^[0-9.,eE+-]+$/.test(t) || /(^|[^0-9]),|,($|[^0-9])/.test(t)) return null;
  t = t.replace(/,/g, "");
  if (!/^[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?$/.test(t)) return null;
  var n = Number(t);
  return isFinite(n) ? n : null;
}

// What a numeric cell's text says: a delay in its unit, {ps} or {mhz}, or
// a plain number {n}; null for a text.
var DELAY_PS = { ps: 1, ns: 1e3, us: 1e6 };
function cell_number(value, styles) {
  // A number in the block is the number the cell shows.
  if (typeof value === "number") return { n: value };
  if (value !== null && typeof value[0] === "number") return { n: value[0] };
  var text = cell_text(value);
  if (cell_kind(value, styles) === 1) {
    var delay = /^(\S+) (ps|ns|us|MHz)$/.exec(text);
    var n = delay ? read_number(delay[1]) : null;
    if (n !== null) return delay[2] === "MHz" ? { mhz: n } : { ps: n * DELAY_PS[delay[2]] };
  }
  var plain = value === null ? null : read_number(text);
  return plain === null ? null : { n: plain };
}

// A column's keys, made once: what each cell says as a number
// (cell_number), and how it sorts: numbers first (a delay by picoseconds,
// a MHz cell as 1e6/MHz ps, unless the column shows only MHz: then by
// frequency), then texts, then missing cells, as `rdbxml --sort` orders.
function column_keys(rows, styles, column) {
  var n = rows.length, read = new Array(n), group = new Uint8Array(n), number = new Float64Array(n), text = [];
  var has_ps = false, has_mhz = false, r, d;
  for (r = 0; r < n; ++r) {
    var v = rows[r][column];
    d = read[r] = v === undefined || v === null ? null : cell_number(v, styles);
    if (d === null) {
      group[r] = v === undefined || v === null ? 2 : 1;
      if (group[r] === 1) text[r] = cell_text(v);
    }
    else if (d.ps !== undefined) has_ps = true;
    else if (d.mhz !== undefined) has_mhz = true;
  }
  var frequency = has_mhz && !has_ps;
  for (r = 0; r < n; ++r) {
    d = read[r];
    if (d === null) continue;
    number[r] = d.mhz !== undefined ? (frequency ? d.mhz : 1e6 / d.mhz) : d.ps !== undefined ? d.ps : d.n;
  }
  return { read: read, group: group, number: number, text: text };
}

// The rows 0..count-1 sorted by a column's keys (ascending, or descending
// when `down`): numbers, then texts, then missing cells; rows of equal
// keys keep the report's order.
function sorted(count, keys, down) {
  var numbers = [], texts = [], missing = [];
  for (var r = 0; r < count; ++r) (keys.group[r] === 0 ? numbers : keys.group[r] === 1 ? texts : missing).push(r);
  var text = keys.text, sign = down ? -1 : 1;
  texts.sort(function (a, b) { return sign * (text[a] < text[b] ? -1 : text[a] > text[b] ? 1 : 0) || a - b; });
  return by_number(numbers, keys.number, down).concat(texts, missing);
}

// `rows` by their numbers: a counting sort by each number's rank among the
// distinct ones, found in a natively sorted copy. A sort that calls script
// for each comparison takes several times as long on 100 000 rows.
function by_number(rows, number, down) {
  var n = rows.length, values = new Float64Array(n), i;
  for (i = 0; i < n; ++i) values[i] = number[rows[i]];
  values.sort();
  var distinct = 0;
  for (i = 0; i < n; ++i) if (distinct === 0 || values[i] !== values[distinct - 1]) values[distinct++] = values[i];
  var rank = new Uint32Array(n), start = new Uint32Array(distinct + 1);
  for (i = 0; i < n; ++i) {
    var v = number[rows[i]], lo = 0, hi = distinct - 1;
    while (lo < hi) { var mid = (lo + hi) >> 1; if (values[mid] < v) lo = mid + 1; else hi = mid; }
    rank[i] = down ? distinct - 1 - lo : lo;
    ++start[rank[i] + 1];
  }
  for (i = 1; i <= distinct; ++i) start[i] += start[i - 1];
  var out = new Array(n);
  for (i = 0; i < n; ++i) out[start[rank[i]]++] = rows[i];
  return out;
}

// A filter of the `--where` form, NAME OP VALUE: {column, op, number, unit}
// or {column, op, text}; {error} when it does not read; null for a plain
// text filter.
var UNITS = { ps: 1, ns: 1e3, us: 1e6, mhz: 1, ghz: 1e3, "%": 1 };
function read_condition(text, headings, columns) {
  var parts = /^(.*?)\s*(<=|>=|==|!=|<|>|=)\s*(.*?)\s*$/.exec(text);
  if (!parts || !parts[1].trim()) return null;
  var name = parts[1].trim(), op = parts[2] === "==" ? "=" : parts[2], value = parts[3];
  var column = -1;
  if (/^[0-9]+$/.test(name) && +name >= 1 && +name <= columns) column = +name - 1;
  for (var c = 0; column < 0 && c < headings.length; ++c)
    if (headings[c].trim().toLowerCase() === name.toLowerCase()) column = c;
  if (column < 0) return { error: "No column is named \u201c" + name + "\u201d: give a heading or a column number 1\u2013" + columns + "." };
  if (value === "") return { error: "\u201c" + text.trim() + "\u201d has nothing to compare with: write NAME OP VALUE, as in Slack < 0." };
  var number = /^(.*?)\s*(ps|ns|us|mhz|ghz|%)?$/i.exec(value);
  var n = read_number(number[1]);
  if (n !== null) {
    var unit = number[2] ? number[2].toLowerCase() : "";
    return { column: column, op: op, number: unit ? n * UNITS[unit] : n, unit: unit };
  }
  if (op !== "=" && op !== "!=")
    return { error: "\u201c" + value + "\u201d is not a number (with ps, ns, us, MHz or GHz): only = and != compare texts." };
  return { column: column, op: op, text: value };
}

function compare(a, op, b) {
  switch (op) {
    case "<": return a < b;
    case "<=": return a <= b;
    case ">": return a > b;
    case ">=": return a >= b;
    case "=": return a === b;
    default: return a !== b;
  }
}

// Whether a cell meets a condition; a cell that cannot be compared (none,
// a text where a number is asked for, a frequency of a delay <= 0) fails.
// `d` is what the cell says as a number (cell_number).
function meets(condition, value, d) {
  if (value === undefined || value === null) return false;
  if (condition.text !== undefined) return compare(cell_text(value), condition.op, condition.text);
  var unit = condition.unit;
  if (d === null) {
    var percent = unit === "%" ? /^(.*?)\s*%$/.exec(cell_text(value).trim()) : null;
    var p = percent ? read_number(percent[1]) : null;
    return p !== null && compare(p, condition.op, condition.number);
  }
  if (unit === "mhz" || unit === "ghz") {
    if (d.mhz !== undefined) return compare(d.mhz, condition.op, condition.number);
    return d.ps !== undefined && d.ps > 0 && compare(1e6 / d.ps, condition.op, condition.number);
  }
  if (unit === "%") return false;
  if (d.n !== undefined) return unit === "" && compare(d.n, condition.op, condition.number);
  var ps = d.ps !== undefined ? d.ps : 1e6 / d.mhz;
  return compare(ps, condition.op, condition.number);
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

// A link ending in #<table id>-p<page> opens that page.
(function () {
  var wanted = /^#(.+)-p(\d+)$/.exec(location.hash);
  var table = wanted && TABLES[wanted[1]];
  if (!table) return;
  table.show({ page: parseInt(wanted[2], 10) });
  var bar = document.getElementById(table.id + "-pager");
  if (bar) bar.scrollIntoView();
})();

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
