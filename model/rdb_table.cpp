#include <rdbxml/rdb_table.h>

#include <cstring>

#include <cstdarg>
#include <new>

#include <rdbxml/rdb_visitor.h>

RDB_MEMORY_MANAGED_DEFINE(RDB_TABLE_OBJECT)

namespace {

// Its address is RDB_ROW_END.
const char row_end_marker = 0;

}  // namespace

const char* const RDB_ROW_END = &row_end_marker;

void rdb_release_row(RDB_TABLE_ROW* row)
{
    if (row == nullptr)
        return;
    for (std::size_t i = 0; i < row->size(); ++i)
        delete (*row)[i];
    mem_delete(row, RDB_MODEL_TAG);
}

RDB_TABLE_OBJECT::RDB_TABLE_OBJECT(const STL_STRING& name, RDB_OBJECT_TYPE type) : RDB_OBJECT(name), m_type(type)
{
}

RDB_TABLE_OBJECT::~RDB_TABLE_OBJECT()
{
    for (RDB_TABLE_ROW* row : m_rows)
        rdb_release_row(row);
}

bool RDB_TABLE_OBJECT::append_row(RDB_TABLE_ROW* row)
{
    try {
        m_rows.push_back(row);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool RDB_TABLE_OBJECT::append_own_row(RDB_TABLE_ROW* row)
{
    if (append_row(row))
        return true;
    rdb_release_row(row);
    return false;
}

bool RDB_TABLE_OBJECT::add_string_row(const char* first, ...)
{
    RDB_TABLE_ROW* row = MEM_NEW(RDB_MODEL_TAG, "model/rdb_table", RDB_TABLE_ROW);
    if (row == nullptr)
        return false;
    bool complete = true;
    va_list texts;
    va_start(texts, first);
    for (const char* text = first; text != RDB_ROW_END; text = va_arg(texts, const char*)) {
        // The cell copies its text: that copy may run out of memory too.
        RDB_TABLE_STRING_ELEMENT* cell = nullptr;
        try {
            cell = MEM_NEW(RDB_MODEL_TAG, "model/rdb_table", RDB_TABLE_STRING_ELEMENT, text);
        } catch (const std::bad_alloc&) {
        }
        if (cell == nullptr) {
            complete = false;
            break;
        }
        try {
            row->push_back(cell);
        } catch (const std::bad_alloc&) {
            delete cell;
            complete = false;
            break;
        }
    }
    va_end(texts);
    if (complete)
        return append_own_row(row);
    rdb_release_row(row);
    return false;
}

bool RDB_TABLE_OBJECT::add_row(RDB_TABLE_ROW* row) { return row != nullptr && append_row(row); }

bool RDB_TABLE_OBJECT::keep_data_rows(const std::vector<unsigned>& order)
{
    unsigned first = get_first_data_row();
    std::vector<RDB_TABLE_ROW*> kept;
    std::vector<bool> listed;
    try {
        kept.reserve(first + order.size());
        listed.assign(m_rows.size(), false);
    } catch (const std::bad_alloc&) {
        return false;
    }
    kept.assign(m_rows.begin(), m_rows.begin() + first);
    for (unsigned index : order) {
        if (index < first || index >= m_rows.size() || listed[index])
            return false;
        listed[index] = true;
        kept.push_back(m_rows[index]);
    }
    for (std::size_t r = first; r < m_rows.size(); ++r)
        if (!listed[r])
            rdb_release_row(m_rows[r]);
    m_rows.swap(kept);
    return true;
}

RDB_TABLE_ELEMENT* RDB_TABLE_OBJECT::get_element(unsigned row, unsigned column)
{
    return get_element(row, column, static_cast<STATE_OF_GET_ELEMENT_ENUM*>(nullptr));
}

const RDB_TABLE_ELEMENT* RDB_TABLE_OBJECT::get_element(unsigned row, unsigned column) const
{
    return get_element(row, column, static_cast<STATE_OF_GET_ELEMENT_ENUM*>(nullptr));
}

RDB_TABLE_ELEMENT* RDB_TABLE_OBJECT::get_element(unsigned row, unsigned column, bool) const
{
    return get_element(row, column, static_cast<STATE_OF_GET_ELEMENT_ENUM*>(nullptr));
}

RDB_TABLE_ELEMENT* RDB_TABLE_OBJECT::get_element(unsigned row, unsigned column,
                                                 STATE_OF_GET_ELEMENT_ENUM* state) const
{
    STATE_OF_GET_ELEMENT_ENUM found = STATE_OF_GET_ELEMENT_FOUND;
    RDB_TABLE_ELEMENT* cell = nullptr;
    if (row >= m_rows.size())
        found = STATE_OF_GET_ELEMENT_NO_ROW;
    else if (column >= m_rows[row]->size())
        found = STATE_OF_GET_ELEMENT_NO_COLUMN;
    else if ((cell = (*m_rows[row])[column]) == nullptr)
        found = STATE_OF_GET_ELEMENT_EMPTY_CELL;
    if (state != nullptr)
        *state = found;
    return cell;
}

void RDB_TABLE_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }

bool rdb_is_blank_row(const RDB_TABLE_ROW& row)
{
    for (const RDB_TABLE_ELEMENT* cell : row) {
        if (cell == nullptr || cell->get_cell_kind() != RDB_CELL_STRING ||
            !static_cast<const RDB_TABLE_STRING_ELEMENT*>(cell)->get_string().empty())
            return false;
    }
    return true;
}

bool RDB_TABLE_OBJECT::has_heading_row() const
{
    if (m_rows.empty() || m_rows[0]->empty())
        return false;
    for (const RDB_TABLE_ELEMENT* cell : *m_rows[0])
        if (cell == nullptr || cell->get_cell_kind() != RDB_CELL_STRING)
            return false;
    return true;
}
