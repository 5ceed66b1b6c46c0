#include <rdbxml/rdb_csv_writer.h>

#include <ostream>
#include <string>
#include <vector>

#include <rdbxml/rdb_columns.h>
#include <rdbxml/rdb_table.h>
#include "rdb_csv_line.h"

void rdb_write_csv(const RDB_TABLE_OBJECT& table, std::ostream& out)
{
    std::vector<RDB_TABLE_COLUMN> columns = rdb_table_columns(table);
    RDB_CSV_LINE line(out);
    for (const RDB_TABLE_COLUMN& column : columns)
        line.field(column.m_title);
    line.end();

    std::string text;
    for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows(); ++r) {
        const RDB_TABLE_ROW& row = *table.get_row(r);
        for (std::size_t c = 0; c < columns.size(); ++c) {
            text.clear();
            const RDB_TABLE_ELEMENT* cell = c < row.size() ? row[c] : nullptr;
            int unit = columns[c].m_delay_unit;
            if (cell != nullptr && unit >= 0 && cell->get_cell_kind() == RDB_CELL_DELAY)
                rdb_format_delay_in_unit(static_cast<const RDB_TABLE_DELAY_ELEMENT*>(cell)->get_delay(),
                                         static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(unit), text);
            else if (cell != nullptr)
                rdb_append_cell_text(text, *cell);
            line.field(text);
        }
        line.end();
    }
}
