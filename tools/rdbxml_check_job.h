// One file's part of `rdbxml check`: it is parsed, every rule is asked of
// its report, and the report is dropped at once, so that a run holds no
// more reports than `rdbxml --noout` does. What the file says on stdout is
// made here; what depends on the other files too (a rule that finds
// nothing here but elsewhere) is said once all are read.
#pragma once

#include <cstddef>
#include <vector>

#include <rdbxml/rdb_rule.h>
#include "rdbxml_job.h"

// The rows of a failed rule listed; the rest are counted.
inline constexpr std::size_t RDBXML_CHECK_ROWS = 10;

struct RDBXML_CHECK_SETTINGS {
    const std::vector<RDB_RULE>* rules = nullptr;
    bool rows_out = true;  // the failed rules and their rows on stdout (not when JUnit goes there)
    bool holds_out = false;  // the rules that hold too (-v)
};

// The result's `ok`: the file gave a report and no rule failed or misfit
// there; `rules`: each rule's outcome, in the order of the rules.
RDBXML_JOB_RESULT rdbxml_check_job(const RDBXML_JOB& job, const RDBXML_JOB_SETTINGS& settings,
                                   const RDB_XML_PROGRESS& progress, const RDBXML_CHECK_SETTINGS& check);
