// RDB_XML_ROOT_HANDLER: the reader's content handler between report
// elements. It dispatches each report element to a new handler for its kind,
// found by name in rdb_xml_handler_table.
#pragma once

#include "rdb_xml_content_handler.h"

typedef RDB_XML_CONTENT_HANDLER* (*RDB_XML_HANDLER_FACTORY)(RDB_XML_CONTENT_HANDLER* parent);

struct RDB_XML_HANDLER_TABLE_ROW {
    const XMLCh* m_name;
    RDB_XML_HANDLER_FACTORY m_factory;
};

// Ends with a row whose name and factory are both null.
extern const RDB_XML_HANDLER_TABLE_ROW rdb_xml_handler_table[];

class RDB_XML_ROOT_HANDLER : public RDB_XML_CONTENT_HANDLER {
public:
    RDB_XML_ROOT_HANDLER() : RDB_XML_CONTENT_HANDLER(nullptr) {}

    void handle_start_element(const XMLCh* localname, const xercesc::Attributes& attrs) override;
    void handle_end_element(const XMLCh*) override {}
    void handle_characters(const char*, XMLSize_t) override {}
    void setDocumentLocator(const xercesc::Locator* const locator) override;
};

