// RDB_XML_ENTITY_RESOLVER: the one way the reader reaches anything outside
// the report file. It allows exactly the schema file beside the library and
// refuses everything else (external entities, external DTDs, external
// parameter entities): it prints "Refused to read external resource: %s"
// with the resource's system id and throws, so that the reader reports a
// fatal error at the reference and ends the parse, which then yields no
// report. Nothing refused is opened.
#pragma once

#include <xercesc/sax/EntityResolver.hpp>

class RDB_XML_ENTITY_RESOLVER : public xercesc::EntityResolver {
public:
    RDB_XML_ENTITY_RESOLVER() = default;

    // `schema_location` is the exact location the driver gives the reader as
    // its schema; the pointer is kept and must outlive the resolver's use.
    void allow_schema(const XMLCh* schema_location) { m_schema_location = schema_location; }

    xercesc::InputSource* resolveEntity(const XMLCh* public_id, const XMLCh* system_id) override;

private:
    const XMLCh* m_schema_location = nullptr;
};
