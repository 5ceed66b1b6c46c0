// A report as an indented tree for a person at a terminal.
//
//   report, current folder "main"
//   folder "main"
//     text "notes" creator "flow" [disabled]
//       header: " head "
//       text: "line one\nline two"
//     table "paths"
//       object type 4, last cmp/flp location available: no, 2 rows
//       a    12  0.005 ns
//       bcd   7  -
//
// One line per folder and object: its kind, its name, the creator when not
// empty and [disabled] when disabled; header and footer on lines of their
// own when set, then the kind's settings on one line. Table rows follow as
// aligned columns (numbers right-aligned, "-" for an empty cell or a missing
// instance; delays as rdb_format_delay shows them). Gauges and chart data
// take one line each. Quoted texts escape
// quotes, backslashes and control characters C-style; bytes that are not
// well-formed UTF-8 appear as \xNN. Indentation stops growing at 32 levels;
// deeper lines start with their level as "(level N)".
//
// Folders are walked with an explicit stack, not by recursion.
#pragma once

#include <iosfwd>

class RDB_REPORT;

// Writes the tree (a null report writes "no report").
void rdb_write_text(const RDB_REPORT* report, std::ostream& out);
