// The pieces of rules that other views share: numbers as reports write
// them, columns found by heading, a gauge's percent.
#include <rdbxml/rdb_rule.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <rdbxml/rdb_chart.h>
#include <rdbxml/rdb_summary.h>
#include "rdb_rule_text.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

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
    text = rdb_rule_trimmed(text);
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

bool rdb_read_percent(std::string_view text, double& number)
{
    text = rdb_rule_trimmed(text);
    return !text.empty() && text.back() == '%' && rdb_read_number(text.substr(0, text.size() - 1), number);
}

int rdb_find_column(const RDB_TABLE_OBJECT& table, std::string_view name)
{
        if (const auto* chart = dynamic_cast<const RDB_CHART_TABLE_OBJECT*>(&table)) {
        if (rdb_rule_same_name(chart->get_x_axis().view(), name))
            return 0;
        return rdb_rule_same_name(chart->get_y_axis().view(), name) ? 1 : -1;
    }
    // A table without a heading row has no column names (a summary's rows
    // are all data).
    if (!table.has_heading_row())
        return -1;
    const RDB_TABLE_ROW& heading = *table.get_row(0);
    for (std::size_t c = 0; c < heading.size(); ++c)
        if (heading[c] != nullptr && rdb_rule_same_name(rdb_cell_text(*heading[c]), name))
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

std::string rdb_format_percent(double percent)
{
    char text[64];
    // A whole percent is exact and shows no decimal; any other keeps its
    // one decimal even when that is 0, so that a rounded share (88.03%)
    // never reads as an exact one (88%).
    bool whole = percent == std::trunc(percent) && std::fabs(percent) < 1e15;
    std::snprintf(text, sizeof text, whole ? "%.0f" : "%.1f", percent);
    std::string shown(text);
    if (shown == "-0" || shown == "-0.0")
        shown.erase(0, 1);
    return shown + "%";
}

std::string rdb_gauge_shown(const RDB_GAUGES_DATA_ELEMENT& gauge)
{
    double percent = 0;
    if (gauge.is_percent() && rdb_gauge_percent(gauge, percent))
        return rdb_format_percent(percent);
    return std::to_string(gauge.get_value());
}
