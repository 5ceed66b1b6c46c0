#include "rdb_diff_cells.h"

#include <rdbxml/rdb_cells.h>
#include <rdbxml/rdb_table.h>

std::string rdb_diff_cell_text(const RDB_TABLE_ELEMENT* cell)
{
    if (cell == nullptr)
        return std::string();
    if (cell->get_cell_kind() == RDB_CELL_INAME)
        return std::string(static_cast<const RDB_TABLE_INAME_ELEMENT*>(cell)->get_path());
    return rdb_cell_text(*cell);
}

std::string rdb_diff_key_text(const RDB_TABLE_ELEMENT& cell)
{
    if (cell.get_cell_kind() == RDB_CELL_DELAY)
        return std::to_string(static_cast<const RDB_TABLE_DELAY_ELEMENT&>(cell).get_delay()) + " ps";
    return rdb_diff_cell_text(&cell);
}
