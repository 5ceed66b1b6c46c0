#include <rdbxml/rdb_folder.h>

#include <algorithm>
#include <iterator>
#include <new>

#include <rdbxml/rdb_visitor.h>

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

bool RDB_FOLDER_OBJECT::would_make_cycle(const RDB_OBJECT* object) const
{
    if (object == this)
        return true;
    // A folder above this one holds at least the chain down to it: an object
    // that is no folder, or an empty folder, is none of them and needs no walk.
    const RDB_FOLDER_OBJECT* folder = object != nullptr ? object->dynamic_cast_to_RDB_FOLDER_OBJECT() : nullptr;
    if (folder == nullptr || folder->m_objects.empty())
        return false;
    for (const RDB_OBJECT* holder = m_owner; holder != nullptr; holder = holder->m_owner)
        if (holder == object)
            return true;
    return false;
}

bool RDB_FOLDER_OBJECT::add_object_to_list(RDB_OBJECT* object)
{
    if (object == nullptr || object->m_owner != nullptr || !object->m_placeable || would_make_cycle(object))
        return false;
    return append(object);
}

bool RDB_FOLDER_OBJECT::add_object_below_root(RDB_OBJECT* object, const RDB_OBJECT* root)
{
    if (object == nullptr || object->m_owner != nullptr || !object->m_placeable || object == root)
        return false;
    return append(object);
}

bool RDB_FOLDER_OBJECT::append(RDB_OBJECT* object)
{
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
    auto found = std::find(m_objects.rbegin(), m_objects.rend(), object);
    if (found == m_objects.rend())
        return false;
    m_objects.erase(std::next(found).base());
    object->m_owner = nullptr;
    return true;
}

void RDB_FOLDER_OBJECT::release_objects(const std::function<bool(const RDB_OBJECT&)>& drop)
{
    std::size_t kept = 0;
    for (RDB_OBJECT* object : m_objects) {
        if (drop(*object))
            delete object;
        else
            m_objects[kept++] = object;
    }
    m_objects.resize(kept);
}

bool RDB_FOLDER_OBJECT::reserve_entry()
{
    if (m_objects.size() < m_objects.capacity())
        return true;
    try {
        m_objects.reserve(std::max<std::size_t>(2 * m_objects.capacity(), 4));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void RDB_FOLDER_OBJECT::accept(RDB_OBJECT_VISITOR& visitor) const { visitor.visit(*this); }
