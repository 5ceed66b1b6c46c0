#include "rdbxml_focus.h"

#include <rdbxml/rdb_focus.h>
#include <rdbxml/rdb_rule.h>
#include "rdbxml_parse.h"

namespace {

// --sort=-NAME sorts descending.
std::string sort_name(const std::string& sort) { return sort.rfind('-', 0) == 0 ? sort.substr(1) : sort; }

}  // namespace

bool rdbxml_focus_asked(const RDBXML_OPTIONS& options)
{
    return !options.where.empty() || !options.sort.empty() || options.top != 0;
}

std::string rdbxml_focus_option_error(const RDBXML_OPTIONS& options)
{
    if (!options.where.empty()) {
        RDB_CONDITION where(options.where);
        if (!where.is_valid())
            return "--where " + options.where + ": " + where.get_error();
    }
    if (!options.sort.empty() && sort_name(options.sort).empty())
        return "--sort " + options.sort + ": no column name";
    return std::string();
}

bool rdbxml_focus(RDB_FOLDER_OBJECT& top, const RDBXML_OPTIONS& options, const RDB_PATH_SELECTION* selection,
                  const std::string& file, RDBXML_JOB_RESULT& result)
{
    RDB_CONDITION where(options.where);
    RDB_FOCUS focus;
    focus.m_where = options.where.empty() ? nullptr : &where;
    focus.m_sort = sort_name(options.sort);
    focus.m_descending = options.sort.rfind('-', 0) == 0;
    focus.m_top = options.top;
    RDB_FOCUS_OUTCOME outcome = rdb_focus_tables(top, focus, selection);
    if (outcome.m_error.empty()) {
        result.focus_matches = {outcome.m_where_tables, outcome.m_sort_tables};
        return true;
    }
    // Said whatever -q asked: it is what was asked that cannot be done.
    result.err += rdbxml_file_message(file, "error", "--where " + options.where + ": " + outcome.m_error);
    result.usage = true;
    result.ok = false;
    return false;
}

std::string rdbxml_unmatched_focus(const RDBXML_OPTIONS& options, const std::vector<std::size_t>& matches)
{
    std::string lines;
    if (matches.size() < 2)
        return lines;
    if (!options.where.empty() && matches[0] == 0)
        lines += rdbxml_tool_message("rdbxml", "--where " + options.where + " matches no table in any file");
    if (!options.sort.empty() && matches[1] == 0)
        lines += rdbxml_tool_message("rdbxml", "--sort " + options.sort + " matches no table in any file");
    return lines;
}
