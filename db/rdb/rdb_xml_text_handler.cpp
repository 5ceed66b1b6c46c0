#include "rdb_xml_text_handler.h"

#include <rdbxml/rdb_report.h>
#include "rdb_xml_context.h"
#include "rdb_xml_factories.h"

RDB_XML_DEFINE_FACTORY(rdb_xml_create_text_handler, RDB_XML_TEXT_HANDLER)

void RDB_XML_TEXT_HANDLER::handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs)
{
    RDB_XML_CHAR_BUFFER name;
    rdb_xml_get_attribute(attrs, u"name", name);
    clear_characters();

    if (element == RDB_XML_ELEMENT_TEXT || element == RDB_XML_ELEMENT_LEGAL) {
        STL_STRING object_name(name.text());
        if (element == RDB_XML_ELEMENT_TEXT)
            m_object = RDB_XML_NEW(RDB_TEXT_OBJECT, object_name);
        else
            m_object = RDB_XML_NEW(RDB_LEGAL_OBJECT, object_name);
        if (m_object == nullptr)
            rdb_xml_out_of_memory("a text");
        rdb_xml_attach(m_object, attrs);
    } else if (element == RDB_XML_ELEMENT_ASCII_TEXT) {
        if (m_object == nullptr)
            return;
        // The object keeps one body text: a second "ascii_text" refills it.
        m_text = m_object->get_text();
        if (m_text != nullptr) {
            m_text->clear();
        } else {
            m_text = RDB_XML_NEW(STL_STRING);
            if (m_text == nullptr)
                rdb_xml_out_of_memory("a text");
            if (!m_object->add_text(m_text)) {
                mem_delete(m_text, RDB_XML_TAG);
                rdb_xml_out_of_memory("a text");
            }
        }
    }
}

void RDB_XML_TEXT_HANDLER::handle_end_element(RDB_XML_ELEMENT_KIND element)
{
    if (rdb_xml_set_header_or_footer(m_object, element, m_characters))
        return;
    if (element == RDB_XML_ELEMENT_ASCII_TEXT) {
        if (m_text != nullptr)
            m_text->append(m_characters);
        m_text = nullptr;
        return;
    }
    // Any other end, the closing "text" or "legal" among them, ends the handler.
    rdb_xml_hand_back();
}
