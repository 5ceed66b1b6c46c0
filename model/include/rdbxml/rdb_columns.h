// The columns of a table as CSV files and data frames name them.
#pragma once

#include <string>
#include <vector>

class RDB_TABLE_OBJECT;

struct RDB_TABLE_COLUMN {
    // The heading row's text (a chart's axis label), else the column's
    // number from 1; with " (unit)" after it for a delay column.
    std::string m_title;
    // A delay column's unit, the display option of its first delay cell
    // among the data rows (an RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM);
    // -1 for a column without delays.
    int m_delay_unit = -1;
};

// One entry per column of the widest row (at least one).
std::vector<RDB_TABLE_COLUMN> rdb_table_columns(const RDB_TABLE_OBJECT& table);
