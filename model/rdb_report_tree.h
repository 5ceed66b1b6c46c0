// RDB_REPORT: the root of a report. It owns its main folder (and through it
// the whole tree) and the objects that never found a place.
#pragma once

#include <cstddef>

#include "rdb_folder.h"

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

    // Makes `folder` the main folder and takes ownership of it. An earlier
    // main folder stays alive among the unplaced objects. Ignored (nothing
    // taken) for null, for a folder that another folder already owns, and
    // when no memory is left to keep the earlier main folder. A folder the
    // report holds unplaced moves from there to the main place.
    void add_main_folder(RDB_FOLDER_OBJECT* folder);
    RDB_FOLDER_OBJECT* get_main_folder() const { return m_main_folder; }

    // The current folder is only remembered, not owned.
    void set_current_folder(RDB_FOLDER_OBJECT* folder) { m_current_folder = folder; }
    RDB_FOLDER_OBJECT* get_current_folder() const { return m_current_folder; }

    // Takes ownership of an object that never got a place, so that it is
    // released with the report. Ignored for null and for an object that
    // already has an owner. The writers do not write unplaced objects.
    void adopt_unplaced(RDB_OBJECT* object);

    // The unplaced objects, in the order they were adopted.
    std::size_t get_number_of_unplaced() const { return m_store.get_number_of_objects(); }
    RDB_OBJECT* get_unplaced(std::size_t index) const { return m_store.get_object(index); }

private:
    RDB_REPORT_STORE m_store;
    RDB_FOLDER_OBJECT* m_main_folder = nullptr;
    RDB_FOLDER_OBJECT* m_current_folder = nullptr;
};
