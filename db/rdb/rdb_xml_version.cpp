#include <rdbxml/rdb_xml.h>

extern "C" const char* rdb_xml_version() { return RDB_XML_VERSION_TEXT; }
