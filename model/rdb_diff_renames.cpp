#include "rdb_diff_renames.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <rdbxml/rdb_visitor.h>
#include "rdb_diff_emitter.h"
#include "rdb_diff_rows.h"

namespace {

typedef std::vector<std::uint64_t> ROW_HASHES;

std::uint64_t hash_of(const std::string& text) { return std::hash<std::string_view>()(text); }

// Each row's (point's) contents as the comparison compares them
// (rdb_diff_row_hash, rdb_diff_point_content), hashed, and sorted so that two objects' rows are
// compared as multisets in one pass. A gauges object has none here: it is
// a summary's, and goes with its summary.
class ROW_HASHER : public RDB_OBJECT_VISITOR {
public:
    explicit ROW_HASHER(ROW_HASHES& hashes) : m_hashes(hashes) {}

    void visit(const RDB_TABLE_OBJECT& table) override
    {
        for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows(); ++r)
            m_hashes.push_back(rdb_diff_row_hash(*table.get_row(r)));
    }
    void visit(const RDB_CHART_TABLE_OBJECT& chart) override
    {
        for (const RDB_CHART_POINT& point : chart.get_points())
            m_hashes.push_back(hash_of(rdb_diff_point_content(point)));
    }

private:
    ROW_HASHES& m_hashes;
};

// The objects' sorted row hashes, each made once, when first asked for.
class HASH_CACHE {
public:
    explicit HASH_CACHE(const std::vector<RDB_DIFF_OBJECT>& objects)
        : m_objects(objects), m_hashes(objects.size()), m_done(objects.size(), false)
    {
    }

    const ROW_HASHES& of(std::size_t index)
    {
        if (!m_done[index]) {
            m_done[index] = true;
            ROW_HASHER hasher(m_hashes[index]);
            m_objects[index].m_object->accept(hasher);
            std::sort(m_hashes[index].begin(), m_hashes[index].end());
        }
        return m_hashes[index];
    }

private:
    const std::vector<RDB_DIFF_OBJECT>& m_objects;
    std::vector<ROW_HASHES> m_hashes;
    std::vector<bool> m_done;
};

// How many rows two objects have equal, as multisets: the sum over the
// distinct contents of the smaller count.
std::size_t equal_rows(const ROW_HASHES& a, const ROW_HASHES& b)
{
    std::size_t equal = 0;
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i] < b[j]) {
            ++i;
        } else if (b[j] < a[i]) {
            ++j;
        } else {
            ++equal;
            ++i;
            ++j;
        }
    }
    return equal;
}

// The objects only one report has, of one kind in one folder.
struct GROUP {
    std::vector<std::size_t> m_removed;  // indices into the pairs, in document order
    std::size_t m_added_seen = 0;
};

std::string group_key(const RDB_DIFF_PATHS& paths, const RDB_DIFF_OBJECT& object)
{
    RDB_DIFF_PATHS::NODE parent = paths.parent(object.m_node);
    std::string key(reinterpret_cast<const char*>(&parent), sizeof parent);
    key += object.m_object->get_kind();
    return key;
}

// Whether the object may be one side of a rename: not a summary's gauges
// object, which goes with its summary.
bool may_be_renamed(const RDB_DIFF_OBJECT& object) { return !rdb_is_summary_gauges(*object.m_object); }

// The index of `objects[index]`'s gauges object when it is a summary that
// has one, which the walk puts right after it; RDB_DIFF_NO_ITEM otherwise.
std::size_t gauges_after(const std::vector<RDB_DIFF_OBJECT>& objects, std::size_t index)
{
    const auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(objects[index].m_object);
    if (summary == nullptr || summary->get_gauges() == nullptr || index + 1 >= objects.size() ||
        objects[index + 1].m_object != summary->get_gauges())
        return RDB_DIFF_NO_ITEM;
    return index + 1;
}

}  // namespace

std::vector<bool> rdb_diff_renames(const RDB_DIFF_PATHS& paths, const std::vector<RDB_DIFF_OBJECT>& old_objects,
                                   const std::vector<RDB_DIFF_OBJECT>& new_objects, std::vector<RDB_DIFF_PAIR>& pairs)
{
    std::vector<bool> renamed(new_objects.size(), false);
    // Where each object only one report has stands in `pairs`.
    std::vector<std::size_t> removed_at(old_objects.size(), RDB_DIFF_NO_ITEM);
    std::vector<std::size_t> added_at(new_objects.size(), RDB_DIFF_NO_ITEM);
    std::unordered_map<std::string, GROUP> groups;
    bool any_added = false;
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        if (pairs[p].m_new == RDB_DIFF_NO_ITEM) {
            removed_at[pairs[p].m_old] = p;
            if (may_be_renamed(old_objects[pairs[p].m_old]))
                groups[group_key(paths, old_objects[pairs[p].m_old])].m_removed.push_back(p);
        } else if (pairs[p].m_old == RDB_DIFF_NO_ITEM) {
            added_at[pairs[p].m_new] = p;
            any_added = true;
        }
    }
    if (groups.empty() || !any_added)
        return renamed;

    HASH_CACHE old_hashes(old_objects), new_hashes(new_objects);
    std::vector<bool> taken(pairs.size(), false);  // removed entries paired by now
    for (std::size_t p = 0; p < pairs.size(); ++p) {
        if (pairs[p].m_old != RDB_DIFF_NO_ITEM || pairs[p].m_new == RDB_DIFF_NO_ITEM)
            continue;
        std::size_t n = pairs[p].m_new;
        if (!may_be_renamed(new_objects[n]))
            continue;
        auto found = groups.find(group_key(paths, new_objects[n]));
        if (found == groups.end())
            continue;
        GROUP& group = found->second;
        // The added object's place among the added of its group stands for
        // its place in the folder; the candidates are the removed nearest it.
        std::size_t place = std::min(group.m_added_seen++, group.m_removed.size());
        std::size_t first = place > RDB_DIFF_RENAME_CANDIDATES / 2 ? place - RDB_DIFF_RENAME_CANDIDATES / 2 : 0;
        std::size_t last = std::min(group.m_removed.size(), first + RDB_DIFF_RENAME_CANDIDATES);
        first = last > RDB_DIFF_RENAME_CANDIDATES ? std::min(first, last - RDB_DIFF_RENAME_CANDIDATES) : 0;

        const ROW_HASHES& added_rows = new_hashes.of(n);
        std::size_t best = RDB_DIFF_NO_ITEM, best_equal = 0, best_most = 1, best_distance = 0;
        for (std::size_t c = first; c < last; ++c) {
            std::size_t removed = group.m_removed[c];
            if (taken[removed])
                continue;
            const ROW_HASHES& removed_rows = old_hashes.of(pairs[removed].m_old);
            std::size_t most = std::max(added_rows.size(), removed_rows.size());
            std::size_t fewest = std::min(added_rows.size(), removed_rows.size());
            if (most == 0 || fewest * 10 < most * 9)
                continue;  // two empty objects, or too few rows to be 90 % equal
            std::size_t equal = equal_rows(added_rows, removed_rows);
            if (equal * 10 < most * 9)
                continue;
            std::size_t distance = c > place ? c - place : place - c;
            // The larger share equal wins, then the nearer.
            unsigned long long score = static_cast<unsigned long long>(equal) * best_most;
            unsigned long long best_score = static_cast<unsigned long long>(best_equal) * most;
            if (best == RDB_DIFF_NO_ITEM || score > best_score || (score == best_score && distance < best_distance)) {
                best = removed;
                best_equal = equal;
                best_most = most;
                best_distance = distance;
            }
        }
        if (best == RDB_DIFF_NO_ITEM)
            continue;
        taken[best] = true;
        std::size_t o = pairs[best].m_old;
        pairs[p].m_old = o;
        pairs[best].m_old = RDB_DIFF_NO_ITEM;
        renamed[n] = true;
        // A summary's gauges object goes with it.
        std::size_t old_gauges = gauges_after(old_objects, o), new_gauges = gauges_after(new_objects, n);
        if (old_gauges != RDB_DIFF_NO_ITEM && new_gauges != RDB_DIFF_NO_ITEM &&
            removed_at[old_gauges] != RDB_DIFF_NO_ITEM && added_at[new_gauges] != RDB_DIFF_NO_ITEM) {
            pairs[added_at[new_gauges]].m_old = old_gauges;
            pairs[removed_at[old_gauges]].m_old = RDB_DIFF_NO_ITEM;
        }
    }
    return renamed;
}
