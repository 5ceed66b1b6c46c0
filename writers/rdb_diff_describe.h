// The parts of a change as the text and the page of a diff show them, so
// that both say it in the same words.
#pragma once

#include <string>

#include <rdbxml/rdb_diff.h>

// '+' for what only the new report has, '-' for what only the old one has,
// '~' for a change.
char rdb_diff_sign(const RDB_DIFF_CHANGE& change);
// The object's path and kind: "main/timing/Clocks (table)".
std::string rdb_diff_object(const RDB_DIFF_CHANGE& change);
// The object's heading: "main/timing/Clocks (table, rows keyed by Clock)".
std::string rdb_diff_heading(const RDB_DIFF_CHANGE& change);
// What changed: "header", "row \"clk_core\", column \"Period (ps)\"",
// "gauge \"Pins\", value", "added".
std::string rdb_diff_subject(const RDB_DIFF_CHANGE& change);
// A side's value ("(none)" without one), quoted where it is text; empty for
// an object added or removed.
std::string rdb_diff_value(const RDB_DIFF_CHANGE& change, bool new_side);
// The difference of numbers: "+100", "-25 ps"; empty when there is none.
std::string rdb_diff_difference(const RDB_DIFF_CHANGE& change);
// What goes around each value of a line: terminal colours, none by default.
struct RDB_DIFF_MARKS {
    const char* m_old_on = "";
    const char* m_new_on = "";
    const char* m_off = "";
};
// The whole change on one line, without its sign: the subject, then the
// values ("old -> new", or the one there is), each inside its marks, and
// the difference.
std::string rdb_diff_line(const RDB_DIFF_CHANGE& change, const RDB_DIFF_MARKS& marks = RDB_DIFF_MARKS());
