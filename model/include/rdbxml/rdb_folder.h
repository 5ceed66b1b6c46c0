// RDB_FOLDER_OBJECT: an ordered list of report objects that it owns.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include <rdbxml/gen_pointer_range.h>
#include <rdbxml/rdb_object.h>

class RDB_FOLDER_OBJECT : public RDB_OBJECT {
    RDB_MEMORY_MANAGED

    explicit RDB_FOLDER_OBJECT(const STL_STRING& name);
    // Releases every object of the folder, nested folders included. The
    // release walks the tree with a work list, not by recursion, so a deep
    // folder chain cannot exhaust the stack.
    ~RDB_FOLDER_OBJECT() override;

    // Appends `object`. True: the folder owns it from now on and releases
    // it with itself.
    // False, a refusal: nothing changed, the object is neither kept nor
    // released and stays with whoever had it. Refused are null; an object
    // that already has an owner; the report's store; any object that
    // would_make_cycle names; and any object when no memory is left for the
    // list entry. Only a folder that holds objects can make a cycle, so only
    // for one is the chain of owners above this folder walked.
    virtual bool add_object_to_list(RDB_OBJECT* object);

    // As add_object_to_list, for a caller that keeps the root of this
    // folder's tree (the last of its chain of owners; this folder when it
    // has none) or is adding no folder (`root` null): `object` has no owner,
    // so it roots a tree of its own, and makes a cycle exactly when it is
    // that root. Nothing walks the chain of owners. `root` must be exact: a
    // wrong one lets a cycle through.
    bool add_object_below_root(RDB_OBJECT* object, const RDB_OBJECT* root);

    // True when adding `object` here would place a folder inside itself:
    // `object` is this folder, or a folder holding it at any depth. Tells a
    // caller whose add was refused a cycle from a lack of memory.
    bool would_make_cycle(const RDB_OBJECT* object) const;

    std::size_t get_number_of_objects() const { return m_objects.size(); }
    // Null when `index` is out of range.
    RDB_OBJECT* get_object(std::size_t index) { return index < m_objects.size() ? m_objects[index] : nullptr; }
    const RDB_OBJECT* get_object(std::size_t index) const
    {
        return index < m_objects.size() ? m_objects[index] : nullptr;
    }

    // The objects in order: `for (const RDB_OBJECT* object : folder.objects())`.
    GEN_POINTER_RANGE<const RDB_OBJECT*, RDB_OBJECT*> objects() const { return {m_objects.data(), m_objects.size()}; }
    GEN_POINTER_RANGE<RDB_OBJECT*, RDB_OBJECT*> objects() { return {m_objects.data(), m_objects.size()}; }

    // Releases every object for which `drop` is true (a folder with all it
    // holds); the others stay, in order. Allocates nothing.
    void release_objects(const std::function<bool(const RDB_OBJECT&)>& drop);

    RDB_FOLDER_OBJECT* dynamic_cast_to_RDB_FOLDER_OBJECT() override { return this; }
    const char* get_kind() const override { return "folder"; }
    void accept(RDB_OBJECT_VISITOR& visitor) const override;

protected:
    friend class RDB_REPORT;
    // Removes the entry of `object` without releasing it; false when absent.
    // The search starts at the newest entry, where the report finds the
    // folders it moves out of its store.
    bool remove_object(RDB_OBJECT* object);
    // Makes room for one more entry, so that the next add cannot run out of
    // memory; false when there is none. The room grows by doubling, so a
    // reservation before every add keeps adds O(1) amortised.
    bool reserve_entry();

private:
    // Appends `object`, which may be placed here, and takes it over.
    bool append(RDB_OBJECT* object);

    std::vector<RDB_OBJECT*> m_objects;
};
