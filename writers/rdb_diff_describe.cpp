#include "rdb_diff_describe.h"

#include <cstring>

#include "rdb_text_escape.h"

namespace {

// The kind as the report tree names it.
const char* kind_name(const char* kind)
{
    if (std::strcmp(kind, "tan_spd_table") == 0)
        return "speed table";
    if (std::strcmp(kind, "tan_slack_table") == 0)
        return "slack table";
    return kind;
}

// What the object's rows are called, "rows", "points" or "gauges", and how
// they were paired.
std::string pairing(const RDB_DIFF_CHANGE& change)
{
    const char* items = "rows";
    const char* key = "by key";
    if (std::strcmp(change.m_object_kind, "chart") == 0) {
        items = "points";
        key = "by label";
    } else if (std::strcmp(change.m_object_kind, "gauges") == 0) {
        items = "gauges";
        key = "by name";
    }
    std::string text = items;
    switch (change.m_match) {
    case RDB_DIFF_MATCH_BY_KEY:
        if (!change.m_key_columns.empty())
            return text + " keyed by " + change.m_key_columns;
        return text + ' ' + key;
    case RDB_DIFF_MATCH_BY_CONTENT: return text + " by content";
    case RDB_DIFF_MATCH_REPLACED: return text + " by content, the rest replaced";
    default: return text + " by position";
    }
}

bool is_text_cell(const char* type)
{
    return type != nullptr && (std::strcmp(type, "string") == 0 || std::strcmp(type, "iname") == 0);
}

// Whether a side's value is text, shown quoted.
bool quoted(const RDB_DIFF_CHANGE& change, bool new_side)
{
    switch (change.m_kind) {
    case RDB_DIFF_OBJECT_FIELD:
        for (const char* plain : {"enabled", "compare", "embedded_type", "chart_type"})
            if (std::strcmp(change.m_field, plain) == 0)
                return false;
        return true;
    case RDB_DIFF_COLUMN_TITLE:
    case RDB_DIFF_OBJECT_RENAMED:
        return true;
    case RDB_DIFF_CELL_VALUE:
    case RDB_DIFF_CELL_KIND:
    case RDB_DIFF_CELL_ADDED:
    case RDB_DIFF_CELL_REMOVED:
        return is_text_cell(new_side ? change.m_new_type : change.m_old_type);
    default:
        return false;
    }
}

bool is_cell_change(RDB_DIFF_KIND kind) { return kind >= RDB_DIFF_CELL_VALUE && kind <= RDB_DIFF_CELL_REMOVED; }

}  // namespace

char rdb_diff_sign(const RDB_DIFF_CHANGE& change)
{
    if (change.m_kind == RDB_DIFF_OBJECT_ADDED || change.m_kind == RDB_DIFF_OBJECT_REMOVED ||
        change.m_has_old != change.m_has_new)
        return change.m_has_new || change.m_kind == RDB_DIFF_OBJECT_ADDED ? '+' : '-';
    return '~';
}

std::string rdb_diff_object(const RDB_DIFF_CHANGE& change)
{
    std::string object;
    rdb_text_append_escaped(object, change.m_path, false);
    object += " (";
    object += kind_name(change.m_object_kind);
    return object + ')';
}

std::string rdb_diff_heading(const RDB_DIFF_CHANGE& change)
{
    std::string heading = rdb_diff_object(change);
    if (change.m_match != RDB_DIFF_MATCH_NONE) {
        heading.pop_back();
        heading += ", ";
        heading += pairing(change);
        heading += ')';
    }
    return heading;
}

std::string rdb_diff_subject(const RDB_DIFF_CHANGE& change)
{
    std::string subject;
    switch (change.m_kind) {
    case RDB_DIFF_OBJECT_ADDED: return "added";
    case RDB_DIFF_OBJECT_REMOVED: return "removed";
    case RDB_DIFF_OBJECT_KIND: return "kind";
    case RDB_DIFF_OBJECT_RENAMED: return "renamed";
    case RDB_DIFF_OBJECT_FIELD: return change.m_field;
    case RDB_DIFF_COLUMN_TITLE: return "title of column " + std::to_string(change.m_column + 1);
    case RDB_DIFF_GAUGE_ADDED:
    case RDB_DIFF_GAUGE_REMOVED:
    case RDB_DIFF_GAUGE_FIELD:
        subject = "gauge ";
        rdb_text_append_quoted(subject, change.m_key);
        break;
    case RDB_DIFF_POINT_ADDED:
    case RDB_DIFF_POINT_REMOVED:
    case RDB_DIFF_POINT_VALUE:
        subject = "point ";
        rdb_text_append_quoted(subject, change.m_key);
        break;
    default:  // rows and cells
        subject = "row ";
        if (change.m_match == RDB_DIFF_MATCH_BY_KEY)
            rdb_text_append_quoted(subject, change.m_key);
        else
            subject += std::to_string(change.m_index);
    }
    if (is_cell_change(change.m_kind)) {
        subject += ", column ";
        if (change.m_column_title.empty())
            subject += std::to_string(change.m_column + 1);
        else
            rdb_text_append_quoted(subject, change.m_column_title);
    }
    if (change.m_kind == RDB_DIFF_CELL_UNIT)
        subject += ", unit";
    else if (change.m_kind == RDB_DIFF_CELL_KIND)
        subject += ", kind";
    if (*change.m_field != '\0') {
        subject += ", ";
        subject += change.m_field;
    }
    return subject;
}

std::string rdb_diff_value(const RDB_DIFF_CHANGE& change, bool new_side)
{
    if (change.m_kind == RDB_DIFF_OBJECT_ADDED || change.m_kind == RDB_DIFF_OBJECT_REMOVED)
        return std::string();
    if (!(new_side ? change.m_has_new : change.m_has_old))
        return "(none)";
    std::string value;
    if (change.m_kind == RDB_DIFF_CELL_KIND) {
        value = new_side ? change.m_new_type : change.m_old_type;
        value += ' ';
    }
    const std::string& text = new_side ? change.m_new : change.m_old;
    if (quoted(change, new_side))
        rdb_text_append_quoted(value, text);
    else
        rdb_text_append_escaped(value, text, false);
    return value;
}

std::string rdb_diff_difference(const RDB_DIFF_CHANGE& change)
{
    if (!change.m_has_difference)
        return std::string();
    std::string text = change.m_difference > 0 ? "+" : "";
    text += std::to_string(change.m_difference);
    return change.m_difference_in_ps ? text + " ps" : text;
}

std::string rdb_diff_line(const RDB_DIFF_CHANGE& change, const RDB_DIFF_MARKS& marks)
{
    std::string line = rdb_diff_subject(change);
    if (change.m_kind == RDB_DIFF_OBJECT_ADDED || change.m_kind == RDB_DIFF_OBJECT_REMOVED)
        return line;
    line += ": ";
    auto value = [&](bool new_side) {
        line += new_side ? marks.m_new_on : marks.m_old_on;
        line += rdb_diff_value(change, new_side);
        line += marks.m_off;
    };
    if (change.m_has_old && change.m_has_new) {
        value(false);
        line += " -> ";
        value(true);
    } else {
        value(change.m_has_new);
    }
    std::string difference = rdb_diff_difference(change);
    return difference.empty() ? line : line + " (" + difference + ")";
}
