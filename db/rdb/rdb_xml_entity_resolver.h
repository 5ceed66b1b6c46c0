// RDB_XML_ENTITY_RESOLVER: the one way the reader reaches anything outside
// the report file. It allows exactly the schema file beside the library,
// gives the external DTD that a DOCTYPE names as empty, unread, and refuses
// everything else (external entities, external parameter entities): it
// prints "Refused to read external resource: %s" with the resource's system
// id and throws, so that the reader reports a fatal error at the reference
// and ends the parse, which then yields no report. Nothing refused is
// opened, nor is the DTD.
//
// A report's DOCTYPE often names a DTD that is not at hand where the report
// is read, and a reader that does not validate against it need not read it.
// The XML parser asks for it right after the DOCTYPE's internal subset, also
// when it is told not to load it but validates (the schema). The resolver
// knows the DTD by the DOCTYPE's own system id, which it hears of as the
// lexical handler, and only until the DOCTYPE has ended: an entity after it
// with the same system id is refused as any other.
#pragma once

#include <string>

#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax2/LexicalHandler.hpp>

class RDB_XML_ENTITY_RESOLVER : public xercesc::EntityResolver, public xercesc::LexicalHandler {
public:
    RDB_XML_ENTITY_RESOLVER() = default;

    // `schema_location` is the exact location the driver gives the reader as
    // its schema; the pointer is kept and must outlive the resolver's use.
    void allow_schema(const XMLCh* schema_location) { m_schema_location = schema_location; }

    xercesc::InputSource* resolveEntity(const XMLCh* public_id, const XMLCh* system_id) override;

    // The DOCTYPE, from its start to its end.
    void startDTD(const XMLCh* const name, const XMLCh* const public_id, const XMLCh* const system_id) override;
    void endDTD() override;
    // The rest of the lexical handler is of no concern here.
    void comment(const XMLCh* const, const XMLSize_t) override {}
    void startCDATA() override {}
    void endCDATA() override {}
    void startEntity(const XMLCh* const) override {}
    void endEntity(const XMLCh* const) override {}

private:
    const XMLCh* m_schema_location = nullptr;
    bool m_in_doctype = false;
    bool m_has_dtd = false;
    std::u16string m_dtd;  // the system id of the DTD the DOCTYPE names
};
