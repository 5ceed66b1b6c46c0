// How the report comparison pairs the data rows of two tables: by key
// columns (an RDB_DIFF_KEY of the options, a slack table's endpoints, the
// leftmost column unique in both), else aligned by their content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <rdbxml/rdb_table.h>
#include "rdb_diff_pairs.h"

class RDB_DIFF_EMITTER;

// A table's data rows and heading titles, and its key columns once paired.
struct RDB_DIFF_ROWS {
    explicit RDB_DIFF_ROWS(const RDB_TABLE_OBJECT& table);

    const RDB_TABLE_OBJECT& m_table;
    std::vector<const RDB_TABLE_ROW*> m_rows;
    std::vector<std::string> m_titles;
    std::vector<std::size_t> m_key_columns;  // 0-based; empty unless paired by key
};

// A cell as the comparison shows it: as rdb_cell_text does, but an
// instance name as the path the file wrote, which is what is compared.
std::string rdb_diff_cell_text(const RDB_TABLE_ELEMENT* cell);
// The cell of `row` in `column`, null for none.
inline const RDB_TABLE_ELEMENT* rdb_diff_cell_at(const RDB_TABLE_ROW& row, std::size_t column)
{
    return column < row.size() ? row[column] : nullptr;
}
// Whether two cells (either may be null) hold the same value: of one
// kind, the same text, integer, picoseconds of a delay whatever its unit,
// or path of an instance name as written; colours aside.
bool rdb_diff_same_value(const RDB_TABLE_ELEMENT* a, const RDB_TABLE_ELEMENT* b);
// Whether two rows hold the same values, cell by cell; cells missing at
// the end of a row do not count. Rows so equal are the same row to the
// alignment and to the search for renamed tables.
bool rdb_diff_same_row(const RDB_TABLE_ROW& a, const RDB_TABLE_ROW& b);
// A hash of a row's values: equal for rows rdb_diff_same_row calls equal.
std::uint64_t rdb_diff_row_hash(const RDB_TABLE_ROW& row);
// The key of the row at `index` of `side` as people read it: its key cells
// joined by " | ", a delay in picoseconds.
std::string rdb_diff_row_key(const RDB_DIFF_ROWS& side, std::size_t index);

// Pairs the rows of two tables, sets the emitter's match (and key columns)
// and counts the use of the options' key in its totals.
void rdb_diff_pair_rows(RDB_DIFF_EMITTER& emitter, RDB_DIFF_ROWS& old_rows, RDB_DIFF_ROWS& new_rows,
                        std::vector<RDB_DIFF_PAIR>& pairs);
