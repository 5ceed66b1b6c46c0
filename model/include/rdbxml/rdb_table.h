// RDB_TABLE_OBJECT: a report object holding rows of cells.
#pragma once

#include <vector>

#include <rdbxml/gen_pointer_range.h>
#include <rdbxml/rdb_cells.h>
#include <rdbxml/rdb_object.h>
#include <rdbxml/rdb_types.h>
#include <rdbxml/stl_vector.h>

// A row: the cells in column order. The table that holds the row owns it
// and its cells.
typedef STL_VECTOR_OF_PTRS_<RDB_TABLE_ELEMENT*> RDB_TABLE_ROW;

// The end of add_string_row's list of texts: a pointer no text has.
extern const char* const RDB_ROW_END;

class RDB_TABLE_OBJECT : public RDB_OBJECT {
    RDB_MEMORY_MANAGED

    RDB_TABLE_OBJECT(const STL_STRING& name, RDB_OBJECT_TYPE type);
    // Releases every row and every cell in it.
    ~RDB_TABLE_OBJECT() override;

    RDB_OBJECT_TYPE get_object_type() const { return m_type; }

    void set_last_cmp_flp_location_available(bool available) { m_last_cmp_flp_location_available = available; }
    bool get_last_cmp_flp_location_available() const { return m_last_cmp_flp_location_available; }

    unsigned get_number_of_rows() const { return static_cast<unsigned>(m_rows.size()); }

    // Appends one row of string cells holding copies of the texts, from
    // `first` up to (not including) RDB_ROW_END; a null text gives an empty
    // cell. True: the row is appended. False: memory ran out on the way;
    // nothing is appended and what was made for the row is released.
    bool add_string_row(const char* first, ...);

    // Appends `row` itself (no copy). True: the table owns the row from now
    // on, with every cell in it, also the cells pushed into it later. The row
    // is released with mem_delete and the tag "RDB_XML" (so it must come from
    // MEM_NEW, mem_new or new), its cells with delete. A row, and a cell,
    // must be given only once.
    // False, a refusal: null, or no memory left for the table's entry.
    // Nothing changed; the row is neither kept nor released and stays the
    // caller's, who may go on holding it and must release it.
    bool add_row(RDB_TABLE_ROW* row);

    // Null when `index` is out of range.
    RDB_TABLE_ROW* get_row(unsigned index) { return index < m_rows.size() ? m_rows[index] : nullptr; }
    const RDB_TABLE_ROW* get_row(unsigned index) const { return index < m_rows.size() ? m_rows[index] : nullptr; }

    // Keeps the heading row, when there is one, and after it the data rows
    // whose indexes `order` lists, in that order; releases every other data
    // row (rdb_release_row). What --where, --sort and --top leave of a table.
    // False, nothing changed, when an index is out of range, is the heading
    // row's or comes twice, or when no memory is left for the new order.
    bool keep_data_rows(const std::vector<unsigned>& order);

    // The rows in order: `for (const RDB_TABLE_ROW* row : table.rows())`, and
    // in each row its cells: `for (const RDB_TABLE_ELEMENT* cell : *row)`.
    GEN_POINTER_RANGE<const RDB_TABLE_ROW*, RDB_TABLE_ROW*> rows() const { return {m_rows.data(), m_rows.size()}; }
    GEN_POINTER_RANGE<RDB_TABLE_ROW*, RDB_TABLE_ROW*> rows() { return {m_rows.data(), m_rows.size()}; }
    // The data rows: those from get_first_data_row() on. rows() holds the
    // heading row as well, when there is one (has_heading_row()); data_rows()
    // counts as the writers' row counts and the Python module's `rows` do.
    GEN_POINTER_RANGE<const RDB_TABLE_ROW*, RDB_TABLE_ROW*> data_rows() const
    {
        const unsigned first = get_first_data_row();
        return {m_rows.data() + first, m_rows.size() - first};
    }
    GEN_POINTER_RANGE<RDB_TABLE_ROW*, RDB_TABLE_ROW*> data_rows()
    {
        const unsigned first = get_first_data_row();
        return {m_rows.data() + first, m_rows.size() - first};
    }

    // The cell at (row, column), or null when there is none.
    RDB_TABLE_ELEMENT* get_element(unsigned row, unsigned column);
    const RDB_TABLE_ELEMENT* get_element(unsigned row, unsigned column) const;
    // The same; the flag has no effect and keeps the argument list of
    // earlier callers.
    RDB_TABLE_ELEMENT* get_element(unsigned row, unsigned column, bool flag) const;
    // The same; when `state` is not null it tells what was found.
    RDB_TABLE_ELEMENT* get_element(unsigned row, unsigned column, STATE_OF_GET_ELEMENT_ENUM* state) const;

    // The heading row: the column titles, not data. A table has one when its
    // first row has cells and every one is a string cell (as reports write
    // their column titles); a summary never has one, and a chart's first row
    // of two empty texts is its heading row.
    virtual bool has_heading_row() const;
    bool is_heading_row(unsigned index) const { return index == 0 && has_heading_row(); }
    // The index of the first data row: 1 after a heading row, else 0.
    unsigned get_first_data_row() const { return has_heading_row() ? 1 : 0; }

    const char* get_kind() const override { return "table"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

protected:
    // Appends a row; false (the row not taken) when no memory is left.
    bool append_row(RDB_TABLE_ROW* row);
    // Appends a row made here. False when no memory is left: the row, which
    // no caller knows of, is released.
    bool append_own_row(RDB_TABLE_ROW* row);

private:
    std::vector<RDB_TABLE_ROW*> m_rows;
    RDB_OBJECT_TYPE m_type;
    bool m_last_cmp_flp_location_available = false;
};

// Releases a row and its cells (rows made with MEM_NEW, mem_new or new).
void rdb_release_row(RDB_TABLE_ROW* row);

// True for a row of nothing but empty string cells (the heading row every
// chart starts with, say), and for a row without cells.
bool rdb_is_blank_row(const RDB_TABLE_ROW& row);
