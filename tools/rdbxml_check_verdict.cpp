#include "rdbxml_check_verdict.h"

#include "rdbxml_check_text.h"

bool rdbxml_rule_skipped(const RDB_RULE_OUTCOME& outcome)
{
    return outcome.m_status == RDB_RULE_NO_OBJECT || outcome.m_status == RDB_RULE_NO_NAME;
}

std::vector<std::string> rdbxml_unusable_rules(const std::vector<RDB_RULE>& rules,
                                               const std::vector<RDBXML_CHECKED_FILE>& files)
{
    std::vector<std::string> why(rules.size());
    for (std::size_t r = 0; r < rules.size(); ++r) {
        bool read = false, matched = false, named = false;
        for (const RDBXML_CHECKED_FILE& file : files) {
            if (!file.read)
                continue;
            const RDB_RULE_OUTCOME& outcome = file.rules[r];
            read = true;
            matched = matched || outcome.m_status != RDB_RULE_NO_OBJECT;
            named = named || !rdbxml_rule_skipped(outcome);
            // The first misfit says it: the rule is wrong wherever it fits.
            if (outcome.m_status == RDB_RULE_MISFIT && why[r].empty())
                why[r] = outcome.m_error;
        }
        if (!why[r].empty() || !read)
            continue;
        if (!matched)
            why[r] = rdbxml_rule_unasked_text(rules[r], RDB_RULE_NO_OBJECT, "in any file");
        else if (!named)
            why[r] = rdbxml_rule_unasked_text(rules[r], RDB_RULE_NO_NAME, "in any file");
    }
    return why;
}

RDBXML_TALLY rdbxml_check_tally(const std::vector<RDBXML_CHECKED_FILE>& files,
                                const std::vector<std::string>& unusable)
{
    RDBXML_TALLY tally;
    tally.files = files.size();
    for (const RDBXML_CHECKED_FILE& file : files) {
        bool good = file.read, skipped = false;
        for (std::size_t r = 0; r < file.rules.size(); ++r) {
            const RDB_RULE_OUTCOME& outcome = file.rules[r];
            if (!unusable[r].empty() || outcome.m_status == RDB_RULE_FAILS || outcome.m_status == RDB_RULE_MISFIT)
                good = false;
            else if (rdbxml_rule_skipped(outcome))
                skipped = true;
        }
        tally.good += good;
        tally.warned += file.warnings > 0 || skipped;
    }
    return tally;
}
