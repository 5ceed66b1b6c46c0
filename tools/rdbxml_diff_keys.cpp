#include "rdbxml_diff_keys.h"

#include <string_view>

#include <rdbxml/rdb_folder.h>
#include <rdbxml/rdb_path.h>
#include <rdbxml/rdb_table.h>
#include "rdbxml_parse.h"

namespace {

const char* const TOOL = "rdbxml diff";

// Adds to `matched` (one flag per key) the keys that select a table at or
// below `top`. Each pattern is advanced a step at a time down the tree, so
// that a table costs its own step and not its whole path: a deep folder
// chain with a table at every level stays linear.
void mark_matched(const RDB_FOLDER_OBJECT* top, const std::vector<RDB_DIFF_KEY>& keys, std::vector<bool>& matched)
{
    if (top == nullptr)
        return;
    std::vector<RDB_PATH_PATTERN::PROGRESS> before_top(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k)
        keys[k].m_pattern.start(before_top[k]);
    // progress[level][k]: where key k stands after the steps down to `level`.
    std::vector<std::vector<RDB_PATH_PATTERN::PROGRESS>> progress;
    RDB_PATH_CURSOR cursor(*top);
    while (cursor.next()) {
        std::size_t level = cursor.level();
        if (progress.size() <= level)
            progress.resize(level + 1, std::vector<RDB_PATH_PATTERN::PROGRESS>(keys.size()));
        std::string_view step = std::string_view(cursor.path()).substr(cursor.step_start());
        bool table = dynamic_cast<const RDB_TABLE_OBJECT*>(&cursor.object()) != nullptr;
        for (std::size_t k = 0; k < keys.size(); ++k) {
            keys[k].m_pattern.advance(level == 0 ? before_top[k] : progress[level - 1][k], step, progress[level][k]);
            if (table && keys[k].m_pattern.accepts(progress[level][k]))
                matched[k] = true;
        }
    }
}

}  // namespace

std::string rdbxml_read_diff_keys(const std::vector<std::string>& texts, std::vector<RDB_DIFF_KEY>& keys)
{
    keys.clear();
    for (const std::string& text : texts) {
        RDB_DIFF_KEY key;
        std::string error;
        if (!rdb_diff_read_key(text, key, error))
            return "--key " + text + ": " + error;
        keys.push_back(std::move(key));
    }
    return std::string();
}

std::string rdbxml_unmatched_diff_keys(const RDB_FOLDER_OBJECT* old_top, const RDB_FOLDER_OBJECT* new_top,
                                       const std::vector<std::string>& texts, const std::vector<RDB_DIFF_KEY>& keys)
{
    if (keys.empty())
        return std::string();
    std::vector<bool> matched(keys.size(), false);
    mark_matched(old_top, keys, matched);
    mark_matched(new_top, keys, matched);
    std::string lines;
    for (std::size_t k = 0; k < keys.size(); ++k)
        if (!matched[k])
            lines += rdbxml_tool_message(TOOL, "--key " + texts[k] + ": matches no table in either report");
    return lines;
}

std::string rdbxml_unusable_diff_keys(const std::vector<std::string>& texts, const RDB_DIFF_TOTALS& totals)
{
    std::string lines;
    for (std::size_t k = 0; k < totals.m_keys.size() && k < texts.size(); ++k) {
        const RDB_DIFF_TOTALS::KEY_USE& use = totals.m_keys[k];
        if (!use.m_unusable_path.empty())
            lines += rdbxml_tool_message(TOOL, "--key " + texts[k] + ": cannot key " + use.m_unusable_path + ": " +
                                                   use.m_unusable_reason + "; its rows were aligned by content");
    }
    return lines;
}
