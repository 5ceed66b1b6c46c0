#include "rdb_xml_chart_handler.h"

#include <rdbxml/rdb_report.h>
#include "rdb_xml_context.h"
#include "rdb_xml_convert.h"
#include "rdb_xml_factories.h"

RDB_XML_DEFINE_FACTORY(rdb_xml_create_chart_handler, RDB_XML_CHART_HANDLER)

void RDB_XML_CHART_HANDLER::handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs)
{
    RDB_XML_CHAR_BUFFER buffer;
    STL_STRING name(rdb_xml_get_attribute(attrs, u"name", buffer));
    clear_characters();

    switch (element) {
    case RDB_XML_ELEMENT_CHART: start_chart(name, attrs); break;
    case RDB_XML_ELEMENT_DATA:
        if (m_chart == nullptr)
            return;
        if (!m_chart->add_row(name, 0))
            rdb_xml_out_of_memory("a chart data point");
        ++m_row_count;
        break;
    default: break;  // header, footer and anything else: only its text is kept
    }
}

void RDB_XML_CHART_HANDLER::handle_end_element(RDB_XML_ELEMENT_KIND element)
{
    if (rdb_xml_set_header_or_footer(m_chart, element, m_characters))
        return;

    switch (element) {
    case RDB_XML_ELEMENT_TYPE: end_type(); break;
    case RDB_XML_ELEMENT_X_LABEL:
        if (m_chart != nullptr)
            m_chart->set_x_axis(m_characters);
        break;
    case RDB_XML_ELEMENT_Y_LABEL:
        if (m_chart != nullptr)
            m_chart->set_y_axis(m_characters);
        break;
    case RDB_XML_ELEMENT_SHOW_LABELS:
        if (m_chart != nullptr)
            m_chart->display_labels(rdb_xml_is_true(m_characters.c_str()));
        break;
    case RDB_XML_ELEMENT_DATA: end_data(); break;
    case RDB_XML_ELEMENT_CHART: rdb_xml_hand_back(); break;
    default: break;
    }
}

void RDB_XML_CHART_HANDLER::start_chart(const STL_STRING& name, const xercesc::Attributes& attrs)
{
    m_chart = RDB_XML_NEW(RDB_CHART_TABLE_OBJECT, name, rdb_xml_read_int_attribute(attrs, u"size", "chart size"));
    if (m_chart == nullptr)
        rdb_xml_out_of_memory("a chart");
    RDB_XML_UNATTACHED guard(m_chart);
    // Row 0 is always there, two empty texts; data row k is table row k.
    if (!m_chart->add_string_row("", "", RDB_ROW_END))
        rdb_xml_out_of_memory("a chart");
    m_row_count = 0;
    rdb_xml_set_common_attributes(m_chart, attrs);
    rdb_xml_add_to_parent_folder(m_chart, attrs);
}

void RDB_XML_CHART_HANDLER::end_type()
{
    // The type name is looked up exactly as written, blanks included; an
    // unknown name is an error and the chart keeps the type it had.
    int type = rdb_get_rdb_chart_table_object_chart_types_enum_by_string(m_characters.c_str());
    if (type == -1) {
        rdb_xml_unknown_enumeration(m_characters.c_str());
        return;
    }
    if (m_chart != nullptr)
        m_chart->set_default_chart_type(static_cast<RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM>(type));
}

void RDB_XML_CHART_HANDLER::end_data()
{
    if (m_chart == nullptr || m_row_count < 0)
        return;
    RDB_TABLE_ELEMENT* cell =
        m_chart->get_element(static_cast<unsigned>(m_row_count), 1, static_cast<STATE_OF_GET_ELEMENT_ENUM*>(nullptr));
    if (cell != nullptr)
        cell->set_int_element_data(rdb_xml_read_int(m_characters.c_str(), "data"));
}
