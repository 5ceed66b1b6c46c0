// RDB_XML_FOLDERS_HANDLER: reads a "folders" element, which declares the
// report's main folder ("root") and every other folder ("folder") by name.
#pragma once

#include "rdb_xml_content_handler.h"

class RDB_XML_FOLDERS_HANDLER : public RDB_XML_CONTENT_HANDLER {
public:
    using RDB_XML_CONTENT_HANDLER::RDB_XML_CONTENT_HANDLER;

    void handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs) override;
    void handle_end_element(RDB_XML_ELEMENT_KIND element) override;
    void handle_characters(const char*, std::size_t) override {}
};

RDB_XML_CONTENT_HANDLER* rdb_xml_create_folders_handler(RDB_XML_CONTENT_HANDLER* parent);
