// One file's part of `rdbxml ls`: every object of its report (those --select
// keeps), one a line, with its path, its kind and its size: a table's data
// rows, a summary's rows and gauges, a chart's points, a folder's objects,
// a text's lines, a gauges object's gauges; other objects have none. The
// sizes are those in the whole report, whatever --select leaves out.
//
// As text, the three columns aligned for people:
//   main/timing/Setup slack  tan_slack_table  120 rows
// With --json, one JSON object a line: {"file", "path", "kind"} and, as the
// kind has them, "objects", "rows", "gauges", "points", "lines" (numbers).
// A path longer than RDB_JSON_PATH_LIMIT bytes (of a chain of folders
// thousands deep) is shown as "(a path of N bytes)", in JSON as null, and
// paths align up to 80 columns, so that what is printed grows with the
// objects, not with the square of their depth.
// A file that gives no report lists nothing; its errors say why.
#pragma once

#include <rdbxml/rdb_xml.h>
#include "rdbxml_job.h"

RDBXML_JOB_RESULT rdbxml_run_ls_job(const RDBXML_JOB& job, const RDBXML_JOB_SETTINGS& settings,
                                    const RDB_XML_PROGRESS& progress);
