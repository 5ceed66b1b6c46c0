#include "rdb_xml_error_handler.h"

#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/XMLString.hpp>

#include "rdb_xml_content_handler.h"
#include "rdb_xml_transcode.h"

namespace {

void print(const char* format, const xercesc::SAXParseException& exc)
{
    RDB_XML_NARROW_TEXT message(exc.getMessage());
    rdb_xml_debug(format, message.text(), static_cast<int>(exc.getLineNumber()));
}

}  // namespace

void RDB_XML_ERROR_HANDLER::warning(const xercesc::SAXParseException& exc)
{
    ++m_warnings;
    print("Warning: %s at line: %d", exc);
}

void RDB_XML_ERROR_HANDLER::error(const xercesc::SAXParseException& exc)
{
    ++m_errors;
    print("Error: %s at line: %d", exc);
}

void RDB_XML_ERROR_HANDLER::fatalError(const xercesc::SAXParseException& exc)
{
    ++m_fatal_errors;
    print("Fatal Error: %s at line: %d", exc);
}
