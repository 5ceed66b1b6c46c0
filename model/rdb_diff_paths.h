// The paths of both reports of a comparison, without a string per object:
// every path is a node in one tree of steps that the two reports share, so
// objects of equal paths have the same node. An object costs its own step;
// a path is spelled out only for an object that has a change to tell.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class RDB_DIFF_PATHS {
public:
    typedef std::size_t NODE;
    // The empty path, above the outermost step.
    static constexpr NODE ROOT = 0;

    RDB_DIFF_PATHS();

    // The node of `parent`'s path with `steps` added: one step, or several
    // joined by '/' as a path writes them.
    NODE extend(NODE parent, std::string_view steps);
    // The path of `node`, as rdb_object_path writes it.
    std::string text(NODE node) const;
    // The node one step up (ROOT for an outermost step), and the last step.
    NODE parent(NODE node) const { return m_nodes[node].m_parent; }
    std::string_view step(NODE node) const { return std::string_view(*m_nodes[node].m_key).substr(sizeof(NODE)); }

private:
    struct ENTRY {
        NODE m_parent;
        const std::string* m_key;  // in m_index: the parent's number, then the step
    };
    static std::string key_of(NODE parent, std::string_view step);

    std::vector<ENTRY> m_nodes;
    std::unordered_map<std::string, NODE> m_index;
};
