// Pairing two lists of items (rows, points, gauges, objects) as the report
// comparison does, in one merged order: by unique keys, or aligned by their
// content as diff(1) aligns lines.
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

// Whether keys were unique enough to pair by them.
enum RDB_DIFF_KEYS_STATE { RDB_DIFF_KEYS_UNIQUE, RDB_DIFF_KEYS_REPEAT_IN_OLD, RDB_DIFF_KEYS_REPEAT_IN_NEW };

// Pairs the items by key when every key is unique within each list; else
// says which list repeats one and leaves `pairs` empty. `pairs` receives
// every item once, in the new list's order, each item only the old list
// has just before the first pair that follows it there.
RDB_DIFF_KEYS_STATE rdb_diff_pair_by_key(const std::vector<std::string>& old_keys,
                                         const std::vector<std::string>& new_keys, std::vector<RDB_DIFF_PAIR>& pairs);

// Pairs the items by key when every key is unique within each list
// (RDB_DIFF_MATCH_BY_KEY), else by position (RDB_DIFF_MATCH_BY_POSITION),
// or, with `keyed` false, by position straight away; in the order above.
RDB_DIFF_MATCH rdb_diff_pair(const std::vector<std::string>& old_keys, const std::vector<std::string>& new_keys,
                             bool keyed, std::vector<RDB_DIFF_PAIR>& pairs);

// Aligns the items by their contents (equal texts are equal items) with
// as few items only one list has as there can be (Myers' O(ND) alignment
// in linear space). The items of each run between two equal pairs pair in
// order, the first removed with the first added, and the surplus of the
// longer side stands alone; in the order above, each run's pairs first,
// then its removed, then its added items. Past `cap` differing items the
// alignment stops: what the edits up to the cap reach stands, the rest of
// both lists is one run (RDB_DIFF_MATCH_REPLACED); else
// RDB_DIFF_MATCH_BY_CONTENT. Time O((N+M)·min(D, cap)), memory O(N+M) for
// lists of N and M items that differ in D.
RDB_DIFF_MATCH rdb_diff_align(const std::vector<std::string>& old_contents,
                              const std::vector<std::string>& new_contents, std::size_t cap,
                              std::vector<RDB_DIFF_PAIR>& pairs);

// The same on items numbered by content: equal numbers, equal items.
RDB_DIFF_MATCH rdb_diff_align_ids(const std::vector<std::size_t>& old_ids, const std::vector<std::size_t>& new_ids,
                                  std::size_t cap, std::vector<RDB_DIFF_PAIR>& pairs);
