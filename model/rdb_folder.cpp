#include "rdb_folder.h"

#include <algorithm>
#include <new>

#include "rdb_visitor.h"

RDB_MEMORY_MANAGED_DEFINE(RDB_FOLDER_OBJECT)

RDB_FOLDER_OBJECT::RDB_FOLDER_OBJECT(const STL_STRING& name) : RDB_OBJECT(name) {}

RDB_FOLDER_OBJECT::~RDB_FOLDER_OBJECT()
{
    // Each nested folder hands its objects to the work list before it is
    // deleted, so its own destructor finds an empty list.
    std::vector<RDB_OBJECT*> pending;
    pending.swap(m_objects);
    while (!pending.empty()) {
        RDB_OBJECT* object = pending.back();
        pending.pop_back();
        if (RDB_FOLDER_OBJECT* folder = object->dynamic_cast_to_RDB_FOLDER_OBJECT()) {
            try {
                pending.insert(pending.end(), folder->m_objects.begin(), folder->m_objects.end());
                folder->m_objects.clear();
            } catch (const std::bad_alloc&) {
                // No memory for the work list: the folder keeps its objects
                // and its own destructor releases them.
            }
        }
        delete object;
    }
}

bool RDB_FOLDER_OBJECT::add_object_to_list(RDB_OBJECT* object)
{
    if (object == nullptr || object->m_owner != nullptr || !object->m_placeable)
        return false;
    // The object may not be this folder or hold it: walk up from here.
    for (const RDB_OBJECT* holder = this; holder != nullptr; holder = holder->m_owner)
        if (holder == object)
            return false;
    try {
        m_objects.push_back(object);
    } catch (const std::bad_alloc&) {
        return false;
    }
    object->m_owner = this;
    return true;
}

bool RDB_FOLDER_OBJECT::remove_object(RDB_OBJECT* object)
{
    auto found = std::find(m_objects.begin(), m_objects.end(), object);
    if (found == m_objects.end())
        return false;
    m_objects.erase(found);
    object->m_owner = nullptr;
    return true;
}

bool RDB_FOLDER_OBJECT::reserve_entry()
{
    try {
        m_objects.reserve(m_objects.size() + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void RDB_FOLDER_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }
