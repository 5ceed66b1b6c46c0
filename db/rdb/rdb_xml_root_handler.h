// RDB_XML_ROOT_HANDLER: the reader's content handler between report
// elements. It dispatches each report element to a new handler for its kind,
// made by the factory rdb_xml_handler_factory gives.
#pragma once

#include "rdb_xml_content_handler.h"

typedef RDB_XML_CONTENT_HANDLER* (*RDB_XML_HANDLER_FACTORY)(RDB_XML_CONTENT_HANDLER* parent);

// The factory of the handler that reads a report element of this kind; null
// for every other kind.
RDB_XML_HANDLER_FACTORY rdb_xml_handler_factory(RDB_XML_ELEMENT_KIND element);

class RDB_XML_ROOT_HANDLER : public RDB_XML_CONTENT_HANDLER {
public:
    RDB_XML_ROOT_HANDLER() : RDB_XML_CONTENT_HANDLER(nullptr) {}

    void handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs) override;
    void handle_end_element(RDB_XML_ELEMENT_KIND) override { m_text_said = false; }
    // Text between report elements is dropped; said once for each run of
    // it that is more than white space.
    void handle_characters(const char* text, std::size_t length) override;
    void setDocumentLocator(const xercesc::Locator* const locator) override;

private:
    bool m_text_said = false;
};
