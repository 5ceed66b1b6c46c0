#include <rdbxml/rdb_chart.h>

#include <new>

#include <rdbxml/rdb_visitor.h>

RDB_MEMORY_MANAGED_DEFINE(RDB_CHART_TABLE_OBJECT)

RDB_CHART_TABLE_OBJECT::RDB_CHART_TABLE_OBJECT(const STL_STRING& name, int size)
    : RDB_TABLE_OBJECT(name, RDB_OBJECT_TYPE_CHART_TABLE), m_size(size)
{
}

bool RDB_CHART_TABLE_OBJECT::add_row(const STL_STRING& name, int value)
{
    RDB_TABLE_ROW* row = MEM_NEW(RDB_MODEL_TAG, "model/rdb_chart", RDB_TABLE_ROW);
    if (row == nullptr)
        return false;
    RDB_TABLE_STRING_ELEMENT* label = nullptr;
    RDB_TABLE_INT_ELEMENT* data = nullptr;
    // The label copies the name: that copy may run out of memory too.
    try {
        label = MEM_NEW(RDB_MODEL_TAG, "model/rdb_chart", RDB_TABLE_STRING_ELEMENT, name);
        data = MEM_NEW(RDB_MODEL_TAG, "model/rdb_chart", RDB_TABLE_INT_ELEMENT, value);
    } catch (const std::bad_alloc&) {
    }
    bool complete = label != nullptr && data != nullptr;
    if (complete) {
        try {
            row->reserve(2);
        } catch (const std::bad_alloc&) {
            complete = false;
        }
    }
    if (!complete) {
        delete label;
        delete data;
        mem_delete(row, RDB_MODEL_TAG);
        return false;
    }
    row->push_back(label);
    row->push_back(data);
    return append_own_row(row);
}

void RDB_CHART_TABLE_OBJECT::set_default_chart_type(RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM type)
{
    if (type >= 0 && type < RDB_CHART_TYPE_COUNT)
        m_chart_type = type;
}

void RDB_CHART_TABLE_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }

bool RDB_CHART_TABLE_OBJECT::has_heading_row() const
{
    const RDB_TABLE_ROW* first = get_row(0);
    return first != nullptr && rdb_is_blank_row(*first);
}

std::vector<RDB_CHART_POINT> RDB_CHART_TABLE_OBJECT::get_points() const
{
    std::vector<RDB_CHART_POINT> points;
    for (unsigned r = get_first_data_row(); r < get_number_of_rows(); ++r) {
        const RDB_TABLE_ROW& row = *get_row(r);
        if (row.size() < 2 || row[0] == nullptr || row[1] == nullptr || row[0]->get_cell_kind() != RDB_CELL_STRING ||
            row[1]->get_cell_kind() != RDB_CELL_INT)
            continue;
        points.push_back({static_cast<const RDB_TABLE_STRING_ELEMENT*>(row[0])->get_string().view(),
                          static_cast<const RDB_TABLE_INT_ELEMENT*>(row[1])->get_data()});
    }
    return points;
}
