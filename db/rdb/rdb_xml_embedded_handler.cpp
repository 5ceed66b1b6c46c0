#include "rdb_xml_embedded_handler.h"

#include <xercesc/util/XMLString.hpp>

#include <rdbxml/rdb_report.h>
#include "rdb_xml_context.h"
#include "rdb_xml_convert.h"
#include "rdb_xml_factories.h"

RDB_XML_DEFINE_FACTORY(rdb_xml_create_embedded_handler, RDB_XML_EMBEDDED_HANDLER)

void RDB_XML_EMBEDDED_HANDLER::handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs)
{
    RDB_XML_CHAR_BUFFER name;
    rdb_xml_get_attribute(attrs, u"name", name);
    clear_characters();

    if (element == RDB_XML_ELEMENT_EMBEDDED)
        start_embedded(name.text(), attrs);
    else if (element == RDB_XML_ELEMENT_WAVEFORM)
        start_waveform(name.text(), attrs);
}

void RDB_XML_EMBEDDED_HANDLER::handle_end_element(RDB_XML_ELEMENT_KIND element)
{
    if (rdb_xml_set_header_or_footer(m_object, element, m_characters))
        return;

    switch (element) {
    case RDB_XML_ELEMENT_INFO:
        if (m_object != nullptr)
            m_object->set_info_str(m_characters);
        break;
    case RDB_XML_ELEMENT_SOURCE_VECTOR:
        if (m_waveform != nullptr)
            m_waveform->set_source_vector_file_name(m_characters);
        break;
    case RDB_XML_ELEMENT_RESULT_VECTOR:
        if (m_waveform != nullptr)
            m_waveform->set_result_vector_file_name(m_characters);
        break;
    case RDB_XML_ELEMENT_COMPARE:
        if (m_waveform != nullptr)
            m_waveform->set_compare_mode(rdb_xml_is_true(m_characters.c_str()));
        break;
    case RDB_XML_ELEMENT_EMBEDDED:
    case RDB_XML_ELEMENT_WAVEFORM: rdb_xml_hand_back(); break;
    default: break;  // any other end leaves the handler in charge
    }
}

void RDB_XML_EMBEDDED_HANDLER::start_embedded(const char* name, const xercesc::Attributes& attrs)
{
    // The retired floorplan type is recognised on the raw attribute value,
    // in any case: it makes no object and is not an error.
    const XMLCh* raw_type = attrs.getValue(u"type");
    if (raw_type != nullptr && xercesc::XMLString::compareIString(raw_type, u"floorplan") == 0) {
        rdb_xml_debug("Floorplan embedded type is no longer supported.");
        return;
    }

    RDB_XML_CHAR_BUFFER type_text;
    int type = rdb_get_rdb_embedded_object_embedded_type_enum_by_string(
        rdb_xml_get_attribute(attrs, u"type", type_text));
    if (type == -1) {
        // An error, but the object is still made, with the first type.
        rdb_xml_unknown_enumeration(type_text.text());
        type = 0;
    }
    m_object = RDB_XML_NEW(RDB_EMBEDDED_OBJECT, STL_STRING(name),
                           static_cast<RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM>(type));
    if (m_object == nullptr)
        rdb_xml_out_of_memory("an embedded object");
    rdb_xml_attach(m_object, attrs);
}

void RDB_XML_EMBEDDED_HANDLER::start_waveform(const char* name, const xercesc::Attributes& attrs)
{
    // Vector file names and compare mode come later, only from the children
    // that are present.
    m_waveform = RDB_XML_NEW(RDB_WAVEFORM_OBJECT, STL_STRING(name), STL_STRING(), STL_STRING(), false);
    m_object = m_waveform;
    if (m_object == nullptr)
        rdb_xml_out_of_memory("a waveform");
    rdb_xml_attach(m_object, attrs);
}
