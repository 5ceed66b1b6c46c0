// A report as an indented tree for a person at a terminal.
//
//   folder "main"
//     text "notes" [disabled]
//       header: Run notes
//       line one
//       line two
//     table "paths"
//       name  count  delay
//       ----  -----  --------
//       a        12  0.005 ns
//       bcd       7  2500 ps
//     chart "hist" (bar)
//       range  paths
//       -----  -----
//       0..10      3  ###
//       10..      40  ########################################
//     summary "health"
//       cpu  busy
//       gauges:
//         load  42%  (0 to 100)
//
// One line per folder and object: its kind, its name in quotes, what kind
// of chart or embedded object it is in parentheses, and [disabled] when
// disabled; its header under it and its footer after its contents, when
// set. Tables show their rows as aligned columns: numbers right-aligned,
// delays in their units, instance names as paths ("-" for a missing cell
// or an instance name with no path), and the heading row underlined. A
// chart shows one line per data point with a bar; a summary its rows, then
// its gauges. Texts are escaped for the terminal: control characters as
// \n, \t, \r or \xNN, and so are bytes that are not well-formed UTF-8;
// names are quoted, and quotes and backslashes in them escaped.
// Indentation stops growing at 32 levels; deeper lines start with their
// level as "(level N)".
//
// With RDB_TEXT_WITH_SETTINGS, the tree also shows the fields a reader of
// the file format needs rather than a reader of the report: a first line
// about the report's current folder, each object's creator module, and a
// "settings:" line per table (object type, the last cmp/flp flag, the row
// count, and each kind's own: timing analysis type and column map, chart
// size and labels flag), the gauges object's name and size and each
// gauge's slot.
//
// Folders are walked with an explicit stack, not by recursion.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

class RDB_REPORT;

enum RDB_TEXT_DETAIL : int {
    RDB_TEXT_FOR_PEOPLE,
    RDB_TEXT_WITH_SETTINGS,
};

// Writes the tree for people (a null report writes "no report").
void rdb_write_text(const RDB_REPORT* report, std::ostream& out);
// Writes the tree with the detail asked for.
void rdb_write_text(const RDB_REPORT* report, std::ostream& out, RDB_TEXT_DETAIL detail);

// `text` as the tree escapes it for a terminal (control characters, DEL and
// ill-formed UTF-8 bytes as \n, \t, \r or \xNN): for any report text a
// program prints to a terminal beside the tree, such as a diagnostic that
// quotes a name.
std::string rdb_text_escaped(std::string_view text);
