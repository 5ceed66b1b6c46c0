#include "rdb_xml_folder_ref_handler.h"

#include <rdbxml/msg.h>
#include <rdbxml/rdb_report.h>
#include "rdb_xml_context.h"
#include "rdb_xml_factories.h"

RDB_XML_DEFINE_FACTORY(rdb_xml_create_folder_ref_handler, RDB_XML_FOLDER_REF_HANDLER)

void RDB_XML_FOLDER_REF_HANDLER::handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs)
{
    clear_characters();
    if (rdb_xml_is_header_or_footer(element))
        return;
    // Any other element is taken as a folder reference in its own right.
    RDB_XML_CHAR_BUFFER name;
    const char* folder_name = rdb_xml_get_attribute(attrs, u"name", name);
    RDB_FOLDER_OBJECT*& entry = rdb_xml_folder_index->find_or_insert(folder_name);
    if (rdb_xml_folder_index->is_overflow(entry))
        rdb_xml_out_of_memory("the folder index");
    m_folder = entry;
    if (m_folder == nullptr) {
        // "rdb_xml_parser" and 1470 are this check's fixed location, not a
        // file and line of today's source: the line "Internal error: check
        // "m_folder != 0" failed at rdb_xml_parser:1470" is what scripts and
        // users match on, so it stays the same wherever this code moves.
        MSG_INTERNAL_ERROR::report("m_folder != 0", RDB_XML_TAG, "rdb_xml_parser", 1470);
        rdb_xml_passed_over("folder_ref names the folder \"%s\", which was never declared", folder_name);
        return;
    }
    rdb_xml_set_common_attributes(m_folder, attrs);
    rdb_xml_add_to_parent_folder(m_folder, attrs);
}

void RDB_XML_FOLDER_REF_HANDLER::handle_end_element(RDB_XML_ELEMENT_KIND element)
{
    if (rdb_xml_set_header_or_footer(m_folder, element, m_characters))
        return;
    rdb_xml_hand_back();
}
