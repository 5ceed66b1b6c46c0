// The tool's --csv: the tables, timing tables, summaries and charts of a
// report as CSV files (rdb_csv_writer.h).
//
// Into a directory, each table goes to a file named by its path, each step
// a directory (main/timing/Clocks.csv); a '/' inside a name, a '%', and a
// step of "." or ".." or nothing are written %2F, %25, %2E and %00, so no
// name reaches outside the directory. Two tables of one file name get
// "-2", "-3", ... A summary's gauges go beside it, into a file of the
// summary's name and "%gauges" (main/fit/Flow summary%gauges.csv), which
// no object's own file can be named. Every file is replaced atomically,
// unless what is there is no regular file (rdbxml_write_file.h).
// To standard output ("-") or a file, there must be exactly one table (a
// summary's rows, without its gauges).
#pragma once

#include <string>
#include <vector>

#include <rdbxml/rdb_select.h>

struct RDBXML_CSV_RESULT {
    std::string out;    // the CSV, when the target is "-"
    std::string error;  // why the tables could not be written
    bool usage = false;  // the target takes one table, and there were others
};

// Writes the table-like objects among `objects` (the others are passed
// over) of the report read from `file` to `target`, a directory when
// `directory`.
RDBXML_CSV_RESULT rdbxml_write_csv_tables(const std::vector<RDB_PATH_MATCH>& objects, const std::string& file,
                                          const std::string& target, bool directory);
