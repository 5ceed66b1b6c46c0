// The parse-context globals: one set per thread, shared by all handlers of
// the parse that runs on that thread. Parses on different threads never see
// each other's state; one parse per thread at a time.
//
// Every one of them is a plain value or pointer: a per-thread object with a
// destructor would have the C library allocate when a thread first touches
// it, and end the process when that fails. What needs building (the folder
// index, the buffers) belongs to the parse (rdb_xml_context.h).
#pragma once

#include <xercesc/sax2/SAX2XMLReader.hpp>

#include "gen_string_hash_sys.h"

class RDB_REPORT;
class RDB_FOLDER_OBJECT;
class HDB_ACTION_PT_INSTANCE;
class RDB_XML_CONTENT_HANDLER;

extern thread_local xercesc::SAX2XMLReader* rdb_xml_reader;
extern thread_local RDB_REPORT* rdb_xml_report;
// The running parse's folder name index; null between parses.
extern thread_local GEN_STRING_HASH<RDB_FOLDER_OBJECT*>* rdb_xml_folder_index;
extern thread_local HDB_ACTION_PT_INSTANCE* rdb_xml_action_point;
extern thread_local int rdb_xml_error_count;
// Read at every attribute: kept in the static TLS block (a handful of
// bytes, well within what a library loaded at run time may use), so that
// reading it costs no call.
#define RDB_XML_HOT_TLS __attribute__((tls_model("initial-exec")))
extern thread_local bool rdb_xml_use_static_buffers RDB_XML_HOT_TLS;

// The element handler that the root handler installed and that has not yet
// handed the reader back; the driver destroys it if the document ends
// inside its element.
extern thread_local RDB_XML_CONTENT_HANDLER* rdb_xml_active_handler;

// Assigns the report and empties the folder index (if there is one): always
// both together.
void rdb_xml_set_report(RDB_REPORT* report);
void rdb_xml_set_reader(xercesc::SAX2XMLReader* reader);
void rdb_xml_set_action_point(HDB_ACTION_PT_INSTANCE* action_point);
void rdb_xml_set_use_static_buffers(bool use_static_buffers);

// The memory tag and allocation source of everything the parser allocates.
#define RDB_XML_TAG "RDB_XML"
#define RDB_XML_SOURCE "db/rdb/rdb_xml_parser"
#define RDB_XML_NEW(TYPE, ...) MEM_NEW(RDB_XML_TAG, RDB_XML_SOURCE, TYPE, ##__VA_ARGS__)
