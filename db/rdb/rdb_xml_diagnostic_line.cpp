// The one form every view of the tool, the index and the bindings gives a
// diagnostic in.
#include <rdbxml/rdb_xml.h>

std::string rdb_xml_diagnostic_line(const RDB_XML_DIAGNOSTIC& diagnostic)
{
    std::string line = diagnostic.m_file;
    if (diagnostic.m_line != 0)
        line += ":" + std::to_string(diagnostic.m_line) + ":" + std::to_string(diagnostic.m_column);
    line += diagnostic.m_severity == RDB_XML_DIAGNOSTIC::WARNING ? ": warning: " : ": error: ";
    return line + diagnostic.m_message;
}
