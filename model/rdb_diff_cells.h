// A cell as the report comparison reads it, shared by the comparison of
// rows and by the search for renamed objects, so that both call the same
// cells equal.
#pragma once

#include <string>

class RDB_TABLE_ELEMENT;

// A cell as the comparison shows it: as rdb_cell_text does, but an
// instance name as the path the file wrote, which is what is compared;
// empty for no cell.
std::string rdb_diff_cell_text(const RDB_TABLE_ELEMENT* cell);

// A cell as a row's key: its value, a delay in picoseconds whatever its unit.
std::string rdb_diff_key_text(const RDB_TABLE_ELEMENT& cell);
