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

}  // namespace

RDB_CONDITION::RDB_CONDITION(std::string_view text) : m_text(text)
{
    RDB_ESCAPED_TEXT scan(text);
    if (scan.dangles()) {
        m_error = RDB_DANGLING_BACKSLASH;
        return;
    }

    // The operator: the last run between blanks (or an end) that is one.
    std::size_t op_begin = std::string_view::npos;
    std::size_t op_end = 0;
    for (std::size_t i = 0; i < scan.size();) {
        if (scan.plain_blank(i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < scan.size() && !scan.plain_blank(end))
            ++end;
        RDB_RULE_OP op = RDB_RULE_EQ;
        if (read_op(scan, i, end, op)) {
            m_op = op;
            op_begin = i;
            op_end = end;
        }
        i = end;
    }
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
    std::size_t name_begin = 0;
    std::size_t name_end = op_begin;
    scan.trim(name_begin, name_end);
    if (name_end > name_begin && scan.plain(name_end - 1, ']')) {
        std::size_t open = name_end - 1;
        while (open > name_begin && !scan.plain(open - 1, '['))
            --open;
        if (open == name_begin) {
            m_error = "']' without '[' before the operator (write \\] for a bracket in a name)";
            return;
        }
        std::size_t filter_begin = open;  // just after the '['
        std::size_t filter_end = name_end - 1;
        std::size_t equals = scan.find('=', filter_begin, filter_end);
        if (equals == filter_end) {
            m_error = "row filter without '='";
            return;
        }
        std::size_t column_begin = filter_begin;
        std::size_t column_end = equals;
        scan.trim(column_begin, column_end);
        if (column_begin == column_end) {
            m_error = "no column before '=' in the row filter";
            return;
        }
        std::size_t filter_text_begin = equals + 1;
        scan.trim(filter_text_begin, filter_end);
        m_has_filter = true;
        m_filter_column = scan.unescaped(column_begin, column_end);
        m_filter_text = scan.unescaped(filter_text_begin, filter_end);
        name_end = open - 1;
        scan.trim(name_begin, name_end);
    }
    for (std::size_t i = name_begin; i < name_end; ++i)
        if (scan.plain(i, '[') || scan.plain(i, ']')) {
            m_error = "a bracket in the name that starts no row filter (write \\[ or \\] for a bracket in a name)";
            return;
        }
    if (name_begin == name_end) {
        m_error = "no name before the operator";
        return;
    }
    m_name = scan.unescaped(name_begin, name_end);
}

RDB_RULE::RDB_RULE(std::string_view text)
    : m_text(text), m_path(path_part(text)), m_pattern(m_path), m_condition(condition_part(text))
{
    std::string_view path, rest;
    if (!rdb_rule_split(text, path, rest))
        m_error = "no ' : ' between the path and the name";
    else if (m_path.empty())
        m_error = "no path before ' : '";
    else if (!m_pattern.is_valid())
        m_error = m_pattern.get_error();
    else if (!m_condition.is_valid())
        m_error = m_condition.get_error();
}
