// RDB_XML_READER_GUARD: the protections the driver sets on its reader after
// the features that choose validation and namespaces. They change nothing
// for a report file that stands on its own:
// - the entity resolver (rdb_xml_entity_resolver.h) is the only way to
//   anything outside the report file, and it allows only the schema beside
//   the library; the reader never falls back to its own lookup (no file, no
//   network), and schema hints inside a document are not followed;
// - a DTD never validates a report (only the schema does);
// - entity expansions are counted by the reader's security manager, and the
//   limits of rdb_xml_reader_limits.h bound entity length and nesting.
#pragma once

#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/util/SecurityManager.hpp>

#include "rdb_xml_entity_resolver.h"
#include "rdb_xml_reader_limits.h"

class RDB_XML_READER_GUARD {
public:
    // Entity expansions one parse may make (references to the predefined
    // entities and character references do not count): a nest of entities
    // that would expand a billion times stops with a fatal error here. With
    // the longest entity RDB_XML_READER_LIMITS allows, entity references
    // can make at most some four million characters of a document.
    static constexpr XMLSize_t ENTITY_EXPANSION_LIMIT = 2000;

    RDB_XML_READER_GUARD() { m_security.setEntityExpansionLimit(ENTITY_EXPANSION_LIMIT); }
    RDB_XML_READER_GUARD(const RDB_XML_READER_GUARD&) = delete;
    RDB_XML_READER_GUARD& operator=(const RDB_XML_READER_GUARD&) = delete;

    // Sets the protections on `reader`; `schema_location` is the one
    // resource it may open. The guard must outlive the reader.
    void protect(xercesc::SAX2XMLReader* reader, const XMLCh* schema_location);

private:
    RDB_XML_ENTITY_RESOLVER m_resolver;
    RDB_XML_READER_LIMITS m_limits;
    xercesc::SecurityManager m_security;
};
