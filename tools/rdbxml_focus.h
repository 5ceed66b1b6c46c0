// The tool's --where, --sort and --top: the rows of the tables a reader
// asks to see (rdb_focus.h), in the report a job prints.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "rdbxml_job.h"
#include "rdbxml_options.h"

class RDB_FOLDER_OBJECT;
class RDB_PATH_SELECTION;

// Whether any of the three is asked for.
bool rdbxml_focus_asked(const RDBXML_OPTIONS& options);

// Why the three cannot be done as written (a condition that does not
// parse, --sort without a name); empty when they can.
std::string rdbxml_focus_option_error(const RDBXML_OPTIONS& options);

// Focuses the tables at or below `top` (those `selection` keeps, when
// there is one) of the report read from `file`, adding to `result` how
// many tables have --where's and --sort's names. False when the condition
// does not fit a table: the error, naming the file and the table's path,
// is in `result`, which is marked a usage error, and no table changed.
bool rdbxml_focus(RDB_FOLDER_OBJECT& top, const RDBXML_OPTIONS& options, const RDB_PATH_SELECTION* selection,
                  const std::string& file, RDBXML_JOB_RESULT& result);

// One line for standard error for --where and for --sort when no table of
// any report read has its names (`matches` as summed from the results;
// empty, as no report was read, says nothing): a typo that would else show
// every row unsorted.
std::string rdbxml_unmatched_focus(const RDBXML_OPTIONS& options, const std::vector<std::size_t>& matches);
