#include "rdb_diff_pairs.h"

#include <string_view>
#include <unordered_map>

namespace {

typedef std::unordered_map<std::string_view, std::size_t> KEY_INDEX;

// The index of each key; false when a key repeats.
bool index_keys(const std::vector<std::string>& keys, KEY_INDEX& index)
{
    index.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!index.emplace(keys[i], i).second)
            return false;
    return true;
}

void pair_by_position(std::size_t old_count, std::size_t new_count, std::vector<RDB_DIFF_PAIR>& pairs)
{
    for (std::size_t i = 0; i < old_count || i < new_count; ++i)
        pairs.push_back({i < old_count ? i : RDB_DIFF_NO_ITEM, i < new_count ? i : RDB_DIFF_NO_ITEM});
}

}  // namespace

RDB_DIFF_KEYS_STATE rdb_diff_pair_by_key(const std::vector<std::string>& old_keys,
                                         const std::vector<std::string>& new_keys, std::vector<RDB_DIFF_PAIR>& pairs)
{
    pairs.clear();
    KEY_INDEX old_index, new_index;
    if (!index_keys(old_keys, old_index))
        return RDB_DIFF_KEYS_REPEAT_IN_OLD;
    if (!index_keys(new_keys, new_index))
        return RDB_DIFF_KEYS_REPEAT_IN_NEW;
    std::size_t next_old = 0;  // the old items only the old list has, before it, are handed on
    auto removed_up_to = [&](std::size_t end) {
        for (; next_old < end; ++next_old)
            if (new_index.count(old_keys[next_old]) == 0)
                pairs.push_back({next_old, RDB_DIFF_NO_ITEM});
    };
    // For each new item, the old index of the first paired item from it on,
    // so that what was removed there comes before what was added there.
    std::vector<std::size_t> next_paired(new_keys.size() + 1, old_keys.size());
    for (std::size_t n = new_keys.size(); n-- > 0;) {
        auto found = old_index.find(new_keys[n]);
        next_paired[n] = found != old_index.end() ? found->second : next_paired[n + 1];
    }
    for (std::size_t n = 0; n < new_keys.size(); ++n) {
        removed_up_to(next_paired[n]);
        auto found = old_index.find(new_keys[n]);
        pairs.push_back({found != old_index.end() ? found->second : RDB_DIFF_NO_ITEM, n});
    }
    removed_up_to(old_keys.size());
    return RDB_DIFF_KEYS_UNIQUE;
}

RDB_DIFF_MATCH rdb_diff_pair(const std::vector<std::string>& old_keys, const std::vector<std::string>& new_keys,
                             bool keyed, std::vector<RDB_DIFF_PAIR>& pairs)
{
    if (keyed && rdb_diff_pair_by_key(old_keys, new_keys, pairs) == RDB_DIFF_KEYS_UNIQUE)
        return RDB_DIFF_MATCH_BY_KEY;
    pairs.clear();
    pair_by_position(old_keys.size(), new_keys.size(), pairs);
    return RDB_DIFF_MATCH_BY_POSITION;
}

RDB_DIFF_MATCH rdb_diff_align(const std::vector<std::string>& old_contents,
                              const std::vector<std::string>& new_contents, std::size_t cap,
                              std::vector<RDB_DIFF_PAIR>& pairs)
{
    // Numbered once, so that comparing two items costs one comparison.
    std::unordered_map<std::string_view, std::size_t> numbers;
    numbers.reserve(old_contents.size() + new_contents.size());
    auto number = [&](const std::vector<std::string>& contents) {
        std::vector<std::size_t> ids;
        ids.reserve(contents.size());
        for (const std::string& content : contents)
            ids.push_back(numbers.emplace(content, numbers.size()).first->second);
        return ids;
    };
    std::vector<std::size_t> old_ids = number(old_contents);
    std::vector<std::size_t> new_ids = number(new_contents);
    return rdb_diff_align_ids(old_ids, new_ids, cap, pairs);
}
