// The report model: everything a host needs to build, walk and release a
// report, the paths that name its objects (rdb_path.h), the instance
// hierarchy its instance-name cells point into and the switch for the
// library's messages. The writers have headers of their own, in the writers
// library: a report as text (rdb_text_writer.h), JSON (rdb_json_writer.h),
// an HTML page (rdb_html_writer.h) or its tables as CSV
// (rdb_csv_writer.h); the page that lists several pages
// (rdb_html_list_writer.h); the changes between two reports
// (rdb_diff_writer.h) and values followed over many runs
// (rdb_trend_writer.h).
//
// A report that no thread changes may be read from several threads at once:
// no const member function of the model changes any state, and the writers
// only read. Changing a report (adding, deleting) needs it to be the only
// thread that uses it.
#pragma once

#include <rdbxml/hdb_instance.h>
#include <rdbxml/msg.h>

#include <rdbxml/rdb_cells.h>
#include <rdbxml/rdb_chart.h>
#include <rdbxml/rdb_columns.h>
#include <rdbxml/rdb_diff.h>
#include <rdbxml/rdb_embedded.h>
#include <rdbxml/rdb_folder.h>
#include <rdbxml/rdb_object.h>
#include <rdbxml/rdb_path.h>
#include <rdbxml/rdb_select.h>
#include <rdbxml/rdb_report_tree.h>
#include <rdbxml/rdb_summary.h>
#include <rdbxml/rdb_table.h>
#include <rdbxml/rdb_tan.h>
#include <rdbxml/rdb_text.h>
#include <rdbxml/rdb_types.h>
#include <rdbxml/rdb_visitor.h>
#include <rdbxml/rdb_walk.h>
