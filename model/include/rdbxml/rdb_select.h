// Selecting part of a report by object paths (rdb_path.h): what the tool's
// --select keeps, and what a host narrows a report to.
#pragma once

#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include <rdbxml/rdb_path.h>

class RDB_FOLDER_OBJECT;
class RDB_OBJECT;
class RDB_REPORT;

// The objects at or below a folder that a list of patterns selects, with
// the paths they have in the whole report. An object is kept when its path
// matches a pattern, when it lies below a kept match (the objects of a
// selected folder, the gauges of a selected summary), or when a kept object
// lies below it (the folders on the way, so that paths stay readable).
class RDB_PATH_SELECTION {
public:
    RDB_PATH_SELECTION(const RDB_FOLDER_OBJECT& top, const std::vector<RDB_PATH_PATTERN>& patterns);

    bool keeps(const RDB_OBJECT& object) const { return m_kept.count(&object) != 0; }
    // Calls `visit` for each kept object with its path, in the order of
    // rdb_walk_paths; holds the current path alone.
    void walk_kept(const RDB_PATH_VISITOR& visit) const;
    // The kept objects with their paths, in the order of rdb_walk_paths:
    // made at the first call, and a path for every kept object (for a deep
    // folder chain, the sum of all their depths: walk_kept holds one).
    const std::vector<RDB_PATH_MATCH>& get_kept() const;
    // For each pattern, in order, how many objects its path matched.
    const std::vector<std::size_t>& get_match_counts() const { return m_counts; }

private:
    const RDB_FOLDER_OBJECT& m_top;
    std::unordered_set<const RDB_OBJECT*> m_kept;
    std::vector<std::size_t> m_counts;
    mutable std::once_flag m_listed;
    mutable std::vector<RDB_PATH_MATCH> m_list;
};

// Releases from the tree below `top` every object `selection` (made for
// that tree) does not keep. The paths of what stays may change: a second
// "x" becomes "x" when the first goes.
// A report's current folder is not told: rdb_prune_report forgets it when
// it goes.
void rdb_prune_to_selection(RDB_FOLDER_OBJECT& top, const RDB_PATH_SELECTION& selection);

// Narrows the main folder's tree of `report` to `selection` (made for that
// tree). A current folder inside the tree that goes is forgotten (none is
// current then); the unplaced objects stay.
void rdb_prune_report(RDB_REPORT& report, const RDB_PATH_SELECTION& selection);
