// Following values over the runs of an index (`rdbxml trend`): for a
// selector (rdb_rule.h), in each run, in time order (ties by label), the
// value at each stored path it matches (or lies below a folder it matches):
//   - a gauge named NAME: its value and percent; else
//   - a summary row labelled NAME: its text and the number it reads as; else
//   - a statistic (--stat) of the first column headed NAME, delays in
//     picoseconds;
//   - with a row filter, instead: the cell in the first column headed NAME
//     of the first row whose cell in the first column headed COLUMN reads
//     TEXT, among the rows the run stored: every row with cells, else those
//     of a speed table (a slack table keeps its worst row alone, which says
//     nothing of the others).
// Names compare as rules compare them: ignoring ASCII case and surrounding
// blanks. The first of several gauges or rows of a name is the one shown.
// A failed run, and a run that has no such value, is a gap, never a zero.
//
// A few queries per selector, each over all runs at once: their cost
// grows with the rows of the matched paths, not with runs times queries.
#pragma once

#include <string>
#include <vector>

#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_trend.h>

#include "rdb_index.h"

class RDB_INDEX_TREND_QUERY {
public:
    // `db` opened read-only, so that a trend runs while an index writes.
    explicit RDB_INDEX_TREND_QUERY(RDB_INDEX_DB& db) : m_db(db) {}
    // Ends the read that load() began.
    ~RDB_INDEX_TREND_QUERY();
    RDB_INDEX_TREND_QUERY(const RDB_INDEX_TREND_QUERY&) = delete;
    RDB_INDEX_TREND_QUERY& operator=(const RDB_INDEX_TREND_QUERY&) = delete;

    // Reads the runs, in time order, and the paths stored; false with
    // `error` naming the database when it cannot be read. From here on
    // every query sees the database as it was then: a run that an index
    // writes meanwhile is all there or not at all, in every selector alike.
    bool load(std::vector<RDB_TREND_RUN>& runs, std::string& error);

    // What one selector finds.
    struct FOUND {
        RDB_TREND m_trend;
        // Why the selector found nothing in any run (a usage error:
        // nothing to follow); empty when it found something.
        std::string m_unusable;
        // A word on runs where it could not look: empty, or "N runs keep
        // no rows of PATH...; index with --cells to keep every row".
        std::string m_note;
    };
    // Follows `selector` over the runs load() read; false with `error`
    // naming the database when it cannot be read.
    bool follow(const RDB_SELECTOR& selector, RDB_TREND_STAT stat, FOUND& found, std::string& error);

private:
    struct SOURCE;
    bool paths_matching(const RDB_PATH_PATTERN& pattern, std::vector<std::string>& paths) const;

    RDB_INDEX_DB& m_db;
    bool m_reading = false;
    std::vector<long long> m_run_ids;  // in time order
    std::vector<std::string> m_paths;  // each stored path once, in the order first stored
};
