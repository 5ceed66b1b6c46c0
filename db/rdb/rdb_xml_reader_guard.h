// RDB_XML_READER_GUARD: the protections the driver sets on its reader after
// the features that choose validation and namespaces. They change nothing
// for a report file that stands on its own:
// - the entity resolver (rdb_xml_entity_resolver.h) is the only way to
//   anything outside the report file, and it allows only the schema beside
//   the library; the reader never falls back to its own lookup (no file, no
//   network), and schema hints inside a document are not followed;
// - a DTD never validates a report (only the schema does), and the one a
//   DOCTYPE names is not read;
// - what entity references make is bounded by the bytes of the report read
//   (rdb_xml_reader_limits.h, with the memory manager of
//   rdb_xml_xerces_memory.h, which the driver gives the reader when it
//   makes it), and so are entity length and element nesting.
#pragma once

#include <cstdint>

#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/util/SecurityManager.hpp>

#include "rdb_xml_entity_resolver.h"
#include "rdb_xml_reader_limits.h"

class RDB_XML_READER_GUARD {
public:
    // Entity references one parse may expand, whatever they make
    // (references to the predefined entities and character references do
    // not count). RDB_XML_READER_LIMITS weighs every reference in text and
    // every one nested in an entity; this count is what bounds references
    // to empty entities written in an attribute value, which make nothing
    // to weigh. The reader expands about two million of those a second.
    static constexpr XMLSize_t ENTITY_EXPANSION_LIMIT = 1000000;

    RDB_XML_READER_GUARD() { m_security.setEntityExpansionLimit(ENTITY_EXPANSION_LIMIT); }
    RDB_XML_READER_GUARD(const RDB_XML_READER_GUARD&) = delete;
    RDB_XML_READER_GUARD& operator=(const RDB_XML_READER_GUARD&) = delete;

    // Sets the protections on `reader`; `schema_location` is the one
    // resource it may open, `input_bytes` counts the bytes of the report the
    // reader has taken so far (both kept, not copied). The guard must
    // outlive the reader.
    void protect(xercesc::SAX2XMLReader* reader, const XMLCh* schema_location, const std::uint64_t* input_bytes);

private:
    RDB_XML_ENTITY_RESOLVER m_resolver;
    RDB_XML_READER_LIMITS m_limits;
    xercesc::SecurityManager m_security;
};
