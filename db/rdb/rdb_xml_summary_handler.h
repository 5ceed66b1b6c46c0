// RDB_XML_SUMMARY_HANDLER: turns a "summary" element into a two-column
// summary table of named rows ("element"), optionally carrying a gauges
// object ("gauges") whose numbered gauges ("gauge") get their minimum,
// maximum and value from "min", "max" and "value".
#pragma once

#include "rdb_xml_content_handler.h"

class RDB_TABLE_ELEMENT;
class RDB_GAUGES_DATA_ELEMENT;
class RDB_GAUGES_OBJECT;
class RDB_SUMMARY_TABLE_OBJECT;

class RDB_XML_SUMMARY_HANDLER : public RDB_XML_COLLECTING_HANDLER {
public:
    using RDB_XML_COLLECTING_HANDLER::RDB_XML_COLLECTING_HANDLER;

    void handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs) override;
    void handle_end_element(RDB_XML_ELEMENT_KIND element) override;

private:
    void start_summary(const char* name, const xercesc::Attributes& attrs);
    void start_element(const char* name);
    void start_gauges();
    void start_gauge(const char* name, const xercesc::Attributes& attrs);
    // "min", "max" or "value": the field of the current gauge it sets, or
    // null when the element is none of them or there is no gauge yet.
    int* gauge_field(RDB_XML_ELEMENT_KIND element) const;

    // Plain references into objects the report owns.
    RDB_TABLE_ELEMENT* m_value_cell = nullptr;  // column 1 of the latest "element" row
    RDB_GAUGES_DATA_ELEMENT* m_gauge = nullptr;  // the latest gauge of the current gauges object
    RDB_GAUGES_OBJECT* m_gauges = nullptr;       // the latest gauges object
    unsigned m_gauge_count = 0;  // gauges seen in this summary: the slot of the next one
    RDB_SUMMARY_TABLE_OBJECT* m_summary = nullptr;
};

RDB_XML_CONTENT_HANDLER* rdb_xml_create_summary_handler(RDB_XML_CONTENT_HANDLER* parent);
