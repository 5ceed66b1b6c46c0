// The JUnit XML report of `rdbxml check`, which CI systems show as tests:
// one <testsuite> per file, one <testcase> per rule (classname the file),
// a <failure> listing the rows that broke it, a <skipped> where it asked
// nothing of the file, an <error> where it cannot be used at all; a file
// that gave no report is one <testcase name="read"> with an <error>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <rdbxml/rdb_rule.h>
#include "rdbxml_check_verdict.h"

// `text` as XML 1.0 character data or (`attribute`) an attribute value in
// double quotes: markup characters as references, and what XML 1.0 cannot
// hold at all (control characters, ill-formed UTF-8, U+FFFE, U+FFFF) as
// U+FFFD; in an attribute, tabs and line ends as references too, which its
// normalisation would else turn into spaces.
std::string rdbxml_xml_escaped(std::string_view text, bool attribute);

// The whole document; `unusable` as rdbxml_unusable_rules gives it.
std::string rdbxml_junit(const std::vector<RDB_RULE>& rules, const std::vector<RDBXML_CHECKED_FILE>& files,
                         const std::vector<std::string>& unusable);
