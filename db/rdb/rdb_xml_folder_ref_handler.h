// RDB_XML_FOLDER_REF_HANDLER: reads a "folder_ref" element, which gives a
// declared folder its creator, enabled state, header and footer and places
// it into its parent folder.
#pragma once

#include "rdb_xml_content_handler.h"

class RDB_FOLDER_OBJECT;

class RDB_XML_FOLDER_REF_HANDLER : public RDB_XML_COLLECTING_HANDLER {
public:
    using RDB_XML_COLLECTING_HANDLER::RDB_XML_COLLECTING_HANDLER;

    void handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs) override;
    void handle_end_element(RDB_XML_ELEMENT_KIND element) override;

protected:
    const char* unknown_element_outcome() const override { return "taken as a folder reference"; }

private:
    RDB_FOLDER_OBJECT* m_folder = nullptr;
};

RDB_XML_CONTENT_HANDLER* rdb_xml_create_folder_ref_handler(RDB_XML_CONTENT_HANDLER* parent);
