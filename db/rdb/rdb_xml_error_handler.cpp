#include "rdb_xml_error_handler.h"

#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/XMLString.hpp>

#include "rdb_xml_content_handler.h"
#include "rdb_xml_context.h"
#include "rdb_xml_transcode.h"

namespace {

// Prints the diagnostic and keeps it for the host, with its column too.
void print(const char* format, RDB_XML_DIAGNOSTIC::SEVERITY severity, const xercesc::SAXParseException& exc)
{
    RDB_XML_NARROW_TEXT message(exc.getMessage());
    rdb_xml_debug(format, message.text(), static_cast<int>(exc.getLineNumber()));
    rdb_xml_note(severity, message.text(), exc.getLineNumber(), exc.getColumnNumber());
}

}  // namespace

void RDB_XML_ERROR_HANDLER::warning(const xercesc::SAXParseException& exc)
{
    ++m_warnings;
    print("Warning: %s at line: %d", RDB_XML_DIAGNOSTIC::WARNING, exc);
}

void RDB_XML_ERROR_HANDLER::error(const xercesc::SAXParseException& exc)
{
    ++m_errors;
    print("Error: %s at line: %d", RDB_XML_DIAGNOSTIC::ERROR, exc);
}

void RDB_XML_ERROR_HANDLER::fatalError(const xercesc::SAXParseException& exc)
{
    ++m_fatal_errors;
    print("Fatal Error: %s at line: %d", RDB_XML_DIAGNOSTIC::FATAL_ERROR, exc);
}
