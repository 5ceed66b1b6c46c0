#include "rdbxml_check_text.h"

namespace {

// "1 row", "12 rows"
std::string rows(std::size_t count) { return std::to_string(count) + (count == 1 ? " row" : " rows"); }

}  // namespace

std::string rdbxml_rule_fails_text(const RDB_RULE& rule, const RDB_RULE_OUTCOME& outcome)
{
    return "fails: " + rule.get_text() + " (" + std::to_string(outcome.m_violations) + " of " +
           rows(outcome.m_checked) + ")";
}

std::string rdbxml_rule_holds_text(const RDB_RULE& rule, const RDB_RULE_OUTCOME& outcome)
{
    return "holds: " + rule.get_text() + " (" + rows(outcome.m_checked) + ")";
}

std::string rdbxml_rule_row_text(const RDB_RULE& rule, const RDB_RULE_ROW& row)
{
    std::string text = row.m_path + ": " + rule.get_condition().get_name() + " = " + row.m_value + " (row " +
                       std::to_string(row.m_row);
    if (!row.m_cells.empty())
        text += ": " + row.m_cells;
    return text + ")";
}

std::string rdbxml_rule_more_text(const RDB_RULE_OUTCOME& outcome)
{
    if (outcome.m_violations <= outcome.m_rows.size())
        return std::string();
    return "... and " + std::to_string(outcome.m_violations - outcome.m_rows.size()) + " more " +
           (outcome.m_violations - outcome.m_rows.size() == 1 ? "row" : "rows");
}

std::string rdbxml_rule_unasked_text(const RDB_RULE& rule, RDB_RULE_STATUS status, const char* where)
{
    if (status == RDB_RULE_NO_OBJECT)
        return rule.get_path_text() + " matches no object " + where;
    const RDB_CONDITION& condition = rule.get_condition();
    std::string wanted = condition.get_name();
    if (condition.has_filter())
        wanted += " and " + condition.get_filter_column();
    return "no object " + rule.get_path_text() + " matches has " + wanted + " " + where;
}
