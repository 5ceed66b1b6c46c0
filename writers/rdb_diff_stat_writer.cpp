#include <rdbxml/rdb_diff_writer.h>

#include <algorithm>
#include <cstring>
#include <ostream>

#include "rdb_diff_describe.h"
#include "rdb_text_escape.h"

namespace {

std::string counted(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

}  // namespace

void RDB_DIFF_STAT_WRITER::add(const RDB_DIFF_CHANGE& change)
{
    if (m_objects.empty() || m_objects.back().m_path != change.m_path ||
        std::strcmp(m_objects.back().m_kind, change.m_object_kind) != 0) {
        m_objects.emplace_back();
        m_objects.back().m_name = rdb_diff_object(change);
        m_objects.back().m_path = change.m_path;
        m_objects.back().m_kind = change.m_object_kind;
    }
    OBJECT& object = m_objects.back();
    switch (change.m_kind) {
    case RDB_DIFF_OBJECT_ADDED: object.m_whole = '+'; return;
    case RDB_DIFF_OBJECT_REMOVED: object.m_whole = '-'; return;
    case RDB_DIFF_OBJECT_RENAMED:
        object.m_renamed_from.clear();
        rdb_text_append_quoted(object.m_renamed_from, change.m_old);
        return;
    default: break;
    }
    char sign = rdb_diff_sign(change);
    ++(sign == '+' ? object.m_added : sign == '-' ? object.m_removed : object.m_changed);
}

void RDB_DIFF_STAT_WRITER::finish(std::ostream& out, std::size_t style_only) const
{
    if (m_objects.empty())
        return;
    std::size_t width = 0;
    for (const OBJECT& object : m_objects)
        width = std::max(width, rdb_text_display_width(object.m_name));
    std::size_t added = 0, removed = 0, renamed = 0, changes = 0;
    std::string line;
    for (const OBJECT& object : m_objects) {
        line = ' ' + object.m_name;
        line.append(width - rdb_text_display_width(object.m_name), ' ');
        line += " |";
        std::size_t inside = object.m_changed + object.m_added + object.m_removed;
        changes += inside;
        added += object.m_whole == '+';
        removed += object.m_whole == '-';
        renamed += !object.m_renamed_from.empty();
        if (object.m_whole != 0)
            line += object.m_whole == '+' ? " added" : " removed";
        if (inside != 0) {
            line += ' ' + std::to_string(inside);
            for (const auto& part : {std::make_pair('~', object.m_changed), std::make_pair('+', object.m_added),
                                     std::make_pair('-', object.m_removed)})
                if (part.second != 0)
                    line += std::string(" ") + part.first + std::to_string(part.second);
        }
        if (!object.m_renamed_from.empty())
            line += (inside != 0 ? ", renamed from " : " renamed from ") + object.m_renamed_from;
        line += '\n';
        out << line;
    }
    out << counted(m_objects.size(), "object", "objects") << " changed: " << added << " added, " << removed
        << " removed, " << renamed << " renamed, " << counted(changes, "change", "changes");
    if (style_only != 0)
        out << " (" << style_only << " style-only not listed)";
    out << '\n';
}
