#include "rdbxml_check_job.h"

#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_text_writer.h>
#include "rdbxml_check_text.h"
#include "rdbxml_parse.h"

namespace {

// "FILE: TEXT", both escaped for the terminal as report texts are.
std::string file_line(const std::string& file, const std::string& text)
{
    return rdb_text_escaped(file) + ": " + rdb_text_escaped(text) + "\n";
}

}  // namespace

RDBXML_JOB_RESULT rdbxml_check_job(const RDBXML_JOB& job, const RDBXML_JOB_SETTINGS& settings,
                                   const RDB_XML_PROGRESS& progress, const RDBXML_CHECK_SETTINGS& check)
{
    RDBXML_JOB_RESULT result;
    RDBXML_PARSED parsed = rdbxml_parse_input(job.input, settings, progress);
    result.err = std::move(parsed.err);
    result.warnings = parsed.warnings;
    result.failure = std::move(parsed.failure);
    if (!parsed.report)
        return result;
    const RDB_FOLDER_OBJECT* top = parsed.report->get_main_folder();
    const std::string& file = job.input.name;
    result.ok = true;
    for (const RDB_RULE& rule : *check.rules) {
        RDB_RULE_OUTCOME outcome;
        // A report with no main folder has no object a path can match.
        if (top != nullptr)
            outcome = rdb_check_rule(*top, rule, RDBXML_CHECK_ROWS);
        else
            outcome.m_status = RDB_RULE_NO_OBJECT;
        if (outcome.m_status == RDB_RULE_FAILS || outcome.m_status == RDB_RULE_MISFIT)
            result.ok = false;
        if (outcome.m_status == RDB_RULE_FAILS && check.rows_out) {
            result.out += file_line(file, rdbxml_rule_fails_text(rule, outcome));
            for (const RDB_RULE_ROW& row : outcome.m_rows)
                result.out += file_line(file, rdbxml_rule_row_text(rule, row));
            std::string more = rdbxml_rule_more_text(outcome);
            if (!more.empty())
                result.out += file_line(file, more);
        } else if (outcome.m_status == RDB_RULE_HOLDS && check.rows_out && check.holds_out) {
            result.out += file_line(file, rdbxml_rule_holds_text(rule, outcome));
        }
        result.rules.push_back(std::move(outcome));
    }
    return result;
}
