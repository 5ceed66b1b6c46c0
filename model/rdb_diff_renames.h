// Renamed objects in the report comparison: an object only the old report
// has and one of the same kind only the new one has, in the same folder,
// whose rows (a chart's points) are at least 90 % equal.
#pragma once

#include <cstddef>
#include <vector>

#include "rdb_diff_pairs.h"
#include "rdb_diff_paths.h"

class RDB_OBJECT;

// An object to compare and the node of its path.
struct RDB_DIFF_OBJECT {
    RDB_DIFF_PATHS::NODE m_node;
    const RDB_OBJECT* m_object;
};

// Pairs the renamed objects among the objects `pairs` leaves unpaired (the
// pairs of rdb_diff_pair over `old_objects` and `new_objects`), one to one:
// each added object, in order, takes the unpaired removed candidate of its
// kind and folder whose rows are most alike, the nearest in the folder's
// order on a tie. A renamed object's pair takes the added one's place, and
// the removed one's entry is left with neither side (to be passed over);
// a summary's gauges object follows its summary. Returns, per new object,
// whether it is renamed (a summary's gauges object is not: it is a part of
// its summary).
//
// An added object is weighed against at most RDB_DIFF_RENAME_CANDIDATES
// removed ones, and each object's rows are hashed once, so that the work
// is linear in the rows of both reports.
std::vector<bool> rdb_diff_renames(const RDB_DIFF_PATHS& paths, const std::vector<RDB_DIFF_OBJECT>& old_objects,
                                   const std::vector<RDB_DIFF_OBJECT>& new_objects, std::vector<RDB_DIFF_PAIR>& pairs);

constexpr std::size_t RDB_DIFF_RENAME_CANDIDATES = 8;
