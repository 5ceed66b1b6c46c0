// RDB_XML_TABLE_HANDLER: turns a "table", "tan_spd_table" or
// "tan_slack_table" element into a table object of the report, with its
// header, footer, rows and typed cells (string, int, instance name, delay),
// and for a slack table its column ids and restriction.
#pragma once

#include "rdb_xml_content_handler.h"

class RDB_TABLE_OBJECT;
class RDB_TABLE_ELEMENT;
class RDB_TABLE_STRING_ELEMENT;
class RDB_TABLE_INT_ELEMENT;
class RDB_TABLE_INAME_ELEMENT;
class RDB_TABLE_DELAY_ELEMENT;
class RDB_TAN_SLACK_TABLE_OBJECT;
template <class T>
class STL_VECTOR_OF_PTRS_;

class RDB_XML_TABLE_HANDLER : public RDB_XML_COLLECTING_HANDLER {
public:
    using RDB_XML_COLLECTING_HANDLER::RDB_XML_COLLECTING_HANDLER;

    void handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs) override;
    void handle_end_element(RDB_XML_ELEMENT_KIND element) override;

private:
    // The settings every table gets after its construction, attaching last.
    void attach_table(const xercesc::Attributes& attrs);
    // The timing tables: construction, then attach_table.
    void start_spd_table(const char* name, const xercesc::Attributes& attrs);
    void start_slack_table(const char* name, const xercesc::Attributes& attrs);
    void start_row();
    // A new cell of `kind` appended to the current row, with the colours of
    // its raw "foreground" and "background" values (null when absent); null
    // (passed over) when there is no row yet.
    template <class CELL, class... ARGS>
    CELL* start_cell(const char* kind, const XMLCh* foreground, const XMLCh* background, ARGS&&... args);
    void end_display_option();
    // Says a table element inside this handler's table, if it is one.
    void say_table_inside_table(const char* kind, const char* name) const;
    // The slack table under construction, reached through the model's
    // virtual casts; null for the other tables.
    RDB_TAN_SLACK_TABLE_OBJECT* slack_table() const;
    void start_column(const xercesc::Attributes& attrs);
    void end_restricted_to();

    // Plain references into objects the report owns; each start of its kind
    // replaces one, and nothing resets them when a row or cell ends.
    RDB_TABLE_OBJECT* m_table = nullptr;
    STL_VECTOR_OF_PTRS_<RDB_TABLE_ELEMENT*>* m_row = nullptr;
    RDB_TABLE_STRING_ELEMENT* m_string_cell = nullptr;
    RDB_TABLE_INT_ELEMENT* m_int_cell = nullptr;
    RDB_TABLE_INAME_ELEMENT* m_iname_cell = nullptr;
    RDB_TABLE_DELAY_ELEMENT* m_delay_cell = nullptr;
    // Between a row's start and its end.
    bool m_in_row = false;
};

RDB_XML_CONTENT_HANDLER* rdb_xml_create_table_handler(RDB_XML_CONTENT_HANDLER* parent);
