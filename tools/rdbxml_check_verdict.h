// What a run of `rdbxml check` comes to once every file is read. A rule
// that finds nothing in one file may rightly be about others (skipped
// there, with a warning); one that finds nothing in any file read, or
// whose value does not fit what it finds, is a mistake in the rule: a typo
// in a CI job must not pass as "every rule held".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <rdbxml/rdb_rule.h>
#include "rdbxml_summary.h"

// One file as the run saw it.
struct RDBXML_CHECKED_FILE {
    std::string name;
    bool read = false;  // it gave a report
    std::size_t warnings = 0;
    std::string failure;                  // without a report: why
    std::vector<RDB_RULE_OUTCOME> rules;  // with one: each rule's outcome
};

// Per rule: empty when it is usable; else why not ("PATH matches no object
// in any file", the misfit). All usable when no file was read: then the
// files' own errors say what went wrong.
std::vector<std::string> rdbxml_unusable_rules(const std::vector<RDB_RULE>& rules,
                                               const std::vector<RDBXML_CHECKED_FILE>& files);

// Whether `rule` (usable) asked nothing of `file`, which was read.
bool rdbxml_rule_skipped(const RDB_RULE_OUTCOME& outcome);

// Good: read, and every rule held or was skipped there; warned: a warning
// of the parse, or a skipped rule.
RDBXML_TALLY rdbxml_check_tally(const std::vector<RDBXML_CHECKED_FILE>& files,
                                const std::vector<std::string>& unusable);
