// Table rows as HTML: every table, summary and chart data set is written
// through here, so a cell looks the same wherever it stands.
//
// A table's heading row is its <thead>; the counts and pages are of its
// data rows. A table of at most RDB_HTML_PAGE_ROWS data rows is plain
// markup. A longer one has its first page as markup (what a reader without
// script sees) and all its data rows in a JSON data block beside it; the
// page's script turns that into pages, so a table of any length costs the
// browser one page of rows.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <rdbxml/rdb_chart.h>

class RDB_HTML_OUTPUT;

constexpr unsigned RDB_HTML_PAGE_ROWS = 100;

// Writes the rows of `table` as <table class="cells `css_class`">.
// `id` names the table in the page (the data block is `id`-data).
void rdb_html_write_rows(RDB_HTML_OUTPUT& out, const RDB_TABLE_OBJECT& table, const std::string& id,
                         const char* css_class);
// Writes a chart's data points (RDB_CHART_TABLE_OBJECT::get_points) the
// same way: one row of label and value per point, in order.
void rdb_html_write_points(RDB_HTML_OUTPUT& out, const std::vector<RDB_CHART_POINT>& points, const std::string& id,
                           const char* css_class);

// A cell of rows that are not a report's table (a diff's changes, a trend's
// values): its text (any bytes; repaired to UTF-8 as it is written),
// whether it is a number, and classes of the writer's own style sheet,
// which the page's script keeps on every page of a long table.
struct RDB_HTML_CELL {
    std::string m_text;
    bool m_numeric = false;
    std::string m_class;
};
// Fills `cells` (emptied before each call) with the cells of row `row`.
typedef std::function<void(std::size_t row, std::vector<RDB_HTML_CELL>& cells)> RDB_HTML_ROW_SOURCE;
// Writes `rows` rows from `source` under a heading row of `titles`, as a
// report's table is written: the same markup, pages and data block.
void rdb_html_write_cell_rows(RDB_HTML_OUTPUT& out, const std::vector<std::string>& titles, std::size_t rows,
                              const RDB_HTML_ROW_SOURCE& source, const std::string& id, const char* css_class);
