#include "rdb_xml_chart_handler.h"
#include "rdb_xml_embedded_handler.h"
#include "rdb_xml_folder_ref_handler.h"
#include "rdb_xml_folders_handler.h"
#include "rdb_xml_root_handler.h"
#include "rdb_xml_summary_handler.h"
#include "rdb_xml_table_handler.h"
#include "rdb_xml_text_handler.h"

// The report elements and the handler each one gets, in search order.
const RDB_XML_HANDLER_TABLE_ROW rdb_xml_handler_table[] = {
    {u"folders", rdb_xml_create_folders_handler},
    {u"text", rdb_xml_create_text_handler},
    {u"folder_ref", rdb_xml_create_folder_ref_handler},
    {u"legal", rdb_xml_create_text_handler},
    {u"summary", rdb_xml_create_summary_handler},
    {u"embedded", rdb_xml_create_embedded_handler},
    {u"waveform", rdb_xml_create_embedded_handler},
    {u"chart", rdb_xml_create_chart_handler},
    {u"table", rdb_xml_create_table_handler},
    {u"tan_spd_table", rdb_xml_create_table_handler},
    {u"tan_slack_table", rdb_xml_create_table_handler},
    {nullptr, nullptr},
};
