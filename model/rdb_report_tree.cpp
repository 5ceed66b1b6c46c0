#include <rdbxml/rdb_report_tree.h>

RDB_MEMORY_MANAGED_DEFINE(RDB_REPORT_STORE)
RDB_MEMORY_MANAGED_DEFINE(RDB_REPORT)

RDB_REPORT_STORE::RDB_REPORT_STORE() : RDB_FOLDER_OBJECT(STL_STRING()) {}

RDB_REPORT::RDB_REPORT() { m_store.m_placeable = false; }

RDB_REPORT::~RDB_REPORT()
{
    delete m_main_folder;
    // m_store releases the unplaced objects as it is destroyed.
}

bool RDB_REPORT::add_main_folder(RDB_FOLDER_OBJECT* folder)
{
    if (folder == nullptr)
        return false;
    if (folder == m_main_folder)
        return true;
    if (!folder->m_placeable || (folder->m_owner != nullptr && folder->m_owner != &m_store))
        return false;
    // The earlier main folder needs an entry among the unplaced objects;
    // without memory for it nothing changes. A folder coming from there
    // leaves its entry free for it.
    if (m_main_folder != nullptr && folder->m_owner != &m_store && !m_store.reserve_entry())
        return false;
    if (folder->m_owner == &m_store)
        m_store.remove_object(folder);
    if (m_main_folder != nullptr) {
        m_main_folder->m_owner = nullptr;
        m_store.add_object_to_list(m_main_folder);  // cannot fail: there is room for the entry
    }
    m_main_folder = folder;
    folder->m_owner = &m_store;
    return true;
}

bool RDB_REPORT::adopt_unplaced(RDB_OBJECT* object) { return m_store.add_object_to_list(object); }
