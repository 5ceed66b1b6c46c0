// Timing-analysis tables: the speed table and the slack table, both tables
// with a few settings of their own.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <rdbxml/mem_alloc_sys.h>
#include <rdbxml/rdb_table.h>

class MEM_SEGMENT;

// Column types with the column names a slack table is built with.
typedef STL_LIST_<std::pair<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM, STL_STRING>> RDB_TAN_SLACK_COLUMN_TYPE_LIST;

class RDB_TAN_TABLE_OBJECT : public RDB_TABLE_OBJECT {
    RDB_MEMORY_MANAGED

    RDB_TAN_TABLE_OBJECT(const STL_STRING& name, RDB_OBJECT_TYPE type);

    RDB_TAN_TABLE_OBJECT* dynamic_cast_to_RDB_TAN_TABLE_OBJECT() override { return this; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;
};

class RDB_TAN_SPD_TABLE_OBJECT : public RDB_TAN_TABLE_OBJECT {
    RDB_MEMORY_MANAGED

    // `segment` names the lifetime class of the table's data; it is only
    // remembered. `show_min` asks for the minimum values to be shown.
    RDB_TAN_SPD_TABLE_OBJECT(MEM_SEGMENT* segment, const STL_STRING& name, bool show_min, RDB_OBJECT_TYPE type);

    MEM_SEGMENT* get_segment() const { return m_segment; }
    bool get_show_min() const { return m_show_min; }

    const char* get_kind() const override { return "tan_spd_table"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

private:
    MEM_SEGMENT* m_segment;
    bool m_show_min;
};

class RDB_TAN_SLACK_TABLE_OBJECT : public RDB_TAN_TABLE_OBJECT {
    RDB_MEMORY_MANAGED

    // Copies the column names of `column_types` (entries with a type outside
    // the enumeration are skipped); the list may be destroyed afterwards.
    RDB_TAN_SLACK_TABLE_OBJECT(const STL_STRING& name, int analysis_type,
                               const RDB_TAN_SLACK_COLUMN_TYPE_LIST& column_types, RDB_OBJECT_TYPE type);

    RDB_TAN_SLACK_TABLE_OBJECT* dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT() override { return this; }

    int get_analysis_type() const { return m_analysis_type; }

    // One id per column type: setting a type again replaces its id. A type
    // outside the enumeration is ignored.
    void set_column_id(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type, unsigned id);
    bool has_column_id(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type) const;
    // The id of the type; 0 when it has none.
    unsigned get_column_id(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type) const;
    // The column of the type, or nothing when it has none (0 is a column
    // like any other). A column's id is the index of its cell in a row, from
    // 0: `get_element(row, *table.find_column(RDB_SLACK_COLUMN_SLACK))`.
    std::optional<unsigned> find_column(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type) const;

    void set_restricted_to(long restricted_to)
    {
        m_restricted_to = restricted_to;
        m_has_restricted_to = true;
    }
    // False until set_restricted_to was called.
    bool has_restricted_to() const { return m_has_restricted_to; }
    long get_restricted_to() const { return m_restricted_to; }

    const char* get_kind() const override { return "tan_slack_table"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

private:
    long m_restricted_to = 0;
    unsigned m_column_ids[RDB_SLACK_COLUMN_COUNT] = {};
    unsigned m_column_id_set = 0;  // bit t: type t has an id
    int m_analysis_type;
    bool m_has_restricted_to = false;
};

// The column ids a slack table has, in enumeration order: "slack=0, from=1".
std::string rdb_column_ids_text(const RDB_TAN_SLACK_TABLE_OBJECT& table);
