// The view in the address: the fragment names the object shown and its
// table's view, so that a link opens the same view, after a reload too, and
// the back button returns to the view before.
//
// The fragment is the object's id (its path, percent-encoded by the writer:
// it never holds a raw '?'), then, for a table's view other than the first
// one, '?' and keys joined by '&', each value encodeURIComponent'd:
//   #main/timing/Setup%20slack?page=3&sort=-6&filter=Slack%20%3C%200&search=clk
//   page    the page shown, from 1
//   sort    the column sorted by, from 1, "-" in front for descending
//   filter  the table's filter, as typed
//   search  the table's search, as typed
//   row     a data row to show and mark, from 1 in the report's order (the
//           report-wide search links to its rows so); its page is shown
// A key left out has its first value (page 1, the report's order, no
// filter, no search), so an address always opens one and the same view.
// A folder's address is its id alone. The older forms still open what they
// named: #TABLE-pN (TABLE a table's id, N its page), and the places of
// pages made before ids were paths: #oN (the Nth object, from 1), #oN-t-pP
// and #fN (the Nth folder, from 0).
//
// Each change a person makes to a table (view_changed) pushes an entry on
// the history, but for text typed into a table's filter or search box: the
// keys typed one after another into one box make one entry. Following a
// link (the tree, a folder, a search result) pushes one by itself. Going
// back or forward shows the entry's view again.

// The object and view an address names: {id, view, row} (row -1 for none).
function address_parse(hash) {
  var text = hash.charAt(0) === "#" ? hash.slice(1) : hash;
  var query = text.indexOf("?");
  var parsed = {id: query < 0 ? text : text.slice(0, query), view: {page: 1, sort: "", filter: "", search: ""}, row: -1};
  if (query < 0 && !document.getElementById(text)) {
    // The older forms, when nothing bears the id as a whole: a table's
    // page, and the places pages gave before ids were paths (the Nth
    // object "oN", its table "oN-t", its page "oN-t-pP"; folder "fN").
    var place = /^([of])(\d+)(-t)?(?:-p(\d+))?$/.exec(text);
    if (place) {
      var held = document.querySelectorAll(place[1] === "o" ? "main article.object" : "main section.folder");
      var at = parseInt(place[2], 10) - (place[1] === "o" ? 1 : 0);
      if (at >= 0 && at < held.length) text = held[at].id + (place[3] || "") + (place[4] ? "-p" + place[4] : "");
      parsed.id = text;
    }
    var older = /^(.+)-p(\d+)$/.exec(text);
    if (older && TABLES[older[1]]) {
      parsed.id = older[1];
      parsed.view.page = parseInt(older[2], 10);
    }
    if (/-t$/.test(parsed.id) && TABLES[parsed.id] && document.getElementById(parsed.id.slice(0, -2)))
      parsed.id = parsed.id.slice(0, -2);
    return parsed;
  }
  if (query < 0) return parsed;
  text.slice(query + 1).split("&").forEach(function (pair) {
    var equals = pair.indexOf("=");
    if (equals < 0) return;
    var key = pair.slice(0, equals), value;
    try { value = decodeURIComponent(pair.slice(equals + 1)); } catch (e) { return; }
    if (key === "page") parsed.view.page = Math.max(1, parseInt(value, 10) || 1);
    else if (key === "sort" && /^-?\d+$/.test(value)) parsed.view.sort = value;
    else if (key === "filter" || key === "search") parsed.view[key] = value;
    else if (key === "row" && /^\d+$/.test(value) && +value > 0) parsed.row = +value - 1;
  });
  return parsed;
}

// The address of object `id` whose table shows `view`.
function address_of(id, view, row) {
  var keys = [];
  if (row !== undefined && row >= 0) keys.push("row=" + (row + 1));
  else if (view && +view.page > 1) keys.push("page=" + view.page);
  if (view && view.sort) keys.push("sort=" + encodeURIComponent(view.sort));
  if (view && view.filter) keys.push("filter=" + encodeURIComponent(view.filter));
  if (view && view.search) keys.push("search=" + encodeURIComponent(view.search));
  return "#" + id + (keys.length ? "?" + keys.join("&") : "");
}

// The controller of the table of object `id`: the object's table, or a
// table named so itself (the diff and trend pages name tables alone).
function address_table(id) { return TABLES[id + "-t"] || TABLES[id] || null; }

// The object and table of a controller, for the address.
function address_object_of(controller) {
  return /-t$/.test(controller.id) && document.getElementById(controller.id.slice(0, -2))
    ? controller.id.slice(0, -2) : controller.id;
}

var address_shown = null;  // the fragment last shown, so that one change is shown once
var address_touched = new Set();  // the tables whose view an address or a person changed
var address_views = new Map();  // controller -> its view when last shown or changed
// What the last entry a person's change made was typed into: a run of keys
// typed into one box of one table is one step back, not one per key.
var address_typing = null;  // {table, key}

function address_show(hash, scroll) {
  if (hash === address_shown) return;
  address_shown = hash;
  address_typing = null;
  var wanted = address_parse(hash);
  if (!wanted.id) {
    // The page as it opened: the tables an address changed show their
    // first view again.
    address_touched.forEach(function (table) { table.show(wanted.view); });
    address_touched.clear();
    tree_mark("");
    return;
  }
  var target = document.getElementById(wanted.id);
  var table = address_table(wanted.id);
  var revealed = false;
  if (table) {
    address_touched.add(table);
    if (wanted.row >= 0) {
      // A chart's data rows wait folded under "Data".
      var folded = table.element.closest("details");
      if (folded) folded.open = true;
      table.show({page: 1, sort: wanted.view.sort, filter: wanted.view.filter, search: wanted.view.search});
      table.reveal(wanted.row);  // and scrolls to the row
      revealed = true;
    } else {
      table.show(wanted.view);
    }
  }
  if (table) address_views.set(table, table.state());
  tree_mark(wanted.id);
  if (scroll && target && !revealed) target.scrollIntoView({block: "start"});
  tree_follow_hold = target;
}

view_changed = function (controller) {
  var id = address_object_of(controller);
  address_touched.add(controller);
  var view = controller.state();
  var hash = address_of(id, view);
  var before = address_views.get(controller) || {page: 1, sort: "", filter: "", search: ""};
  address_views.set(controller, view);
  if (hash === location.hash) return;
  // The box typed into: the one of filter and search that changed (the
  // page may follow), with the sort as it was.
  var key = view.sort !== before.sort || (view.filter !== before.filter) === (view.search !== before.search)
    ? null : view.filter !== before.filter ? "filter" : "search";
  if (key !== null && address_typing && address_typing.table === controller && key === address_typing.key)
    history.replaceState(null, "", hash);
  else history.pushState(null, "", hash);
  address_typing = {table: controller, key: key};
  address_shown = hash;
  tree_mark(id);
};

// A link followed (a new entry) or a step back or forward.
window.addEventListener("popstate", function () { address_show(location.hash, true); });
window.addEventListener("hashchange", function () { address_show(location.hash, true); });
if (location.hash.length > 1) address_show(location.hash, true);
