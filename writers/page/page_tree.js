// The sidebar's tree of folders and objects. The writer lists every object
// as one flat list in document order, each entry with its level in
// data-depth: what a folder holds are the entries after it of a deeper
// level. Entries below the first levels come folded (hidden, their folder
// "shut"), so that a report of many objects paints at once; a button before
// a folder's name folds and unfolds it, and going to an object unfolds the
// folders that hold it. Each step costs the entries it passes, so a chain
// of thousands of nested folders stays linear.
var TREE = document.querySelector("nav.tree");
var TREE_ENTRIES = TREE ? Array.prototype.slice.call(TREE.querySelectorAll("li[data-depth]")) : [];
var tree_by_id = null;    // id -> entry, made at the first use
var tree_current = null;  // the entry of the object shown

function tree_depth(entry) { return parseInt(entry.getAttribute("data-depth"), 10); }

// Shows or hides what the folder of entry `at` holds; an unfolded folder
// shows its entries, and of a shut folder among them only the folder.
function tree_fold(at, open) {
  var entry = TREE_ENTRIES[at];
  var depth = tree_depth(entry);
  entry.classList.toggle("shut", !open);
  var button = entry.querySelector("button.fold");
  if (button) button.setAttribute("aria-expanded", open ? "true" : "false");
  var shut_below = Infinity;  // entries deeper than this stay hidden
  for (var i = at + 1; i < TREE_ENTRIES.length; ++i) {
    var next = TREE_ENTRIES[i];
    var level = tree_depth(next);
    if (level <= depth) break;
    if (!open) { next.hidden = true; continue; }
    if (level > shut_below) { next.hidden = true; continue; }
    shut_below = next.classList.contains("shut") ? level : Infinity;
    next.hidden = false;
  }
}

TREE_ENTRIES.forEach(function (entry, at) {
  var next = TREE_ENTRIES[at + 1];
  if (!entry.classList.contains("folder") || !next || tree_depth(next) <= tree_depth(entry)) return;
  var button = document.createElement("button");
  button.type = "button";
  button.className = "fold";
  button.setAttribute("aria-label", "Fold or unfold");
  button.setAttribute("aria-expanded", entry.classList.contains("shut") ? "false" : "true");
  button.addEventListener("click", function () { tree_fold(at, entry.classList.contains("shut")); });
  entry.insertBefore(button, entry.firstChild);
});

// Marks the entry of the object of id `id` (a folder's or an object's) as
// the one shown, unfolding the folders that hold it.
function tree_mark(id) {
  if (tree_by_id === null) {
    tree_by_id = new Map();
    TREE_ENTRIES.forEach(function (entry, at) {
      var link = entry.querySelector("a");
      if (link) tree_by_id.set(link.getAttribute("href").slice(1), at);
    });
  }
  if (tree_current) {
    tree_current.classList.remove("current");
    tree_current.querySelector("a").removeAttribute("aria-current");
    tree_current = null;
  }
  var at = tree_by_id.get(id);
  if (at === undefined) return;
  // The folders that hold it: walking back, each entry shallower than all
  // seen so far, up to the top.
  var depth = tree_depth(TREE_ENTRIES[at]);
  var holders = [];
  for (var i = at - 1; i >= 0 && depth > 0; --i) {
    var level = tree_depth(TREE_ENTRIES[i]);
    if (level < depth) { holders.push(i); depth = level; }
  }
  for (var h = holders.length - 1; h >= 0; --h)
    if (TREE_ENTRIES[holders[h]].classList.contains("shut")) tree_fold(holders[h], true);
  tree_current = TREE_ENTRIES[at];
  tree_current.classList.add("current");
  tree_current.querySelector("a").setAttribute("aria-current", "true");
  var box = TREE.getBoundingClientRect(), place = tree_current.getBoundingClientRect();
  if (place.top < box.top || place.bottom > box.bottom)
    TREE.scrollTop += place.top - box.top - box.height / 3;
}

// As a person scrolls, the entry of the object at the top of the window is
// the one marked. An object the address went to stays marked while any of
// it is on the screen: it may not reach the top (the page ends), and the
// objects around it settle their sizes as they are drawn.
var tree_follow_hold = null;  // the element the address went to
var tree_follow_queued = false;
function tree_follow() {
  tree_follow_queued = false;
  if (tree_follow_hold) {
    var place = tree_follow_hold.getBoundingClientRect();
    if (place.bottom > 0 && place.top < window.innerHeight) return;
    tree_follow_hold = null;
  }
  var main = document.querySelector("main");
  if (!main) return;
  var box = main.getBoundingClientRect();
  var under = document.elementFromPoint(box.left + 32, Math.max(box.top, 0) + 24);
  var holder = under && under.closest("main article.object[id], main section.folder[id]");
  if (holder && (!tree_current || tree_current.querySelector("a").getAttribute("href") !== "#" + holder.id))
    tree_mark(holder.id);
}
window.addEventListener("scroll", function () {
  if (tree_follow_queued) return;
  tree_follow_queued = true;
  requestAnimationFrame(tree_follow);
}, {passive: true});
