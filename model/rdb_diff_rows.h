// How the report comparison pairs the data rows of two tables: by key
// columns (an RDB_DIFF_KEY of the options, a slack table's endpoints, the
// leftmost column unique in both), else aligned by their content.
#pragma once

#include <cstddef>
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
// A row's cells by value, as one text: the kind of each, then its value
// (a delay in picoseconds, an instance name as written), '\0' after each;
// no colours, no units. Cells missing at its end do not count. Rows of
// equal contents are the same row to the alignment and to the search for
// renamed tables.
std::string rdb_diff_row_content(const RDB_TABLE_ROW& row);
// The key of the row at `index` of `side` as people read it: its key cells
// joined by " | ", a delay in picoseconds.
std::string rdb_diff_row_key(const RDB_DIFF_ROWS& side, std::size_t index);

// Pairs the rows of two tables, sets the emitter's match (and key columns)
// and counts the use of the options' key in its totals.
void rdb_diff_pair_rows(RDB_DIFF_EMITTER& emitter, RDB_DIFF_ROWS& old_rows, RDB_DIFF_ROWS& new_rows,
                        std::vector<RDB_DIFF_PAIR>& pairs);
