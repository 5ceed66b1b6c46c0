// One input file's part of a run of the tool: it is parsed, and what the
// tool prints for it is made, into memory: its report for standard output
// (or its page, written), and its messages for standard error. Jobs run on
// several threads at once; the runner prints their results in the order of
// the inputs.
#pragma once

#include <string>
#include <vector>

#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_xml.h>
#include "rdbxml_inputs.h"
#include "rdbxml_options.h"

class HDB_ACTION_PT_INSTANCE;

// What goes to standard error for a file: nothing; each warning and error
// in the compiler's form ("FILE:LINE:COL: error: MESSAGE"); or the parser's
// own "RDB_XML: ..." lines before those.
enum RDBXML_VERBOSITY { RDBXML_QUIET, RDBXML_NORMAL, RDBXML_VERBOSE };

struct RDBXML_JOB {
    RDBXML_INPUT_FILE input;
    std::string page;  // the page to write, with --html
    std::string csv;   // with --csv: "-", the file, or the directory of this input's tables
    bool csv_directory = false;
};

struct RDBXML_JOB_SETTINGS {
    RDBXML_JOB_SETTINGS() = default;
    // Reading as `options` say, quiet with -q.
    explicit RDBXML_JOB_SETTINGS(const RDBXML_OPTIONS& reading)
        : options(&reading), verbosity(reading.quiet ? RDBXML_QUIET : RDBXML_NORMAL)
    {
    }

    const RDBXML_OPTIONS* options = nullptr;
    HDB_ACTION_PT_INSTANCE* action_point = nullptr;
    RDBXML_VERBOSITY verbosity = RDBXML_NORMAL;
};

struct RDBXML_JOB_RESULT {
    std::string out;  // for standard output
    std::string err;  // for standard error
    bool ok = false;  // the file gave a report (and its page was written)
    bool usage = false;  // what was asked cannot be done with this file (--csv - of several tables)
    std::size_t warnings = 0;  // the file's warnings, whatever -q
    // With check: each rule's outcome (none without a report), and why the
    // file gave no report, whatever -q (RDBXML_PARSED::failure).
    std::vector<RDB_RULE_OUTCOME> rules;
    std::string failure;
    // With --select and a report: the objects each pattern matched in it.
    std::vector<std::size_t> select_matches;
    // With --where or --sort and a report: the tables that have the name of
    // each (rdbxml_focus).
    std::vector<std::size_t> focus_matches;
};

// `progress` is handed to the parse (it may be empty).
RDBXML_JOB_RESULT rdbxml_run_job(const RDBXML_JOB& job, const RDBXML_JOB_SETTINGS& settings,
                                 const RDB_XML_PROGRESS& progress);
