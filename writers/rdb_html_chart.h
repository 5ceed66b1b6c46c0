// Charts as inline SVG, drawn by their chart type: bar, line, pie, scatter
// or histogram, with axis labels and, when the chart's label switch is on,
// a label with each data point's value.
//
// The data points are the chart's (RDB_CHART_TABLE_OBJECT::get_points); at
// most RDB_HTML_CHART_MAX_POINTS of them are drawn (a note says when more
// exist). The writer lists every point in the chart's data table as well.
#pragma once

#include <vector>

#include <rdbxml/rdb_chart.h>

class RDB_HTML_OUTPUT;

constexpr unsigned RDB_HTML_CHART_MAX_POINTS = 2000;

// Draws `points`, the chart's data points.
void rdb_html_write_chart(RDB_HTML_OUTPUT& out, const RDB_CHART_TABLE_OBJECT& chart,
                          const std::vector<RDB_CHART_POINT>& points);
