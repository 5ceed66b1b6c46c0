#include "rdb_diff_paths.h"

#include <rdbxml/rdb_path.h>

RDB_DIFF_PATHS::RDB_DIFF_PATHS() { m_nodes.push_back(ENTRY{ROOT, nullptr}); }

std::string RDB_DIFF_PATHS::key_of(NODE parent, std::string_view step)
{
    std::string key(reinterpret_cast<const char*>(&parent), sizeof parent);
    key.append(step.data(), step.size());
    return key;
}

RDB_DIFF_PATHS::NODE RDB_DIFF_PATHS::extend(NODE parent, std::string_view steps)
{
    NODE node = parent;
    for (std::string_view step : rdb_path_steps(steps)) {
        auto found = m_index.emplace(key_of(node, step), m_nodes.size());
        if (found.second)
            m_nodes.push_back(ENTRY{node, &found.first->first});
        node = found.first->second;
    }
    return node;
}

std::string RDB_DIFF_PATHS::text(NODE node) const
{
    std::vector<std::string_view> steps;
    for (; node != ROOT; node = m_nodes[node].m_parent)
        steps.push_back(step(node));
    std::string path;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        if (step != steps.rbegin())
            path += '/';
        path.append(step->data(), step->size());
    }
    return path;
}
