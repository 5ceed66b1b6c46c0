// The figures of one report that an index of many runs keeps, and that
// Python's `rdbxml.metrics` gives: plain records, each naming its object by
// its path (rdb_path.h), in the order a walk of the report meets them.
//
// What is recorded:
//   - objects: every table, timing table, summary and chart with its size
//     in data rows, and every summary's gauges with their number (kind
//     "gauges", the summary's path); a chart's size is its points;
//   - gauges: each gauge of a summary, with its percent (rdb_gauge_percent);
//   - summary rows: each data row of a summary, its first cell the label and
//     its second the text as the report shows it, with the number the text
//     reads as (rdb_read_number; "87 %" reads as 87);
//   - points: each data point of a chart;
//   - headings: each column of each table (a timing table, a chart; not a
//     summary) with its heading row's text, so that a row can be found by
//     the text of a named column;
//   - column statistics: each column of a table (a timing table, a chart)
//     with at least one integer or delay cell among its data rows: how many
//     such cells, their least, greatest and sum, how many are below zero;
//     delays count in picoseconds, whatever unit they are shown in;
//   - table rows: the cells of every data row of every speed timing table,
//     and of the worst row of every slack timing table (the least value in
//     its slack column, the first such row on a tie; a table whose slack
//     column holds no delay or integer has none);
//   - cells: the cells of every data row of every table, when asked for.
//
// Where a question has more than one answer:
//   - a column holding delays has the figures of its delays alone (an
//     integer among them is left out: picoseconds and counts do not add
//     up); a column without delays has those of its integers;
//   - a slack table's slack column is the one its "slack" column id names,
//     counting columns from 0 as the files do (id 0 is the first column);
//     without that id, the column headed "Slack" (any case, blanks around
//     ignored); with neither, the table has no worst row;
//   - cells are those of tables, timing tables and charts: a summary's
//     rows are its summary rows;
//   - a summary and its gauges object are two objects, listed or left out
//     together.
//
// A path longer than RDB_METRICS_PATH_LIMIT bytes (only in folder chains
// thousands deep, where all paths together grow with the square of the
// depth) is not written out: its object's records are left out and
// counted in m_unlisted, so that memory stays linear in the report.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class RDB_FOLDER_OBJECT;

constexpr std::size_t RDB_METRICS_PATH_LIMIT = 4096;

struct RDB_METRIC_OBJECT {
    std::string m_path;
    std::string m_kind;  // RDB_OBJECT::get_kind(): "table", "tan_spd_table", "tan_slack_table", "summary", "chart", "gauges"
    std::string m_name;  // the object's own name
    std::size_t m_size = 0;  // data rows, points or gauges
};

struct RDB_METRIC_GAUGE {
    std::string m_path;  // the summary's
    std::string m_name;
    long m_value = 0;
    long m_min = 0;
    long m_max = 0;
    bool m_has_percent = false;  // false when max equals min
    double m_percent = 0;
};

struct RDB_METRIC_SUMMARY_ROW {
    std::string m_path;
    std::string m_label;  // the first cell, as shown
    std::string m_text;   // the second cell, as shown ("" when the row has none)
    bool m_has_number = false;
    double m_number = 0;
};

struct RDB_METRIC_POINT {
    std::string m_path;
    std::string m_label;
    long m_value = 0;
};

struct RDB_METRIC_HEADING {
    std::string m_path;
    unsigned m_column = 0;  // from 1
    std::string m_heading;  // the heading row's text ("" without one)
};

struct RDB_METRIC_COLUMN {
    std::string m_path;
    unsigned m_column = 0;   // from 1
    std::string m_heading;   // the heading row's text ("" without one)
    bool m_delays = false;   // the column holds delays: the figures are picoseconds
    std::size_t m_count = 0; // integer and delay cells among the data rows
    double m_min = 0;
    double m_max = 0;
    double m_sum = 0;
    std::size_t m_negatives = 0;
};

// One cell of a data row.
struct RDB_METRIC_CELL {
    std::string m_path;
    unsigned m_row = 0;     // the data row, from 1
    unsigned m_column = 0;  // from 1
    std::string m_kind;     // RDB_TABLE_ELEMENT::get_type(): "string", "int", "delay" or "iname"
    std::string m_text;     // as the report shows it (rdb_cell_text)
    bool m_has_number = false;  // an integer, or a delay in picoseconds
    double m_number = 0;
};

struct RDB_METRICS {
    std::vector<RDB_METRIC_OBJECT> m_objects;
    std::vector<RDB_METRIC_GAUGE> m_gauges;
    std::vector<RDB_METRIC_SUMMARY_ROW> m_summary_rows;
    std::vector<RDB_METRIC_POINT> m_points;
    std::vector<RDB_METRIC_HEADING> m_headings;
    std::vector<RDB_METRIC_COLUMN> m_columns;
    std::vector<RDB_METRIC_CELL> m_table_rows;
    std::vector<RDB_METRIC_CELL> m_cells;  // only with `cells`
    std::size_t m_unlisted = 0;  // objects left out for the length of their path
};

// The figures of the report below `top` (its main folder, or any folder).
// Time and memory linear in the report; throws std::bad_alloc when memory
// runs out.
RDB_METRICS rdb_report_metrics(const RDB_FOLDER_OBJECT& top, bool cells = false);
