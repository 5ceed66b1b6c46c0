// What `rdbxml check` says of a rule in a file, as plain text: the lines on
// stdout and the texts of the JUnit report are made of these, each escaped
// for where it goes.
#pragma once

#include <cstddef>
#include <string>

#include <rdbxml/rdb_rule.h>

// "fails: RULE (3 of 120 rows)"
std::string rdbxml_rule_fails_text(const RDB_RULE& rule, const RDB_RULE_OUTCOME& outcome);
// "holds: RULE (120 rows)"
std::string rdbxml_rule_holds_text(const RDB_RULE& rule, const RDB_RULE_OUTCOME& outcome);
// One row that breaks it: "PATH: NAME = VALUE (row N: CELLS)".
std::string rdbxml_rule_row_text(const RDB_RULE& rule, const RDB_RULE_ROW& row);
// The rows past those listed: "... and 12 more rows"; empty when none are.
std::string rdbxml_rule_more_text(const RDB_RULE_OUTCOME& outcome);
// Why a rule asked nothing, for RDB_RULE_NO_OBJECT and RDB_RULE_NO_NAME,
// followed by `where` ("in this file"): "PATH matches no object in this
// file", "no object PATH matches has NAME in this file".
std::string rdbxml_rule_unasked_text(const RDB_RULE& rule, RDB_RULE_STATUS status, const char* where);
