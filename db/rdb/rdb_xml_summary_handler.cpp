#include "rdb_xml_summary_handler.h"

#include <rdbxml/rdb_report.h>
#include "rdb_xml_context.h"
#include "rdb_xml_convert.h"
#include "rdb_xml_factories.h"

RDB_XML_DEFINE_FACTORY(rdb_xml_create_summary_handler, RDB_XML_SUMMARY_HANDLER)

namespace {

// The gauges object's own name never reaches a reader of the report.
const char* const GAUGES_NAME = "This name should not be observed";
const int GAUGES_SIZE = 20;

}  // namespace

void RDB_XML_SUMMARY_HANDLER::handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs)
{
    RDB_XML_CHAR_BUFFER name;
    rdb_xml_get_attribute(attrs, u"name", name);
    clear_characters();

    switch (element) {
    case RDB_XML_ELEMENT_SUMMARY: start_summary(name.text(), attrs); break;
    case RDB_XML_ELEMENT_ELEMENT: start_element(name.text()); break;
    case RDB_XML_ELEMENT_GAUGES: start_gauges(); break;
    case RDB_XML_ELEMENT_GAUGE: start_gauge(name.text(), attrs); break;
    default: break;  // header, footer and anything else: only its text is kept
    }
}

void RDB_XML_SUMMARY_HANDLER::handle_end_element(RDB_XML_ELEMENT_KIND element)
{
    if (rdb_xml_set_header_or_footer(m_summary, element, m_characters))
        return;

    switch (element) {
    case RDB_XML_ELEMENT_ELEMENT:
        if (m_value_cell != nullptr)
            m_value_cell->set_string(m_characters);
        break;
    case RDB_XML_ELEMENT_MIN:
    case RDB_XML_ELEMENT_MAX:
    case RDB_XML_ELEMENT_VALUE:
        if (int* field = gauge_field(element))
            *field = rdb_xml_read_int(m_characters.c_str(), element == RDB_XML_ELEMENT_MIN   ? "min"
                                                            : element == RDB_XML_ELEMENT_MAX ? "max"
                                                                                             : "value");
        break;
    case RDB_XML_ELEMENT_SUMMARY: rdb_xml_hand_back(); break;
    default: break;
    }
}

void RDB_XML_SUMMARY_HANDLER::start_summary(const char* name, const xercesc::Attributes& attrs)
{
    m_summary = RDB_XML_NEW(RDB_SUMMARY_TABLE_OBJECT, STL_STRING(name));
    if (m_summary == nullptr)
        rdb_xml_out_of_memory("a summary");
    rdb_xml_attach(m_summary, attrs);
}

void RDB_XML_SUMMARY_HANDLER::start_element(const char* name)
{
    if (m_summary == nullptr)
        return;
    // The row about to be appended has the index of the current row count.
    unsigned row = m_summary->get_number_of_rows();
    if (!m_summary->add_string_row(name, "", RDB_ROW_END))
        rdb_xml_out_of_memory("a summary row");
    m_value_cell = m_summary->get_element(row, 1, false);
}

void RDB_XML_SUMMARY_HANDLER::start_gauges()
{
    if (m_summary == nullptr)
        return;
    m_gauges = RDB_XML_NEW(RDB_GAUGES_OBJECT, STL_STRING(GAUGES_NAME), GAUGES_SIZE);
    if (m_gauges == nullptr)
        rdb_xml_out_of_memory("a summary's gauges");
    // The table releases its previous gauges object, and the gauges in it,
    // when it takes this one: the current gauge is gone with them. A new
    // object belongs to nobody, so the table cannot refuse it.
    m_summary->set_gauges(m_gauges);
    m_gauge = nullptr;
}

void RDB_XML_SUMMARY_HANDLER::start_gauge(const char* name, const xercesc::Attributes& attrs)
{
    if (m_gauges == nullptr) {
        rdb_xml_passed_over("gauge \"%s\" before any gauges element: passed over", name);
        return;
    }
    RDB_XML_CHAR_BUFFER percent;
    RDB_XML_CHAR_BUFFER enabled;
    rdb_xml_get_attribute(attrs, u"percent", percent);
    rdb_xml_get_attribute(attrs, u"enabled", enabled);
    // The last argument says that the gauge is disabled.
    m_gauge = RDB_XML_NEW(RDB_GAUGES_DATA_ELEMENT, name, rdb_xml_is_true(percent.text()), 0, 0, 0,
                          !rdb_xml_is_true(enabled.text()));
    if (m_gauge == nullptr)
        rdb_xml_out_of_memory("a gauge");
    // Gauges are numbered across the whole summary, also across a second
    // gauges object.
    unsigned slot = m_gauge_count++;
    if (m_gauges->set_data_at(slot, m_gauge))
        return;
    // Refused, the gauge is still ours.
    delete m_gauge;
    m_gauge = nullptr;
    if (slot < RDB_GAUGES_OBJECT::get_slot_limit())
        rdb_xml_out_of_memory("a gauge");
    rdb_xml_semantic_error("Summary \"%s\" holds more than %u gauges: gauge \"%s\" cannot be kept",
                           m_summary->get_name().c_str(), RDB_GAUGES_OBJECT::get_slot_limit(), name);
}

int* RDB_XML_SUMMARY_HANDLER::gauge_field(RDB_XML_ELEMENT_KIND element) const
{
    const char* name;
    int* field;
    switch (element) {
    case RDB_XML_ELEMENT_MIN:
        name = "min";
        field = m_gauge != nullptr ? &m_gauge->m_min : nullptr;
        break;
    case RDB_XML_ELEMENT_MAX:
        name = "max";
        field = m_gauge != nullptr ? &m_gauge->m_max : nullptr;
        break;
    case RDB_XML_ELEMENT_VALUE:
        name = "value";
        field = m_gauge != nullptr ? &m_gauge->m_value : nullptr;
        break;
    default:
        return nullptr;
    }
    // A field before any gauge has no gauge to go to.
    if (field == nullptr)
        rdb_xml_passed_over("%s before any gauge: passed over", name);
    return field;
}
