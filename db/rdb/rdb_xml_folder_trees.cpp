#include "rdb_xml_folder_trees.h"

#include <new>
#include <utility>

#include <rdbxml/rdb_folder.h>
#include "rdb_xml_context.h"

std::size_t RDB_XML_FOLDER_TREES::node(const RDB_FOLDER_OBJECT* folder)
{
    auto found = m_index.emplace(folder, m_nodes.size());
    if (found.second) {
        try {
            m_nodes.push_back(NODE{m_nodes.size(), 1, folder});
        } catch (...) {
            m_index.erase(found.first);
            throw;
        }
    }
    return found.first->second;
}

std::size_t RDB_XML_FOLDER_TREES::representative(std::size_t n)
{
    std::size_t top = n;
    while (m_nodes[top].m_up != top)
        top = m_nodes[top].m_up;
    while (m_nodes[n].m_up != top)
        n = std::exchange(m_nodes[n].m_up, top);
    return top;
}

bool RDB_XML_FOLDER_TREES::prepare(const RDB_FOLDER_OBJECT* folder, const RDB_FOLDER_OBJECT* placed)
{
    try {
        node(folder);
        node(placed);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

const RDB_OBJECT* RDB_XML_FOLDER_TREES::root_of(const RDB_FOLDER_OBJECT* folder)
{
    auto found = m_index.find(folder);
    return found == m_index.end() ? folder : m_nodes[representative(found->second)].m_root;
}

void RDB_XML_FOLDER_TREES::joined(const RDB_FOLDER_OBJECT* placed, const RDB_FOLDER_OBJECT* folder)
{
    std::size_t below = representative(m_index.at(placed));
    std::size_t above = representative(m_index.at(folder));
    const RDB_OBJECT* root = m_nodes[above].m_root;
    if (m_nodes[below].m_size > m_nodes[above].m_size)
        std::swap(below, above);
    m_nodes[below].m_up = above;
    m_nodes[above].m_size += m_nodes[below].m_size;
    m_nodes[above].m_root = root;
}

bool rdb_xml_place_in_folder(RDB_FOLDER_OBJECT* folder, RDB_OBJECT* object)
{
    const RDB_FOLDER_OBJECT* placed = object != nullptr ? object->dynamic_cast_to_RDB_FOLDER_OBJECT() : nullptr;
    if (placed == nullptr)
        return folder->add_object_below_root(object, nullptr);
    RDB_XML_FOLDER_TREES& trees = rdb_xml_context->m_folder_trees;
    if (!trees.prepare(folder, placed))
        rdb_xml_out_of_memory("the folder tree");
    if (!folder->add_object_below_root(object, trees.root_of(folder)))
        return false;
    trees.joined(placed, folder);
    return true;
}

bool rdb_xml_would_make_cycle(RDB_FOLDER_OBJECT* folder, RDB_OBJECT* object)
{
    const RDB_FOLDER_OBJECT* placed = object != nullptr ? object->dynamic_cast_to_RDB_FOLDER_OBJECT() : nullptr;
    return placed != nullptr && rdb_xml_context->m_folder_trees.root_of(folder) == placed;
}
