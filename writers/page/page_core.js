// What the parts of the page share. Each part is a file of this folder,
// joined in the order writers/CMakeLists.txt lists them inside one strict
// function scope (embed.cmake): a part sees the names of the parts before
// it, and nothing is left on the page's global object but `rdbxml`.
//
// The parts and what they promise each other:
//
// A table on the page is a table element of class "cells" and id ID,
// inside the object's article element of id OBJECT, with ID = OBJECT + "-t". A table with a
// heading row has it as <thead>; its data rows are the <tbody>'s. A table
// longer than one page carries all its data rows in a JSON data block,
// <script type="application/json" id="ID-data">, and data-rows="N" (the
// number of data rows) on the <table>; the markup holds the first page.
//
// page_tables.js makes a controller for every such table and keeps it in
// TABLES[ID]. A controller:
//   .id, .element          the table's id and its <table>
//   .rows()                every data row, as arrays of cell values
//                          (cell_text reads one), in the report's order
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

// The text a cell shows: a cell value is null (no cell), a string (a plain
// text cell), or an array whose first item is the text.
function cell_text(value) {
  if (value === null) return "";
  return typeof value === "string" ? value : String(value[0]);
}

// Hosts and tests reach the controllers here, and nowhere else.
window.rdbxml = { tables: TABLES };
