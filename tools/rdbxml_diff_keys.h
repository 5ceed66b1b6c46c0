// --key of rdbxml diff: read from the command line, and the two ways a key
// that reads well can still be a mistake: it selects no table, or a table
// it selects could not be keyed by it. Each is a usage error, since the
// output would not be what was asked for.
#pragma once

#include <string>
#include <vector>

#include <rdbxml/rdb_diff.h>

class RDB_FOLDER_OBJECT;

// Reads each "PATH : COLUMN, ..." into `keys`; the usage error's reason
// ("--key TEXT: why") for the first that is malformed, else empty.
std::string rdbxml_read_diff_keys(const std::vector<std::string>& texts, std::vector<RDB_DIFF_KEY>& keys);

// Lines for standard error, one per key whose pattern matches no table
// (speed, slack and summary tables count) in either report: before the
// comparison, which would else print its changes first. Empty when each
// selects one.
std::string rdbxml_unmatched_diff_keys(const RDB_FOLDER_OBJECT* old_top, const RDB_FOLDER_OBJECT* new_top,
                                       const std::vector<std::string>& texts, const std::vector<RDB_DIFF_KEY>& keys);

// Lines for standard error, one per key that could not key a table it
// selected, naming the table and why; from what the comparison counted.
std::string rdbxml_unusable_diff_keys(const std::vector<std::string>& texts, const RDB_DIFF_TOTALS& totals);
