// The pieces of rules that other views share: numbers as reports write
// them, columns found by heading, a gauge's percent.
#include <rdbxml/rdb_rule.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include <rdbxml/rdb_chart.h>
#include <rdbxml/rdb_summary.h>
#include "gen_util.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool same_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (gen_ascii_lower(a[i]) != gen_ascii_lower(b[i]))
            return false;
    return true;
}

}  // namespace

const char* rdb_rule_op_text(RDB_RULE_OP op)
{
    switch (op) {
    case RDB_RULE_LT:
        return "<";
    case RDB_RULE_LE:
        return "<=";
    case RDB_RULE_GT:
        return ">";
    case RDB_RULE_GE:
        return ">=";
    case RDB_RULE_EQ:
        return "==";
    case RDB_RULE_NE:
        return "!=";
    }
    return "?";
}

bool rdb_read_number(std::string_view text, double& number)
{
    text = trimmed(text);
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ',') {
            if (i == 0 || !is_digit(text[i - 1]) || i + 1 == text.size() || !is_digit(text[i + 1]))
                return false;
            continue;
        }
        // strtod reads more than decimals (hex, "inf", "nan"): only these.
        if (!is_digit(c) && c != '.' && c != '-' && c != '+' && c != 'e' && c != 'E')
            return false;
        digits += c;
    }
    if (digits.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(digits.c_str(), &end);
    if (end != digits.c_str() + digits.size() || errno == ERANGE || !std::isfinite(value))
        return false;
    number = value;
    return true;
}

int rdb_find_column(const RDB_TABLE_OBJECT& table, std::string_view name)
{
    name = trimmed(name);
    if (const auto* chart = dynamic_cast<const RDB_CHART_TABLE_OBJECT*>(&table)) {
        if (same_ignoring_case(trimmed(chart->get_x_axis().view()), name))
            return 0;
        return same_ignoring_case(trimmed(chart->get_y_axis().view()), name) ? 1 : -1;
    }
    // A table without a heading row has no column names (a summary's rows
    // are all data).
    if (!table.has_heading_row())
        return -1;
    const RDB_TABLE_ROW& heading = *table.get_row(0);
    for (std::size_t c = 0; c < heading.size(); ++c)
        if (heading[c] != nullptr && same_ignoring_case(trimmed(rdb_cell_text(*heading[c])), name))
            return static_cast<int>(c);
    return -1;
}

bool rdb_gauge_percent(const RDB_GAUGES_DATA_ELEMENT& gauge, double& percent)
{
    if (gauge.m_max == gauge.m_min)
        return false;
    percent = (static_cast<double>(gauge.m_value) - gauge.m_min) / (static_cast<double>(gauge.m_max) - gauge.m_min) * 100;
    return true;
}
