// The command line of `rdbxml check`, and the rules it names: each
// --fail-if, then each line of each --rules file.
#pragma once

#include <string>
#include <vector>

#include <rdbxml/rdb_rule.h>
#include "rdbxml_options.h"

struct RDBXML_CHECK_OPTIONS {
    RDBXML_OPTIONS reading;  // FILE arguments, how they are read, -j, -q, -v
    std::vector<std::string> fail_if;
    std::vector<std::string> rules_files;
    std::string junit;  // with --junit: the file, or - for stdout
    std::vector<RDB_RULE> rules;
};

// Reads the command line and the rules into `options`. Returns -1 when the
// check should go on; otherwise the exit status, after printing the help on
// stdout, or a one-line usage error on stderr (a rule that does not parse
// is named, with FILE:LINE when a --rules file holds it).
int rdbxml_read_check_options(int argc, char** argv, RDBXML_CHECK_OPTIONS& options);
