#include "rdb_xml_unplaced.h"

#include <cstdint>
#include <new>
#include <vector>

#include "rdb_report.h"
#include "rdb_xml_context.h"

namespace {

struct DECLARED_FOLDER {
    RDB_FOLDER_OBJECT* m_folder;
    std::uint64_t m_line;  // where it was declared
    std::uint64_t m_column;
};

thread_local std::vector<DECLARED_FOLDER> t_declared;

}  // namespace

void rdb_xml_remember_folder(RDB_FOLDER_OBJECT* folder)
{
    const xercesc::Locator* locator = rdb_xml_context != nullptr ? rdb_xml_context->m_locator : nullptr;
    std::uint64_t line = locator != nullptr ? locator->getLineNumber() : 0;
    std::uint64_t column = locator != nullptr ? locator->getColumnNumber() : 0;
    try {
        t_declared.push_back(DECLARED_FOLDER{folder, line, column});
    } catch (const std::bad_alloc&) {
        delete folder;
        rdb_xml_out_of_memory("a folder");
    }
}

void rdb_xml_keep_unplaced_folders(RDB_REPORT* report)
{
    for (std::size_t i = 0; i < t_declared.size(); ++i) {
        const DECLARED_FOLDER& declared = t_declared[i];
        if (declared.m_folder->get_owner() != nullptr)
            continue;
        std::string text = "Folder \"" + std::string(declared.m_folder->get_name().c_str()) +
                           "\" is declared but never placed";
        rdb_xml_note(RDB_XML_DIAGNOSTIC::WARNING, text.c_str(), declared.m_line, declared.m_column);
        if (!report->adopt_unplaced(declared.m_folder))
            rdb_xml_out_of_memory("a folder");
    }
    t_declared.clear();
}

void rdb_xml_release_unplaced_folders()
{
    // Owners are all looked at before any folder goes: a folder released
    // first would take the folders it holds with it.
    std::size_t unowned = 0;
    for (const DECLARED_FOLDER& declared : t_declared)
        if (declared.m_folder->get_owner() == nullptr)
            t_declared[unowned++] = declared;
    for (std::size_t i = 0; i < unowned; ++i)
        delete t_declared[i].m_folder;
    t_declared.clear();
    t_declared.shrink_to_fit();
}
