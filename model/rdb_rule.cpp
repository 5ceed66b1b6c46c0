// Reading rules and conditions as rdb_rule.h writes their grammar. The
// text is read once to mark its backslashes, and every later step works on
// stretches of it, so that an escaped character never counts as a
// separator, an operator or a bracket, and trimming never removes a blank
// that a backslash kept.
#include <rdbxml/rdb_rule.h>

#include <cstring>

#include "rdb_escaped_text.h"
#include "rdb_rule_text.h"

namespace {

struct OP_TEXT {
    const char* m_text;
    RDB_RULE_OP m_op;
};
const OP_TEXT RDB_OPS[] = {
    {"<", RDB_RULE_LT}, {"<=", RDB_RULE_LE}, {">", RDB_RULE_GT},
    {">=", RDB_RULE_GE}, {"==", RDB_RULE_EQ}, {"!=", RDB_RULE_NE},
};

// The operator that the unescaped run [begin, end) is, if it is one.
bool read_op(const RDB_ESCAPED_TEXT& text, std::size_t begin, std::size_t end, RDB_RULE_OP& op)
{
    for (std::size_t i = begin; i < end; ++i)
        if (!text.plain(i))
            return false;
    std::string_view run = text.text().substr(begin, end - begin);
    for (const OP_TEXT& candidate : RDB_OPS)
        if (run == candidate.m_text) {
            op = candidate.m_op;
            return true;
        }
    return false;
}

struct UNIT_TEXT {
    const char* m_text;  // lower case
    RDB_RULE_UNIT m_unit;
};
const UNIT_TEXT RDB_UNITS[] = {
    {"ps", RDB_UNIT_PS},   {"ns", RDB_UNIT_NS},   {"us", RDB_UNIT_US},
    {"mhz", RDB_UNIT_MHZ}, {"ghz", RDB_UNIT_GHZ}, {"%", RDB_UNIT_PERCENT},
};

// Whether `text` ends in `suffix` (lower case), ignoring ASCII case.
bool ends_with_ignoring_case(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    std::string_view tail = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (gen_ascii_lower(tail[i]) != suffix[i])
            return false;
    return true;
}

// VALUE as a NUMBER with an optional unit; false for a TEXT.
bool read_value(std::string_view value, double& number, RDB_RULE_UNIT& unit)
{
    for (const UNIT_TEXT& candidate : RDB_UNITS) {
        std::size_t length = std::strlen(candidate.m_text);
        if (ends_with_ignoring_case(value, candidate.m_text) &&
            rdb_read_number(value.substr(0, value.size() - length), number)) {
            unit = candidate.m_unit;
            return true;
        }
    }
    unit = RDB_UNIT_NONE;
    return rdb_read_number(value, number);
}

std::string_view path_part(std::string_view rule)
{
    std::string_view path, rest;
    rdb_rule_split(rule, path, rest);
    return path;
}

std::string_view condition_part(std::string_view rule)
{
    std::string_view path, rest;
    rdb_rule_split(rule, path, rest);
    return rest;
}

// Where the last run between blanks (or an end) that is an operator
// begins, with the operator and where it ends; npos when there is none.
std::size_t find_last_op(const RDB_ESCAPED_TEXT& scan, RDB_RULE_OP& op, std::size_t& op_end)
{
    std::size_t op_begin = std::string_view::npos;
    for (std::size_t i = 0; i < scan.size();) {
        if (scan.plain_blank(i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < scan.size() && !scan.plain_blank(end))
            ++end;
        RDB_RULE_OP found = RDB_RULE_EQ;
        if (read_op(scan, i, end, found)) {
            op = found;
            op_begin = i;
            op_end = end;
        }
        i = end;
    }
    return op_begin;
}

// Reads NAME [ROW-FILTER] from [begin, end) of `scan`: why it does not
// parse, or empty. `where` ends the messages that say where a part is
// missing.
std::string read_named_column(const RDB_ESCAPED_TEXT& scan, std::size_t begin, std::size_t end, const char* where,
                              std::string& name, bool& has_filter, std::string& filter_column,
                              std::string& filter_text)
{
    std::size_t name_begin = begin;
    std::size_t name_end = end;
    scan.trim(name_begin, name_end);
    if (name_end > name_begin && scan.plain(name_end - 1, ']')) {
        std::size_t open = name_end - 1;
        while (open > name_begin && !scan.plain(open - 1, '['))
            --open;
        if (open == name_begin)
            return std::string("']' without '['") + where + " (write \\] for a bracket in a name)";
        std::size_t filter_begin = open;  // just after the '['
        std::size_t filter_end = name_end - 1;
        std::size_t equals = scan.find('=', filter_begin, filter_end);
        if (equals == filter_end)
            return "row filter without '='";
        std::size_t column_begin = filter_begin;
        std::size_t column_end = equals;
        scan.trim(column_begin, column_end);
        if (column_begin == column_end)
            return "no column before '=' in the row filter";
        std::size_t filter_text_begin = equals + 1;
        scan.trim(filter_text_begin, filter_end);
        has_filter = true;
        filter_column = scan.unescaped(column_begin, column_end);
        filter_text = scan.unescaped(filter_text_begin, filter_end);
        name_end = open - 1;
        scan.trim(name_begin, name_end);
    }
    for (std::size_t i = name_begin; i < name_end; ++i)
        if (scan.plain(i, '[') || scan.plain(i, ']'))
            return "a bracket in the name that starts no row filter (write \\[ or \\] for a bracket in a name)";
    if (name_begin == name_end)
        return std::string("no name") + where;
    name = scan.unescaped(name_begin, name_end);
    return std::string();
}

// Why the PATH of `text`, read as `path` and `pattern`, cannot be used;
// empty when it can.
std::string path_error(std::string_view text, const std::string& path, const RDB_PATH_PATTERN& pattern)
{
    std::string_view before, rest;
    if (!rdb_rule_split(text, before, rest))
        return "no ' : ' between the path and the name";
    if (path.empty())
        return "no path before ' : '";
    if (!pattern.is_valid())
        return pattern.get_error();
    return std::string();
}

}  // namespace

RDB_CONDITION::RDB_CONDITION(std::string_view text) : m_text(text)
{
    RDB_ESCAPED_TEXT scan(text);
    if (scan.dangles()) {
        m_error = RDB_DANGLING_BACKSLASH;
        return;
    }

    std::size_t op_end = 0;
    std::size_t op_begin = find_last_op(scan, m_op, op_end);
    if (op_begin == std::string_view::npos) {
        m_error = "no operator (<, <=, >, >=, ==, !=) between spaces";
        return;
    }

    // VALUE
    std::size_t value_begin = op_end;
    std::size_t value_end = scan.size();
    scan.trim(value_begin, value_end);
    if (value_begin == value_end) {
        m_error = "no value after the operator";
        return;
    }
    m_value_text = scan.unescaped(value_begin, value_end);
    m_is_number = read_value(m_value_text, m_number, m_unit);
    if (!m_is_number && m_op != RDB_RULE_EQ && m_op != RDB_RULE_NE) {
        m_error = "'" + m_value_text + "' is not a number: only == and != compare texts";
        return;
    }

    // NAME [ROW-FILTER]
    m_error = read_named_column(scan, 0, op_begin, " before the operator", m_name, m_has_filter, m_filter_column,
                                m_filter_text);
}

RDB_RULE::RDB_RULE(std::string_view text)
    : m_text(text), m_path(path_part(text)), m_pattern(m_path), m_condition(condition_part(text))
{
    m_error = path_error(text, m_path, m_pattern);
    if (m_error.empty() && !m_condition.is_valid())
        m_error = m_condition.get_error();
}

RDB_SELECTOR::RDB_SELECTOR(std::string_view text) : m_text(text), m_path(path_part(text)), m_pattern(m_path)
{
    m_error = path_error(text, m_path, m_pattern);
    if (!m_error.empty())
        return;
    RDB_ESCAPED_TEXT scan(condition_part(text));
    if (scan.dangles()) {
        m_error = RDB_DANGLING_BACKSLASH;
        return;
    }
    // A rule pasted whole would otherwise ask for a name that ends in its
    // operator and value, and find nothing.
    RDB_RULE_OP op = RDB_RULE_EQ;
    std::size_t op_end = 0;
    std::size_t op_begin = find_last_op(scan, op, op_end);
    if (op_begin != std::string_view::npos) {
        m_error = std::string("'") + rdb_rule_op_text(op) +
                  "' between spaces: a selector has no operator and value (write \\" +
                  rdb_rule_op_text(op) + " for it in a name)";
        return;
    }
    m_error = read_named_column(scan, 0, scan.size(), " after ' : '", m_name, m_has_filter, m_filter_column,
                                m_filter_text);
}
