// One input parsed as the tool parses it, with the messages it prints for
// it: its warnings and errors in the compiler's form ("FILE:LINE:COL:
// error: MESSAGE"), after the parser's own lines when verbose, none when
// quiet; a file that cannot be read says why.
#pragma once

#include <memory>
#include <string>

#include <rdbxml/rdb_xml.h>
#include "rdbxml_inputs.h"
#include "rdbxml_job.h"

struct RDBXML_PARSED {
    std::unique_ptr<RDB_REPORT> report;  // null when the input gave none
    std::string err;                     // for standard error
    std::size_t warnings = 0;            // the file's warnings, whatever the verbosity
    // Without a report: its warnings and errors as `err` has them when not
    // quiet (a report of the run, JUnit, says why whatever -q).
    std::string failure;
};

// One line for standard error about `file`: "FILE: SEVERITY: TEXT", the
// file's name and the text escaped for the terminal as the report tree
// escapes texts, since both may hold what a report or a file name holds.
std::string rdbxml_file_message(const std::string& file, const char* severity, const std::string& text);
// One line for standard error in the tool's own name: "TOOL: TEXT", the
// text escaped as above, since it names files and patterns as given.
std::string rdbxml_tool_message(const char* tool, const std::string& text);

// Parses `input` with the options and verbosity of `settings`; `progress`
// is handed to the parse (it may be empty).
RDBXML_PARSED rdbxml_parse_input(const RDBXML_INPUT_FILE& input, const RDBXML_JOB_SETTINGS& settings,
                                 const RDB_XML_PROGRESS& progress);
