// RDB_FOLDER_OBJECT: an ordered list of report objects that it owns.
#pragma once

#include <cstddef>
#include <vector>

#include "rdb_object.h"

class RDB_FOLDER_OBJECT : public RDB_OBJECT {
    RDB_MEMORY_MANAGED

    explicit RDB_FOLDER_OBJECT(const STL_STRING& name);
    // Releases every object of the folder, nested folders included. The
    // release walks the tree with a work list, not by recursion, so a deep
    // folder chain cannot exhaust the stack.
    ~RDB_FOLDER_OBJECT() override;

    // Appends `object` and takes ownership of it. Refuses, taking nothing
    // and returning false: null; an object that already has an owner; the
    // report's store; the folder itself; a folder that holds this folder at
    // any depth (placing it would make a cycle); and any object when no
    // memory is left for the list entry.
    virtual bool add_object_to_list(RDB_OBJECT* object);

    std::size_t get_number_of_objects() const { return m_objects.size(); }
    // Null when `index` is out of range.
    RDB_OBJECT* get_object(std::size_t index) const
    {
        return index < m_objects.size() ? m_objects[index] : nullptr;
    }

    RDB_FOLDER_OBJECT* dynamic_cast_to_RDB_FOLDER_OBJECT() override { return this; }
    const char* get_kind() const override { return "folder"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

protected:
    friend class RDB_REPORT;
    // Removes the entry of `object` without releasing it; false when absent.
    bool remove_object(RDB_OBJECT* object);
    // Makes room for one more entry, so that the next add cannot run out of
    // memory; false when there is none.
    bool reserve_entry();

private:
    std::vector<RDB_OBJECT*> m_objects;
};
