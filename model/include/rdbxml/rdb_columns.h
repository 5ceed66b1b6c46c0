// The columns of a table as CSV files and data frames name them, and the
// numbers their delays are written as.
#pragma once

#include <string>
#include <vector>

#include <rdbxml/rdb_types.h>

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

// The same columns with every delay column in `unit` (RDB_DELAY_DISPLAY_PS,
// _NS or _MHZ; anything else is taken as ns), whatever its cells' display
// options: its m_delay_unit is `unit` and its title names it. So a table's
// column names and units are the same in every run, whichever unit its
// first delay happens to be shown in.
std::vector<RDB_TABLE_COLUMN> rdb_table_columns_in_unit(const RDB_TABLE_OBJECT& table,
                                                        RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM unit);

// A delay of `ps` picoseconds as a number in `unit`, the one conversion
// that every view of delays as numbers shares: ps as it is, ns ps / 1000,
// MHz the frequency of that period, 1 000 000 / ps. False, `number`
// unchanged, for MHz of a delay of 0 or less, which has no frequency. An
// option outside the enumeration is taken as ns.
bool rdb_delay_number(long ps, RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM unit, double& number);
