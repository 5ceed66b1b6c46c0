// The parts of the table handler that only the timing-analysis tables use:
// their construction, and the column ids and restriction of a slack table.
#include <new>
#include <optional>

#include <rdbxml/mem_alloc_sys.h>
#include <rdbxml/rdb_report.h>
#include "rdb_xml_context.h"
#include "rdb_xml_convert.h"
#include "rdb_xml_globals.h"
#include "rdb_xml_table_handler.h"

void RDB_XML_TABLE_HANDLER::start_spd_table(const char* name, const xercesc::Attributes& attrs)
{
    RDB_XML_CHAR_BUFFER show_min;
    bool show = rdb_xml_is_true(rdb_xml_get_attribute(attrs, u"show_min", show_min));
    m_table = RDB_XML_NEW(RDB_TAN_SPD_TABLE_OBJECT, static_cast<MEM_SEGMENT*>(&mem_default_segment),
                          STL_STRING(name), show, RDB_OBJECT_TYPE_TAN_TABLE);
    attach_table(attrs);
}

void RDB_XML_TABLE_HANDLER::start_slack_table(const char* name, const xercesc::Attributes& attrs)
{
    // The constructor takes a column-type list; it stays empty, since the
    // columns come one "column" element at a time, and it lives only until
    // the table is set up and attached.
    std::optional<RDB_TAN_SLACK_COLUMN_TYPE_LIST> columns;
    try {
        columns.emplace();
    } catch (const std::bad_alloc&) {
        rdb_xml_out_of_memory("a table");
    }
    int analysis = rdb_xml_read_int_attribute(attrs, u"analysis_type", "tan_slack_table analysis_type");
    m_table = RDB_XML_NEW(RDB_TAN_SLACK_TABLE_OBJECT, STL_STRING(name), analysis, *columns,
                          RDB_OBJECT_TYPE_TAN_TABLE);
    attach_table(attrs);
    columns->clear();
}

RDB_TAN_SLACK_TABLE_OBJECT* RDB_XML_TABLE_HANDLER::slack_table() const
{
    if (m_table == nullptr)
        return nullptr;
    RDB_TAN_TABLE_OBJECT* timing_table = m_table->dynamic_cast_to_RDB_TAN_TABLE_OBJECT();
    return timing_table != nullptr ? timing_table->dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT() : nullptr;
}

void RDB_XML_TABLE_HANDLER::start_column(const xercesc::Attributes& attrs)
{
    // Columns belong to slack tables; in any other table the element is
    // passed over without a lookup.
    RDB_TAN_SLACK_TABLE_OBJECT* table = slack_table();
    if (table == nullptr) {
        rdb_xml_passed_over("column outside a tan_slack_table: passed over");
        return;
    }
    unsigned int id = rdb_xml_read_unsigned_attribute(attrs, u"id", "column id");
    RDB_XML_CHAR_BUFFER buffer;
    const char* type_name = rdb_xml_get_attribute(attrs, u"type", buffer);
    RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type =
        rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string(type_name);
    if (type == -1) {
        rdb_xml_unknown_enumeration(type_name);
        return;
    }
    table->set_column_id(type, id);
}

void RDB_XML_TABLE_HANDLER::end_restricted_to()
{
    RDB_TAN_SLACK_TABLE_OBJECT* table = slack_table();
    if (table == nullptr) {
        rdb_xml_passed_over("restricted_to outside a tan_slack_table: passed over");
        return;
    }
    table->set_restricted_to(rdb_xml_read_long(m_characters.c_str(), "restricted_to"));
}
