// --select patterns that match nothing at all. A pattern that misses in
// some files is only worth a warning there; one that misses in every
// report read is a mistake on the command line (a typo in a CI job would
// else select nothing and pass), decided once every input has been read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class RDB_FOLDER_OBJECT;
class RDB_PATH_SELECTION;

// Sets `matches` to the objects each pattern of `selection` (made of
// `patterns`) matched in the report read from `file`; returns a warning
// line for each pattern that matched none there (none when `quiet`).
std::string rdbxml_select_matches(const RDB_PATH_SELECTION& selection, const std::vector<std::string>& patterns,
                                  const std::string& file, bool quiet, std::vector<std::size_t>& matches);

// Adds to `matches` (one count per pattern, sized to `patterns` at the
// first report) the objects each pattern matches at or below `top`; a
// report without a main folder (null) counts as one where nothing matched.
void rdbxml_count_select_matches(const RDB_FOLDER_OBJECT* top, const std::vector<std::string>& patterns,
                                 std::vector<std::size_t>& matches);

// One line for standard error per pattern that matched nothing, after
// `tool` ("rdbxml", "rdbxml diff"), the pattern escaped as report text is:
// "rdbxml: --select PATTERN matches no object in any file". Empty when
// every pattern matched something, or when no report was read (`matches`
// empty): then the files' own errors say what went wrong.
std::string rdbxml_unmatched_selections(const char* tool, const std::vector<std::string>& patterns,
                                        const std::vector<std::size_t>& matches, const char* where);
