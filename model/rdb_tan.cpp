#include <rdbxml/rdb_tan.h>

#include <new>

#include <rdbxml/rdb_visitor.h>

RDB_MEMORY_MANAGED_DEFINE(RDB_TAN_TABLE_OBJECT)
RDB_MEMORY_MANAGED_DEFINE(RDB_TAN_SPD_TABLE_OBJECT)
RDB_MEMORY_MANAGED_DEFINE(RDB_TAN_SLACK_TABLE_OBJECT)

namespace {

bool is_column_type(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type)
{
    return type >= 0 && type < RDB_SLACK_COLUMN_COUNT;
}

}  // namespace

RDB_TAN_TABLE_OBJECT::RDB_TAN_TABLE_OBJECT(const STL_STRING& name, RDB_OBJECT_TYPE type)
    : RDB_TABLE_OBJECT(name, type)
{
}

void RDB_TAN_TABLE_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }

RDB_TAN_SPD_TABLE_OBJECT::RDB_TAN_SPD_TABLE_OBJECT(MEM_SEGMENT* segment, const STL_STRING& name, bool show_min,
                                                   RDB_OBJECT_TYPE type)
    : RDB_TAN_TABLE_OBJECT(name, type), m_segment(segment), m_show_min(show_min)
{
}

void RDB_TAN_SPD_TABLE_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }

RDB_TAN_SLACK_TABLE_OBJECT::RDB_TAN_SLACK_TABLE_OBJECT(const STL_STRING& name, int analysis_type,
                                                       const RDB_TAN_SLACK_COLUMN_TYPE_LIST& column_types,
                                                       RDB_OBJECT_TYPE type)
    : RDB_TAN_TABLE_OBJECT(name, type), m_analysis_type(analysis_type)
{
    // The list names the columns the file's table declares; the table keeps
    // their ids (set_column_id), which the writers show.
    (void)column_types;
}

void RDB_TAN_SLACK_TABLE_OBJECT::set_column_id(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type, unsigned id)
{
    if (!is_column_type(type))
        return;
    m_column_ids[type] = id;
    m_column_id_set |= 1u << type;
}

bool RDB_TAN_SLACK_TABLE_OBJECT::has_column_id(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type) const
{
    return is_column_type(type) && (m_column_id_set & 1u << type) != 0;
}

unsigned RDB_TAN_SLACK_TABLE_OBJECT::get_column_id(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type) const
{
    return find_column(type).value_or(0);
}

std::optional<unsigned> RDB_TAN_SLACK_TABLE_OBJECT::find_column(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type) const
{
    if (!has_column_id(type))
        return std::nullopt;
    return m_column_ids[type];
}

void RDB_TAN_SLACK_TABLE_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }

std::string rdb_column_ids_text(const RDB_TAN_SLACK_TABLE_OBJECT& table)
{
    std::string text;
    for (int t = 0; t < RDB_SLACK_COLUMN_COUNT; ++t) {
        auto type = static_cast<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM>(t);
        if (!table.has_column_id(type))
            continue;
        if (!text.empty())
            text += ", ";
        text += rdb_slack_column_type_name(type);
        text += '=' + std::to_string(table.get_column_id(type));
    }
    return text;
}
