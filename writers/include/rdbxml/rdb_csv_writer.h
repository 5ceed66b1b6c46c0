// A table as CSV (RFC 4180): every field quoted, quotes doubled, lines
// ended by CRLF, so that spreadsheets, Python's csv module and pandas read
// back exactly the texts written.
//
// The first line names the columns: the table's heading row when it has
// one (a chart's blank one gives way to its axis labels), otherwise the
// column numbers from 1; a column without a title is named by its number.
// The data rows follow, each as wide as the widest row (short rows end in
// empty fields). Cells are written as rdb_cell_text shows them (instance
// names as paths), except delays: a column's unit is the display option of
// its first delay cell, every delay in it is written as a number in that
// unit, and its title carries the unit, as in "Slack (ns)". A delay that
// cannot be shown in the unit (MHz of a delay of 0 or less) is empty.
#pragma once

#include <iosfwd>

class RDB_GAUGES_OBJECT;
class RDB_TABLE_OBJECT;

// Writes `table`; the stream's state tells whether all of it was written.
void rdb_write_csv(const RDB_TABLE_OBJECT& table, std::ostream& out);

// Writes a summary's gauges as a table of their own, one line per gauge in
// the order of their slots under the titles "name", "value", "min", "max"
// and "percent": where the value stands in the range (rdb_gauge_percent)
// as a plain number, the shortest that reads back the same ("62.5"),
// empty when max equals min.
void rdb_write_csv_gauges(const RDB_GAUGES_OBJECT& gauges, std::ostream& out);
