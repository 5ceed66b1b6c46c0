// RDB_XML_CHART_HANDLER: turns a "chart" element into a chart table of named
// integer data points ("data"), with its chart type ("type"), axis labels
// ("x_label", "y_label") and display-labels flag ("show_labels").
#pragma once

#include "rdb_xml_content_handler.h"

class RDB_CHART_TABLE_OBJECT;

class RDB_XML_CHART_HANDLER : public RDB_XML_COLLECTING_HANDLER {
public:
    using RDB_XML_COLLECTING_HANDLER::RDB_XML_COLLECTING_HANDLER;

    void handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs) override;
    void handle_end_element(RDB_XML_ELEMENT_KIND element) override;

private:
    void start_chart(const STL_STRING& name, const xercesc::Attributes& attrs);
    void end_type();
    void end_data();

    RDB_CHART_TABLE_OBJECT* m_chart = nullptr;  // owned by its folder once attached
    // Data rows added so far, which is also the table row of the latest
    // "data" element (row 0 is the chart's empty first row). -1 until
    // "chart" starts.
    int m_row_count = -1;
};

RDB_XML_CONTENT_HANDLER* rdb_xml_create_chart_handler(RDB_XML_CONTENT_HANDLER* parent);
