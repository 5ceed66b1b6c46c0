// The changes between two reports (rdb_diff.h) as people and programs read
// them: text like a unified diff, one JSON object per line, or a web page.
//
// Text: "--- OLD" and "+++ NEW" lines before the first change, then the
// changes of each object under a heading line with its path, its kind and,
// for an object both reports have, how its rows were paired:
//
//   --- run1.xml
//   +++ run2.xml
//   @@ main/timing/Clocks (table, rows keyed by Clock) @@
//   ~ header: "Clock summary" -> "Clocks"
//   ~ row "clk_core", column "Period (ps)": 2500 -> 2600 (+100)
//   - row "clk_mem": clk_mem | 5000 | mem/pll
//   @@ main/timing/Setup slack (slack table, rows by content) @@
//   ~ row 1, column "Slack": -120 ps -> -95 ps (+25 ps)
//   ~ row 1, column "Slack", foreground: #ff0000 -> #008000
//   @@ main/notes/Old notes (text) @@
//   - removed
//
// "+" is what only the new report has, "-" what only the old one has, "~"
// a change: old -> new, with the difference of numbers. Rows are named by
// their key when paired by key and by their place among the data rows
// otherwise; columns by their title in the heading row, else by number
// (both from 1). Texts are quoted and escaped for the terminal as the
// report tree escapes them (rdb_text_writer.h).
//
// With colour, the file lines are bold and the headings cyan, a "+" line
// green and a "-" line red, and on a "~" line the old value red and the new
// one green: terminal escapes around the same text, which stays escaped.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include <rdbxml/rdb_diff.h>

class RDB_DIFF_TEXT_WRITER {
public:
    // `old_name` and `new_name` are the reports' names for the file lines.
    RDB_DIFF_TEXT_WRITER(std::ostream& out, std::string old_name, std::string new_name, bool colour = false);
    // Writes one change: its object's heading first when it is another
    // object than the last change's.
    void write(const RDB_DIFF_CHANGE& change);

private:
    std::ostream& m_out;
    std::string m_old_name;
    std::string m_new_name;
    bool m_colour;
    std::string m_heading;  // the last heading written; empty before the first
    std::string m_line;
};

// The changes summed up per object, as `diff --stat` does: one line per
// object with changes, its path and kind, then how many changes it has,
// of them changed (~), added (+) and removed (-), or that it was added or
// removed as a whole, and the name it was renamed from; the "|" lined up:
//
//    main/f/gone (text)         | removed
//    main/cells (table)         | 6 ~4 +1 -1
//    main/timing/Clocks (table) | 2 ~2, renamed from "Clock summary"
//   3 objects changed: 0 added, 1 removed, 1 renamed, 8 changes (2 style-only not listed)
//
// Nothing at all for no change. It holds one line per changed object, none
// per change.
class RDB_DIFF_STAT_WRITER {
public:
    void add(const RDB_DIFF_CHANGE& change);
    // Writes the lines; `style_only` is the count of the changes not listed.
    void finish(std::ostream& out, std::size_t style_only) const;

private:
    struct OBJECT {
        std::string m_name;  // "path (kind)", escaped
        std::string m_path;  // as the changes give it, to tell the next object
        const char* m_kind = "";
        std::size_t m_changed = 0;
        std::size_t m_added = 0;
        std::size_t m_removed = 0;
        char m_whole = 0;           // '+' added, '-' removed as a whole
        std::string m_renamed_from;  // quoted; empty when not renamed
    };
    std::vector<OBJECT> m_objects;
};

// One change as one line of JSON:
//   {"kind": rdb_diff_kind_name, "path", "object_kind", "match": "key" |
//    "content" | "replaced" | "position" | null, "key_columns" (a table's,
//    when by key), then as the kind has them: "index" (from 1), "key"
//    (null for rows not paired by key), "column" (from 0), "column_title"
//    (null without), "field", "old_type", "new_type"; and always "old",
//    "new" (null for a side without a value), then "difference" and "unit"
//    ("ps" for delays) for numbers}
// Strings are repaired to UTF-8 as rdb_json_writer.h does.
void rdb_write_diff_json(const RDB_DIFF_CHANGE& change, std::ostream& out);

// The changes as one self-contained page, the frame and escaping of the
// report page (rdb_html_writer.h): per object a block with the heading and
// its changes as a table, added, removed and changed rows each in their
// colour; the page says when there is no change.
void rdb_write_diff_html(const std::vector<RDB_DIFF_CHANGE>& changes, std::ostream& out,
                         const std::string& old_name, const std::string& new_name);
