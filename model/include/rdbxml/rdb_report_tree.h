// RDB_REPORT: the root of a report. It owns its main folder (and through it
// the whole tree) and the objects that never found a place.
#pragma once

#include <cstddef>

#include <rdbxml/mem_pool.h>
#include <rdbxml/rdb_folder.h>

// The report's holder of the objects it owns directly. It is the owner that
// get_owner() names for them, is never placed in a folder, and is not
// written by the writers.
class RDB_REPORT_STORE : public RDB_FOLDER_OBJECT {
    RDB_MEMORY_MANAGED

    RDB_REPORT_STORE();
    const char* get_kind() const override { return "report"; }
};

class RDB_REPORT {
    RDB_MEMORY_MANAGED

    RDB_REPORT();
    // Releases the main folder with the whole tree below it, and every
    // object that the report holds unplaced (earlier main folders included).
    virtual ~RDB_REPORT();
    RDB_REPORT(const RDB_REPORT&) = delete;
    RDB_REPORT& operator=(const RDB_REPORT&) = delete;

    // Makes `folder` the main folder. True: the report owns it from now on;
    // an earlier main folder stays alive among the unplaced objects, and a
    // folder the report held unplaced moves from there to the main place.
    // The main folder itself again changes nothing and is true.
    // False, a refusal: nothing changed, the folder is neither kept nor
    // released and stays with whoever had it. Refused are null, a folder
    // that a folder (or another report) already owns, the report's store,
    // and any folder when no memory is left to keep the earlier main folder.
    bool add_main_folder(RDB_FOLDER_OBJECT* folder);
    RDB_FOLDER_OBJECT* get_main_folder() { return m_main_folder; }
    const RDB_FOLDER_OBJECT* get_main_folder() const { return m_main_folder; }

    // The current folder is only remembered, not owned.
    void set_current_folder(RDB_FOLDER_OBJECT* folder) { m_current_folder = folder; }
    RDB_FOLDER_OBJECT* get_current_folder() { return m_current_folder; }
    const RDB_FOLDER_OBJECT* get_current_folder() const { return m_current_folder; }

    // Keeps an object that never got a place, so that it is released with
    // the report. True: the report owns it from now on.
    // False, a refusal: nothing changed, the object is neither kept nor
    // released and stays the caller's to place or delete. Refused are null,
    // an object that already has an owner, the report's store, and any
    // object when no memory is left for its entry. The writers do not write
    // unplaced objects.
    bool adopt_unplaced(RDB_OBJECT* object);

    // The unplaced objects, in the order they were adopted.
    std::size_t get_number_of_unplaced() const { return m_store.get_number_of_objects(); }
    RDB_OBJECT* get_unplaced(std::size_t index) { return m_store.get_object(index); }
    const RDB_OBJECT* get_unplaced(std::size_t index) const { return m_store.get_object(index); }

    // Holds `pool` (the storage its objects were read into) until the report
    // and everything in it is released. The report itself must not be in it.
    void hold_storage(MEM_POOL* pool) { m_storage.share(pool); }

private:
    // Declared first: released last, after every object in it.
    MEM_POOL_HOLDER m_storage;
    RDB_REPORT_STORE m_store;
    RDB_FOLDER_OBJECT* m_main_folder = nullptr;
    RDB_FOLDER_OBJECT* m_current_folder = nullptr;
};
