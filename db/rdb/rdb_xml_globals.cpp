#include "rdb_xml_globals.h"

#include <rdbxml/mem_manager.h>

thread_local xercesc::SAX2XMLReader* rdb_xml_reader = nullptr;
thread_local RDB_REPORT* rdb_xml_report = nullptr;
thread_local HDB_ACTION_PT_INSTANCE* rdb_xml_action_point = nullptr;
thread_local int rdb_xml_error_count = 0;
thread_local bool rdb_xml_use_static_buffers RDB_XML_HOT_TLS = true;
thread_local RDB_XML_CONTENT_HANDLER* rdb_xml_active_handler = nullptr;

thread_local GEN_STRING_HASH<RDB_FOLDER_OBJECT*>* rdb_xml_folder_index = nullptr;
// The registration lives while the library is loaded.
static MEM_INITIALIZER rdb_xml_mem_initializer(RDB_XML_TAG);

void rdb_xml_set_report(RDB_REPORT* report)
{
    rdb_xml_report = report;
    if (rdb_xml_folder_index != nullptr)
        rdb_xml_folder_index->clear();
}

void rdb_xml_set_reader(xercesc::SAX2XMLReader* reader) { rdb_xml_reader = reader; }
void rdb_xml_set_action_point(HDB_ACTION_PT_INSTANCE* action_point) { rdb_xml_action_point = action_point; }
void rdb_xml_set_use_static_buffers(bool use_static_buffers) { rdb_xml_use_static_buffers = use_static_buffers; }
