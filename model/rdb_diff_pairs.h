// Pairing two lists of items (rows, points, gauges, objects) by key, as the
// report comparison does, in one merged order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <rdbxml/rdb_diff.h>

// An item's index in its list; RDB_DIFF_NO_ITEM on the side without it.
constexpr std::size_t RDB_DIFF_NO_ITEM = SIZE_MAX;

struct RDB_DIFF_PAIR {
    std::size_t m_old;
    std::size_t m_new;
};

// Pairs the items by key when every key is unique within each list
// (RDB_DIFF_MATCH_BY_KEY), else by position (RDB_DIFF_MATCH_BY_POSITION),
// or, with `keyed` false, by position straight away. `pairs` receives every
// item once, in the new list's order, each item only the old list has just
// before the first pair that follows it there.
RDB_DIFF_MATCH rdb_diff_pair(const std::vector<std::string>& old_keys, const std::vector<std::string>& new_keys,
                             bool keyed, std::vector<RDB_DIFF_PAIR>& pairs);
