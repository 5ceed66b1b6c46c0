// What the parts of the page share. Each part is a file of this folder,
// joined in the order writers/CMakeLists.txt lists them inside one strict
// function scope (embed.cmake): a part sees the names of the parts before
// it, and nothing is left on the page's global object but `rdbxml`.
//
// The parts and what they promise each other:
//
// A table on the page is a table element of class "cells" and id ID,
// inside the object's article element of id OBJECT, with ID = OBJECT +
// "-t". A table with a heading row has it as <thead>; its data rows are the
// <tbody>'s. A table longer than one page carries all its data rows in a
// JSON data block, a script element of type "application/json" and id
// ID-data, and data-rows="N" (the number of data rows) on the <table>; the
// markup holds the first page.
//
// page_tables.js makes a controller for every such table and keeps it in
// TABLES[ID]. A controller:
//   .id, .element          the table's id and its <table>
//   .rows()                every data row, as arrays of cell values
//                          (cell_text reads one), in the report's order
//   .styles()              the styles the cell values name (cell_kind and
//                          cell_colors read them)
//   .state()               the view: {page, sort, filter, search}; page
//                          from 1, sort "" or a 1-based column number,
//                          "-" in front for descending, filter and search
//                          the texts typed ("" for none)
//   .show(state)           shows that view (keys left out keep theirs)
//   .reveal(row)           shows the page that holds data row `row` (an
//                          index into rows(), whatever the sort) and marks it
// It calls view_changed(controller) after each change a person made (a
// click, a key), never after show() or reveal(), so that the address and
// the history follow the person and not the page's own steps.
//
// page_address.js keeps the view in the address's fragment and sets
// view_changed; page_tree.js makes the sidebar; page_search.js searches the
// whole report through TABLES and the objects' headings.

var TABLES = {};

// Set by the part that keeps the address; nothing to do without it.
var view_changed = function () {};

// A data block is {"rows": [...], "styles": [...]}, or the rows alone (an
// array) where no cell needs a style. Its cells (rdb_html_table.cpp writes
// them, as short as they can be, since a long report's page is mostly
// these) are:
//   null          no cell
//   "text"        a plain text cell
//   123           a numeric cell without colours showing exactly "123"
//   [text]        any other numeric cell without colours ("-120 ps")
//   [text, style] any other cell; styles[style] is [kind, foreground,
//                 background], kind as cell_kind says, colours as
//                 "#rrggbb" or "" for none, and a fourth item where
//                 the writer gave the cell classes of its own (a diff's
//                 change, a failed run), kept on every page
// where text is a string, or a number showing exactly as String() prints
// it. Read them only through these helpers.

// The text a cell shows.
function cell_text(value) {
  if (value === null) return "";
  if (typeof value === "string") return value;
  if (typeof value === "number") return String(value);
  return String(value[0]);
}

// -1 no cell, 0 text, 1 numeric, 2 an instance not in the hierarchy.
function cell_kind(value, styles) {
  if (value === null) return -1;
  if (typeof value === "string") return 0;
  if (typeof value === "number" || value.length < 2) return 1;
  return styles[value[1]][0];
}

// [foreground, background] as CSS colours, "" for none.
function cell_colors(value, styles) {
  if (value === null || typeof value !== "object" || value.length < 2) return ["", ""];
  var style = styles[value[1]];
  return [style[1], style[2]];
}

// The writer's own classes of a cell, "" for none.
function cell_classes(value, styles) {
  if (value === null || typeof value !== "object" || value.length < 2) return "";
  var style = styles[value[1]];
  return style.length > 3 ? style[3] : "";
}

// Hosts and tests reach the controllers here, and nowhere else.
window.rdbxml = { tables: TABLES };
