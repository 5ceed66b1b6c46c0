// Reading `--key 'PATH : COLUMN, COLUMN'`: split as rules are split
// (rdb_rule.h), so that a path or a column reads the same in both.
#include <rdbxml/rdb_diff.h>

#include "rdb_escaped_text.h"

bool rdb_diff_read_key(std::string_view text, RDB_DIFF_KEY& key, std::string& error)
{
    key.m_columns.clear();
    std::string_view path, columns;
    if (!rdb_rule_split(text, path, columns)) {
        error = "no ' : ' between the path and the columns";
        return false;
    }
    if (path.empty()) {
        error = "no path before ' : '";
        return false;
    }
    key.m_pattern = RDB_PATH_PATTERN(path);
    if (!key.m_pattern.is_valid()) {
        error = key.m_pattern.get_error();
        return false;
    }
    RDB_ESCAPED_TEXT scan(columns);
    if (scan.dangles()) {
        error = RDB_DANGLING_BACKSLASH;
        return false;
    }
    for (std::size_t begin = 0; begin <= scan.size();) {
        std::size_t end = scan.find(',', begin, scan.size());
        std::size_t name_begin = begin, name_end = end;
        scan.trim(name_begin, name_end);
        if (name_begin == name_end) {
            error = key.m_columns.empty() && end == scan.size() ? "no column after ' : '"
                                                                : "an empty column between commas (write \\, for a comma in a title)";
            return false;
        }
        key.m_columns.push_back(scan.unescaped(name_begin, name_end));
        begin = end + 1;
    }
    error.clear();
    return true;
}
