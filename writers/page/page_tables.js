// Pages the tables that carry a data block: the block's rows are shown a
// page at a time, built with textContent so no text becomes markup. A
// block is parsed only when its table leaves the first page (which the
// markup already holds), so a report of many long tables opens at once. A
// link ending in #<table id>-p<page> opens that page.
var PAGE = 100;
function cell(value) {
  var td = document.createElement("td");
  if (value === null) { td.className = "none"; return td; }
  if (typeof value === "string") { td.textContent = value; return td; }
  td.textContent = value[0];
  if (value[1]) td.className = "num";
  if (value[2]) td.style.color = value[2];
  if (value[3]) td.style.backgroundColor = value[3];
  // The writer's own classes (a diff's change, a failed run): what the
  // first page's markup carries, every page carries.
  if (value[4]) td.className = (td.className ? td.className + " " : "") + value[4];
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
