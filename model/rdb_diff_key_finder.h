// Which RDB_DIFF_KEY of the options keys a table: the first whose pattern
// selects the table's path as the comparison knows it (RDB_DIFF_PATHS).
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include <rdbxml/rdb_diff.h>
#include "rdb_diff_paths.h"

class RDB_DIFF_KEY_FINDER {
public:
    static constexpr std::size_t NONE = static_cast<std::size_t>(-1);

    explicit RDB_DIFF_KEY_FINDER(const std::vector<RDB_DIFF_KEY>& keys) : m_keys(keys) {}

    // The index in the keys of the first that selects `node`, NONE when
    // none does. The patterns are matched a step at a time and where they
    // stand is kept for the folders above the node, so that a chain of
    // folders costs each folder's own step once, however deep it is.
    std::size_t find(const RDB_DIFF_PATHS& paths, RDB_DIFF_PATHS::NODE node);

private:
    typedef std::vector<RDB_PATH_PATTERN::PROGRESS> PROGRESSES;  // one per key

    const std::vector<RDB_DIFF_KEY>& m_keys;
    std::unordered_map<RDB_DIFF_PATHS::NODE, PROGRESSES> m_above;  // of the folders above a node found
};
