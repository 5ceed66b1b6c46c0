// RDB_XML_ERROR_HANDLER: counts and prints the parser's own diagnostics
// (well-formedness, validation, schema). It never stops the parse.
#pragma once

#include <xercesc/sax/ErrorHandler.hpp>

class RDB_XML_ERROR_HANDLER : public xercesc::ErrorHandler {
public:
    RDB_XML_ERROR_HANDLER() = default;

    void warning(const xercesc::SAXParseException& exc) override;
    void error(const xercesc::SAXParseException& exc) override;
    void fatalError(const xercesc::SAXParseException& exc) override;
    // The counts are the parse's whole story: they are never reset.
    void resetErrors() override {}

    int m_errors = 0;
    int m_fatal_errors = 0;
    int m_warnings = 0;
};
