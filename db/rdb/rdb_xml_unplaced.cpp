#include "rdb_xml_unplaced.h"

#include <new>
#include <string>

#include <rdbxml/rdb_report.h>
#include "rdb_xml_context.h"

void rdb_xml_remember_folder(RDB_FOLDER_OBJECT* folder)
{
    const xercesc::Locator* locator = rdb_xml_context->m_locator;
    std::uint64_t line = locator != nullptr ? locator->getLineNumber() : 0;
    std::uint64_t column = locator != nullptr ? locator->getColumnNumber() : 0;
    try {
        rdb_xml_context->m_declared_folders.push_back(RDB_XML_DECLARED_FOLDER{folder, line, column});
    } catch (const std::bad_alloc&) {
        delete folder;
        rdb_xml_out_of_memory("a folder");
    }
}

void rdb_xml_keep_unplaced_folders(RDB_REPORT* report)
{
    std::vector<RDB_XML_DECLARED_FOLDER>& declared = rdb_xml_context->m_declared_folders;
    for (const RDB_XML_DECLARED_FOLDER& entry : declared) {
        if (entry.m_folder->get_owner() != nullptr)
            continue;
        std::string text = "Folder \"" + std::string(entry.m_folder->get_name().c_str()) +
                           "\" is declared but never placed";
        rdb_xml_note(RDB_XML_DIAGNOSTIC::WARNING, text.c_str(), entry.m_line, entry.m_column,
                     "Folder \"%s\" is declared but never placed");
        if (!report->adopt_unplaced(entry.m_folder))
            rdb_xml_out_of_memory("a folder");
    }
    declared.clear();
}

void rdb_xml_release_unplaced_folders()
{
    std::vector<RDB_XML_DECLARED_FOLDER>& declared = rdb_xml_context->m_declared_folders;
    // Owners are all looked at before any folder goes: a folder released
    // first would take the folders it holds with it.
    std::size_t unowned = 0;
    for (const RDB_XML_DECLARED_FOLDER& entry : declared)
        if (entry.m_folder->get_owner() == nullptr)
            declared[unowned++] = entry;
    for (std::size_t i = 0; i < unowned; ++i)
        delete declared[i].m_folder;
    declared.clear();
}
