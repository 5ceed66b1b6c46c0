// The report model: everything a host needs to build, walk and release a
// report, the paths that name its objects (rdb_path.h), the instance
// hierarchy its instance-name cells point into and the switch for the
// library's messages. The writers that print a report
// (text, JSON, HTML) have headers of their own: rdb_text_writer.h,
// rdb_json_writer.h and rdb_html_writer.h.
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
