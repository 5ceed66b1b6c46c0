#include "rdb_xml_folders_handler.h"

#include <rdbxml/rdb_report.h>
#include "rdb_xml_context.h"
#include "rdb_xml_factories.h"
#include "rdb_xml_unplaced.h"

RDB_XML_DEFINE_FACTORY(rdb_xml_create_folders_handler, RDB_XML_FOLDERS_HANDLER)

void RDB_XML_FOLDERS_HANDLER::handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs)
{
    RDB_XML_CHAR_BUFFER name;
    rdb_xml_get_attribute(attrs, u"name", name);

    RDB_FOLDER_OBJECT* folder;
    if (element == RDB_XML_ELEMENT_ROOT) {
        folder = RDB_XML_NEW(RDB_FOLDER_OBJECT, STL_STRING(name.text()));
        if (folder == nullptr)
            rdb_xml_out_of_memory("the main folder");
        if (!rdb_xml_report->add_main_folder(folder)) {
            delete folder;
            rdb_xml_out_of_memory("the main folder");
        }
        rdb_xml_report->set_current_folder(folder);
    } else if (element == RDB_XML_ELEMENT_FOLDER) {
        folder = RDB_XML_NEW(RDB_FOLDER_OBJECT, STL_STRING(name.text()));
        if (folder == nullptr)
            rdb_xml_out_of_memory("a folder");
        // Placed later by a "folder_ref", or kept by the report if never.
        rdb_xml_remember_folder(folder);
    } else {
        return;
    }
    // A later declaration of the same name takes the name over.
    RDB_FOLDER_OBJECT*& entry = rdb_xml_folder_index->find_or_insert(name.text());
    if (rdb_xml_folder_index->is_overflow(entry))
        rdb_xml_out_of_memory("the folder index");
    entry = folder;
}

void RDB_XML_FOLDERS_HANDLER::handle_end_element(RDB_XML_ELEMENT_KIND element)
{
    if (element == RDB_XML_ELEMENT_FOLDERS)
        rdb_xml_hand_back();
}
