// Reading an index back for the tests: rows as text, and reports written
// into a scratch directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rdb_index.h"

// Every row `sql` gives, one line each, its values joined by '|' (NULL as
// "NULL", reals as %.17g), in the order the query gives.
std::vector<std::string> index_rows(const std::string& db, const std::string& sql);
// One value, or "" when the query gives no row.
std::string index_value(const std::string& db, const std::string& sql);

// Every table of the index, each row as above with its run named by its
// file rather than its id, sorted; without runs.indexed_at. Two databases
// that hold the same runs give the same lines.
std::vector<std::string> index_contents(const std::string& db);

// Writes `content` to `path`; its modification time set to `mtime_ns`
// (since the epoch) when that is not negative.
void index_write_file(const std::string& path, const std::string& content, std::int64_t mtime_ns = -1);

// A report with a slack table of the given slack cells (as written in the
// file, e.g. "<delay>-120</delay><display_option>ns</display_option>"), a
// summary with one gauge of `used` out of 100, and a chart.
std::string index_report(const std::vector<std::string>& slacks, long used);

// Indexes `files` (as given, labels and times of the files) into the
// database at `db`; the outcomes told, in order.
std::vector<RDB_INDEX_OUTCOME> index_files(const std::string& db, const std::vector<std::string>& files,
                                           unsigned threads = 1, bool cells = false);
