#include <rdbxml/rdb_columns.h>

#include <algorithm>

#include <rdbxml/rdb_chart.h>

namespace {

// The columns; a delay column in `fixed` when it is an option, else in the
// display option of its first delay.
std::vector<RDB_TABLE_COLUMN> columns_of(const RDB_TABLE_OBJECT& table, int fixed)
{
    std::size_t width = 1;
    for (const RDB_TABLE_ROW* row : table.rows())
        width = std::max(width, row->size());
    std::vector<RDB_TABLE_COLUMN> columns(width);

    if (const auto* chart = dynamic_cast<const RDB_CHART_TABLE_OBJECT*>(&table)) {
        columns[0].m_title = chart->get_x_axis().str();
        if (width > 1)
            columns[1].m_title = chart->get_y_axis().str();
    } else if (table.has_heading_row()) {
        const RDB_TABLE_ROW& heading = *table.get_row(0);
        for (std::size_t c = 0; c < heading.size(); ++c)
            columns[c].m_title = rdb_cell_text(*heading[c]);
    }
    for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows(); ++r) {
        const RDB_TABLE_ROW& row = *table.get_row(r);
        for (std::size_t c = 0; c < row.size(); ++c)
            if (columns[c].m_delay_unit < 0 && row[c] != nullptr && row[c]->get_cell_kind() == RDB_CELL_DELAY)
                columns[c].m_delay_unit =
                    fixed >= 0 ? fixed : static_cast<const RDB_TABLE_DELAY_ELEMENT*>(row[c])->get_display_option();
    }
    for (std::size_t c = 0; c < width; ++c) {
        RDB_TABLE_COLUMN& column = columns[c];
        if (column.m_title.empty())
            column.m_title = std::to_string(c + 1);
        if (column.m_delay_unit >= 0)
            column.m_title += std::string(" (") +
                              rdb_delay_unit(static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(column.m_delay_unit)) +
                              ")";
    }
    return columns;
}

}  // namespace

std::vector<RDB_TABLE_COLUMN> rdb_table_columns(const RDB_TABLE_OBJECT& table) { return columns_of(table, -1); }

std::vector<RDB_TABLE_COLUMN> rdb_table_columns_in_unit(const RDB_TABLE_OBJECT& table,
                                                        RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM unit)
{
    if (unit != RDB_DELAY_DISPLAY_PS && unit != RDB_DELAY_DISPLAY_MHZ)
        unit = RDB_DELAY_DISPLAY_NS;
    return columns_of(table, unit);
}

bool rdb_delay_number(long ps, RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM unit, double& number)
{
    switch (unit) {
    case RDB_DELAY_DISPLAY_MHZ:
        if (ps <= 0)
            return false;
        number = 1e6 / static_cast<double>(ps);
        return true;
    case RDB_DELAY_DISPLAY_PS:
        number = static_cast<double>(ps);
        return true;
    default:
        number = static_cast<double>(ps) / 1000.0;
        return true;
    }
}
