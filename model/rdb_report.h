// The report model: everything a host needs to build, walk, write and
// release a report, with the instance hierarchy its instance-name cells
// point into and the switch for the library's messages.
//
// A report that no thread changes may be read from several threads at once:
// no const member function of the model changes any state, and the writers
// only read. Changing a report (adding, deleting) needs it to be the only
// thread that uses it.
#pragma once

#include "hdb_instance.h"
#include "msg.h"

#include "rdb_cells.h"
#include "rdb_chart.h"
#include "rdb_embedded.h"
#include "rdb_folder.h"
#include "rdb_html_writer.h"
#include "rdb_json_writer.h"
#include "rdb_object.h"
#include "rdb_report_tree.h"
#include "rdb_summary.h"
#include "rdb_table.h"
#include "rdb_tan.h"
#include "rdb_text.h"
#include "rdb_text_writer.h"
#include "rdb_types.h"
#include "rdb_visitor.h"
#include "rdb_walk.h"
