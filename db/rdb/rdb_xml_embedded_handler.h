// RDB_XML_EMBEDDED_HANDLER: turns an "embedded" element into an embedded
// object of its embedded type, and a "waveform" element into a waveform
// object with its info, vector file names and compare mode. The retired
// "floorplan" type is refused with a message and makes no object.
#pragma once

#include "rdb_xml_content_handler.h"

class RDB_EMBEDDED_OBJECT;
class RDB_WAVEFORM_OBJECT;

class RDB_XML_EMBEDDED_HANDLER : public RDB_XML_COLLECTING_HANDLER {
public:
    using RDB_XML_COLLECTING_HANDLER::RDB_XML_COLLECTING_HANDLER;

    void handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs) override;
    void handle_end_element(RDB_XML_ELEMENT_KIND element) override;

private:
    void start_embedded(const char* name, const xercesc::Attributes& attrs);
    void start_waveform(const char* name, const xercesc::Attributes& attrs);

    // Both owned by their folder once attached. m_object stays null after a
    // "floorplan" start; m_waveform is the same object as m_object for a
    // "waveform" and null for an "embedded".
    RDB_EMBEDDED_OBJECT* m_object = nullptr;
    RDB_WAVEFORM_OBJECT* m_waveform = nullptr;
};

RDB_XML_CONTENT_HANDLER* rdb_xml_create_embedded_handler(RDB_XML_CONTENT_HANDLER* parent);
