// The rows of a report's tables that a reader asks to see, and their order:
// what the tool's --where, --sort and --top do to the report it prints.
// The rows are rearranged in the report itself; what is dropped is released.
//
// Focus works on tables and timing tables, whose columns are named by their
// heading row (a table without one has no named column). A summary's rows
// are names and values, and a chart's points are its shape (a histogram's
// ranges, in order): both are left as they are.
//
// In each such table, in this order:
//   where  keeps the data rows that the condition's row filter selects and
//          that meet the condition (RDB_TABLE_CONDITION, rdb_rule.h); a row
//          whose value cannot be compared goes. A table that lacks the
//          condition's name, or its filter's column, is left as it is.
//   sort   orders the data rows by their cells in the named column (names
//          found as rdb_find_column finds them), stably: rows of equal
//          cells keep their order. A table without the column is left as
//          it is.
//   top    keeps the first N data rows: of each table that where or sort
//          worked on, or of every table when neither is asked for.
// The heading row stays first.
//
// How cells sort, ascending:
//   - a delay column whose delay cells are all shown in MHz (and that has
//     one) sorts by frequency, 1 000 000 / picoseconds MHz, so the slowest
//     clock comes first; any other delay by its picoseconds;
//   - an integer by its value; a text (or instance name) that reads as a
//     number (rdb_read_number: "1,842", "-0.5") as that number;
//   - numbers come before the other cells, which compare as the bytes of
//     their text as shown (rdb_cell_text; a delay of 0 or less has no
//     frequency and sorts so, as "0 ps");
//   - missing cells (a row too short for the column, a null cell) last.
// Descending turns the order of the numbers and of the texts around, not
// that of the three groups: missing cells stay last.
//
// Sorting costs O(n log n) comparisons for n data rows, with each row's key
// made once; where and top cost time linear in the rows.
#pragma once

#include <cstddef>
#include <string>

class RDB_CONDITION;
class RDB_FOLDER_OBJECT;
class RDB_PATH_SELECTION;
class RDB_TABLE_OBJECT;

struct RDB_FOCUS {
    const RDB_CONDITION* m_where = nullptr;  // none: every row; else a valid condition
    std::string m_sort;                      // the column to sort by; empty: no sorting
    bool m_descending = false;
    std::size_t m_top = 0;  // the data rows kept of each table; 0: all
};

struct RDB_FOCUS_OUTCOME {
    std::size_t m_where_tables = 0;  // tables that have the condition's name (and filter column)
    std::size_t m_sort_tables = 0;   // tables that have the sort column
    // A condition whose VALUE does not fit a table's column: the table's
    // path (rdb_object_path), ": ", and why. Then no table was changed.
    std::string m_error;
};

// Whether focus works on `table`: a table or timing table, not a summary
// or a chart.
bool rdb_focus_applies(const RDB_TABLE_OBJECT& table);

// Focuses the tables at or below `top` (those `selection`, made for that
// tree, keeps; all without one). Memory running out throws std::bad_alloc,
// with the tables before it already focused.
RDB_FOCUS_OUTCOME rdb_focus_tables(RDB_FOLDER_OBJECT& top, const RDB_FOCUS& focus,
                                   const RDB_PATH_SELECTION* selection = nullptr);
