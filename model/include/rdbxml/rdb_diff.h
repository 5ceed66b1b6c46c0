// What changed between two reports, as a list of change records: the
// comparison the tool's `diff` command prints, for hosts and bindings too.
//
// Objects are paired by their path (rdb_path.h); an object only one report
// has is added or removed as a whole. An object removed and an object of
// the same kind added in the same folder, where at least 90 % of their rows
// (points, gauges) are equal, are one renamed object instead, paired one to
// one: a RDB_DIFF_OBJECT_RENAMED record, then the changes inside them. A
// pair of another kind is a kind change. Of a pair of one kind, the fields
// every object has (creator, enabled flag, header, footer) and its kind's
// own are compared:
//   text, legal      the body text, whole;
//   embedded         the info text and the embedded type;
//   waveform         the same, the two vector file names and the compare flag;
//   table, speed table, slack table, summary
//                    the heading row as the column titles, by position;
//                    the data rows paired (RDB_DIFF_MATCH) by the key
//                    columns an RDB_DIFF_KEY gives the table, else by a
//                    slack table's endpoint columns (from, to and the clocks
//                    there are, as its column map says), else by the
//                    leftmost column, when that key is unique in both
//                    reports; else aligned by their content as diff(1)
//                    aligns lines, the rows of a run of removed and added
//                    rows paired in order; then their cells column by column;
//   chart            type and axis labels; its data points paired by label
//                    (aligned by content when labels repeat);
//   gauges           the gauges paired by name (aligned by content when
//                    names repeat): value, min, max, percent and disabled flags.
// Cells compare by value: text, integer, delay in picoseconds whatever its
// unit, instance name as the path the file wrote
// (RDB_TABLE_INAME_ELEMENT::get_path). A cell's kind is a change of its own.
// Style-only changes, a cell's colours and a delay of the same picoseconds
// shown in another unit, are counted (RDB_DIFF_TOTALS) but handed on only
// when the options ask for them.
//
// Changes come in document order: per object (the new report's order, a
// removed object where it stood in the old one), its own fields, then its
// titles, then its rows in the same merged order.
//
// Memory and time: the comparison holds each step of both reports' paths
// once (not a path per object, which for a deep folder chain would be the
// sum of all its depths) and, for the one table it compares at a time, its
// rows' keys; aligning rows by content costs time linear in the rows plus
// the differing rows squared up to a cap (RDB_DIFF_OPTIONS::m_alignment_cap),
// past which the rest of the table is replaced. Changes are handed on one
// by one, never gathered, unless asked for as a list.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <rdbxml/rdb_path.h>

class RDB_FOLDER_OBJECT;

// Kinds are only ever added at the end, before RDB_DIFF_KIND_COUNT.
enum RDB_DIFF_KIND : int {
    RDB_DIFF_OBJECT_ADDED,    // only the new report has the object
    RDB_DIFF_OBJECT_REMOVED,  // only the old one has it
    RDB_DIFF_OBJECT_KIND,     // old and new: the kinds (RDB_OBJECT::get_kind)
    RDB_DIFF_OBJECT_FIELD,    // m_field: "creator", "enabled", "header", "footer", "text", "info",
                              // "embedded_type", "source_vector", "result_vector", "compare",
                              // "chart_type", "x_axis", "y_axis"
    RDB_DIFF_COLUMN_TITLE,    // a title of the heading row changed, came or went
    RDB_DIFF_ROW_ADDED,       // new: the row's cells as text, joined by " | "
    RDB_DIFF_ROW_REMOVED,     // old: the same
    RDB_DIFF_CELL_VALUE,      // cells of one kind, other values
    RDB_DIFF_CELL_UNIT,       // delays of the same picoseconds shown in another unit
    RDB_DIFF_CELL_KIND,       // cells of other kinds (m_old_type, m_new_type)
    RDB_DIFF_CELL_COLOUR,     // m_field: "foreground" or "background"; "#rrggbb", none when unset
    RDB_DIFF_CELL_ADDED,      // the new row has a cell where the old one had none
    RDB_DIFF_CELL_REMOVED,    // and the other way round
    RDB_DIFF_GAUGE_ADDED,     // new: "value (min to max)"
    RDB_DIFF_GAUGE_REMOVED,
    RDB_DIFF_GAUGE_FIELD,     // m_field: "value", "min", "max", "percent" or "disabled"
    RDB_DIFF_POINT_ADDED,     // new: the point's value
    RDB_DIFF_POINT_REMOVED,
    RDB_DIFF_POINT_VALUE,
    RDB_DIFF_OBJECT_RENAMED,  // old and new: the object's last path step in each report; the
                              // record's path is the new one, and the changes inside follow
    RDB_DIFF_KIND_COUNT
};

// "object_added", "cell_value", ...: the lower-case name of a kind.
const char* rdb_diff_kind_name(RDB_DIFF_KIND kind);

// Whether a change is of style only: a cell's colour, a delay's unit.
bool rdb_diff_is_style(RDB_DIFF_KIND kind);

// How the rows (points, gauges) of a pair of objects were paired.
enum RDB_DIFF_MATCH : int {
    RDB_DIFF_MATCH_NONE,         // the object has none, or only one report has it
    RDB_DIFF_MATCH_BY_KEY,       // by key columns (m_key_columns), the label or the name
    RDB_DIFF_MATCH_BY_POSITION,  // in order, the first with the first (no longer chosen for
                                 // tables, charts or gauges; kept for hosts that name it)
    RDB_DIFF_MATCH_BY_CONTENT,   // aligned by their content, as diff(1) aligns lines
    RDB_DIFF_MATCH_REPLACED,     // aligned by content up to the cap, the rest replaced
};

struct RDB_DIFF_CHANGE {
    RDB_DIFF_KIND m_kind = RDB_DIFF_OBJECT_ADDED;
    std::string m_path;                  // the object's path: the new report's, else the old one's
    const char* m_object_kind = "";      // its RDB_OBJECT::get_kind(), the new one's when both
    RDB_DIFF_MATCH m_match = RDB_DIFF_MATCH_NONE;  // for every change of an object both reports have
    // Tables paired by key: the key columns, each by its title in the
    // heading row (else "column N", from 1), joined by ", ".
    std::string m_key_columns;

    // Rows, cells, gauges and points: the row's key (its key cells as text,
    // a delay in picoseconds, joined by " | "; empty unless paired by key),
    // the gauge's name, the point's label; and the 1-based position
    // among the data rows (gauges, points) of the new report, of the old one
    // for what was removed.
    std::string m_key;
    std::size_t m_index = 0;
    // Column titles and cells: the 0-based column, -1 for none; its title
    // in the heading row (the new one's, else the old one's), empty when
    // neither table has one there.
    int m_column = -1;
    std::string m_column_title;
    // Which field, for the kinds that name one (see above); else empty.
    const char* m_field = "";
    // Cells: their kinds ("string", "int", "delay", "iname"), null for none.
    const char* m_old_type = nullptr;
    const char* m_new_type = nullptr;

    // The values before and after as people read them (a delay in its
    // unit, an instance name as written, a flag as "true"/"false"); a side
    // without a value (added, removed, unset) has m_has_* false.
    bool m_has_old = false;
    bool m_has_new = false;
    std::string m_old;
    std::string m_new;
    // New minus old, for integers, delays (in picoseconds), gauges' numbers
    // and points.
    bool m_has_difference = false;
    long long m_difference = 0;
    bool m_difference_in_ps = false;
};

// The key columns of the tables a pattern selects: `--key 'PATH : COLUMN,
// COLUMN'` of the tool. A column is named by its title in the heading row,
// else by its number from 1 ("3").
struct RDB_DIFF_KEY {
    RDB_PATH_PATTERN m_pattern{""};
    std::vector<std::string> m_columns;
};

// Reads "PATH : COLUMN[, COLUMN...]" into `key`: PATH is split off at the
// first " : " as a rule's is (rdb_rule.h); the columns are separated by
// commas, lose their surrounding blanks, and a backslash in them stands for
// the character after it ("a\, b" is the one column "a, b"). False, with
// why in `error`, for a text that is not such a key.
bool rdb_diff_read_key(std::string_view text, RDB_DIFF_KEY& key, std::string& error);

struct RDB_DIFF_OPTIONS {
    // Hand on the style-only changes too (rdb_diff_is_style); they are
    // counted either way.
    bool m_styles = false;
    // No RDB_DIFF_CELL_COLOUR changes, not even with m_styles.
    bool m_ignore_colours = false;
    // Key columns for the tables they select; the first key whose pattern
    // selects a table is its key.
    std::vector<RDB_DIFF_KEY> m_keys;
    // Aligning one table's rows by content gives up past this many
    // differing rows and replaces the rest (RDB_DIFF_MATCH_REPLACED).
    std::size_t m_alignment_cap = 10000;
    // When not empty, only what these patterns select (RDB_PATH_SELECTION)
    // in either report is compared, by its path in the whole report.
    std::vector<RDB_PATH_PATTERN> m_select;
};

typedef std::function<void(const RDB_DIFF_CHANGE& change)> RDB_DIFF_SINK;

// What one comparison found, beside what it handed on.
struct RDB_DIFF_TOTALS {
    std::size_t m_listed = 0;       // handed on to the sink
    std::size_t m_style_only = 0;   // style-only changes not handed on
    std::size_t m_by_kind[RDB_DIFF_KIND_COUNT] = {};  // every change found, listed or not
    // Per RDB_DIFF_OPTIONS::m_keys entry: how many tables of both reports
    // it keyed; and the first table (its path) it could not key, with why
    // ("has no column \"Net\"", "the key repeats in the old report"),
    // empty when none. A table not keyed by its RDB_DIFF_KEY is aligned by
    // content.
    struct KEY_USE {
        std::size_t m_tables = 0;
        std::string m_unusable_path;
        std::string m_unusable_reason;
    };
    std::vector<KEY_USE> m_keys;
};

// Compares the reports below `old_top` and `new_top` (their main folders;
// null for a report without one) and hands each change to `sink` as it is
// found. Returns the number of changes handed on; 0 when the reports are
// the same but for what the options leave out.
std::size_t rdb_diff_reports(const RDB_FOLDER_OBJECT* old_top, const RDB_FOLDER_OBJECT* new_top,
                             const RDB_DIFF_OPTIONS& options, const RDB_DIFF_SINK& sink);
// The same, with what was found counted in `totals`.
std::size_t rdb_diff_reports(const RDB_FOLDER_OBJECT* old_top, const RDB_FOLDER_OBJECT* new_top,
                             const RDB_DIFF_OPTIONS& options, const RDB_DIFF_SINK& sink, RDB_DIFF_TOTALS& totals);
// The same, as a list.
std::vector<RDB_DIFF_CHANGE> rdb_diff_reports(const RDB_FOLDER_OBJECT* old_top, const RDB_FOLDER_OBJECT* new_top,
                                              const RDB_DIFF_OPTIONS& options = RDB_DIFF_OPTIONS());
