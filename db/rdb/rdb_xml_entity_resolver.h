// RDB_XML_ENTITY_RESOLVER: the one way the reader reaches anything outside
// the report file. It allows exactly the schema file beside the library and
// refuses everything else (external entities, external parameter entities,
// the external DTD where the reader asks for it): it prints "Refused to read
// external resource: %s" with the resource's system id and throws, so that
// the reader reports a fatal error at the reference and ends the parse,
// which then yields no report. Nothing refused is opened.
//
// A report's DOCTYPE often names a DTD that is not at hand where the report
// is read, and a reader that does not validate need not read it: the XML
// parser is told not to load it (the reader guard), and the report is read
// without it. As the lexical handler, the resolver hears of the DOCTYPE and
// keeps a warning that what the DTD declares does not apply. A validating
// reader (the schema) loads the DTD all the same, and is refused it.
#pragma once

#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax2/LexicalHandler.hpp>

class RDB_XML_ENTITY_RESOLVER : public xercesc::EntityResolver, public xercesc::LexicalHandler {
public:
    RDB_XML_ENTITY_RESOLVER() = default;

    // `schema_location` is the exact location the driver gives the reader as
    // its schema; the pointer is kept and must outlive the resolver's use.
    void allow_schema(const XMLCh* schema_location) { m_schema_location = schema_location; }

    xercesc::InputSource* resolveEntity(const XMLCh* public_id, const XMLCh* system_id) override;

    // The DOCTYPE: a warning when it names a DTD.
    void startDTD(const XMLCh* const name, const XMLCh* const public_id, const XMLCh* const system_id) override;
    void endDTD() override {}
    // The rest of the lexical handler is of no concern here.
    void comment(const XMLCh* const, const XMLSize_t) override {}
    void startCDATA() override {}
    void endCDATA() override {}
    void startEntity(const XMLCh* const) override {}
    void endEntity(const XMLCh* const) override {}

private:
    const XMLCh* m_schema_location = nullptr;
};
