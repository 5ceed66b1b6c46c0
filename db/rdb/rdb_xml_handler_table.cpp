#include "rdb_xml_chart_handler.h"
#include "rdb_xml_embedded_handler.h"
#include "rdb_xml_folder_ref_handler.h"
#include "rdb_xml_folders_handler.h"
#include "rdb_xml_root_handler.h"
#include "rdb_xml_summary_handler.h"
#include "rdb_xml_table_handler.h"
#include "rdb_xml_text_handler.h"

// The report elements and the handler each one gets.
RDB_XML_HANDLER_FACTORY rdb_xml_handler_factory(RDB_XML_ELEMENT_KIND element)
{
    switch (element) {
    case RDB_XML_ELEMENT_FOLDERS: return rdb_xml_create_folders_handler;
    case RDB_XML_ELEMENT_TEXT:
    case RDB_XML_ELEMENT_LEGAL: return rdb_xml_create_text_handler;
    case RDB_XML_ELEMENT_FOLDER_REF: return rdb_xml_create_folder_ref_handler;
    case RDB_XML_ELEMENT_SUMMARY: return rdb_xml_create_summary_handler;
    case RDB_XML_ELEMENT_EMBEDDED:
    case RDB_XML_ELEMENT_WAVEFORM: return rdb_xml_create_embedded_handler;
    case RDB_XML_ELEMENT_CHART: return rdb_xml_create_chart_handler;
    case RDB_XML_ELEMENT_TABLE:
    case RDB_XML_ELEMENT_TAN_SPD_TABLE:
    case RDB_XML_ELEMENT_TAN_SLACK_TABLE: return rdb_xml_create_table_handler;
    default: return nullptr;
    }
}
