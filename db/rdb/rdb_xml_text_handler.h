// RDB_XML_TEXT_HANDLER: turns a "text" element into a text object and a
// "legal" element into a legal-notice object, with header, footer and the
// body text of "ascii_text".
#pragma once

#include "rdb_xml_content_handler.h"

class RDB_TEXT_OBJECT;

class RDB_XML_TEXT_HANDLER : public RDB_XML_COLLECTING_HANDLER {
public:
    using RDB_XML_COLLECTING_HANDLER::RDB_XML_COLLECTING_HANDLER;

    void handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs) override;
    void handle_end_element(RDB_XML_ELEMENT_KIND element) override;

protected:
    // Its end is the end of the text object's element, as any end but
    // that of a header, footer or body text is.
    const char* unknown_element_outcome() const override
    {
        return "passed over, and the text ends with it: what follows inside the text is not read";
    }

private:
    RDB_TEXT_OBJECT* m_object = nullptr;
    STL_STRING* m_text = nullptr;  // the object's body text while inside "ascii_text"
};

RDB_XML_CONTENT_HANDLER* rdb_xml_create_text_handler(RDB_XML_CONTENT_HANDLER* parent);
