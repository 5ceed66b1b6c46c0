#include "rdbxml_select.h"

#include <rdbxml/rdb_select.h>
#include "rdbxml_parse.h"

void rdbxml_count_select_matches(const RDB_FOLDER_OBJECT* top, const std::vector<std::string>& patterns,
                                 std::vector<std::size_t>& matches)
{
    matches.resize(patterns.size(), 0);
    if (top == nullptr || patterns.empty())
        return;
    RDB_PATH_SELECTION selection(*top, std::vector<RDB_PATH_PATTERN>(patterns.begin(), patterns.end()));
    for (std::size_t p = 0; p < patterns.size(); ++p)
        matches[p] += selection.get_match_counts()[p];
}

std::string rdbxml_select_matches(const RDB_PATH_SELECTION& selection, const std::vector<std::string>& patterns,
                                  const std::string& file, bool quiet, std::vector<std::size_t>& matches)
{
    std::string warnings;
    matches.assign(patterns.size(), 0);
    for (std::size_t p = 0; p < patterns.size(); ++p) {
        matches[p] = selection.get_match_counts()[p];
        if (matches[p] == 0 && !quiet)
            warnings += rdbxml_file_message(file, "warning", "--select " + patterns[p] + " matches no object");
    }
    return warnings;
}

std::string rdbxml_unmatched_selections(const char* tool, const std::vector<std::string>& patterns,
                                        const std::vector<std::size_t>& matches, const char* where)
{
    std::string lines;
    for (std::size_t p = 0; p < matches.size() && p < patterns.size(); ++p)
        if (matches[p] == 0)
            lines += rdbxml_tool_message(tool, "--select " + patterns[p] + " matches no object " + where);
    return lines;
}
