#include <rdbxml/rdb_columns.h>

#include <algorithm>

#include <rdbxml/rdb_chart.h>

std::vector<RDB_TABLE_COLUMN> rdb_table_columns(const RDB_TABLE_OBJECT& table)
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
                columns[c].m_delay_unit = static_cast<const RDB_TABLE_DELAY_ELEMENT*>(row[c])->get_display_option();
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
