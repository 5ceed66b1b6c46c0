#include "rdb_xml_reader_guard.h"

#include <xercesc/util/XMLUni.hpp>

using namespace xercesc;

void RDB_XML_READER_GUARD::protect(SAX2XMLReader* reader, const XMLCh* schema_location,
                                   const std::uint64_t* input_bytes)
{
    m_resolver.allow_schema(schema_location);
    reader->setEntityResolver(&m_resolver);
    // Nothing the resolver gives no source for is looked up another way.
    reader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
    reader->setFeature(XMLUni::fgXercesLoadSchema, false);
    reader->setFeature(XMLUni::fgXercesSkipDTDValidation, true);
    // The DTD a DOCTYPE names is not read without validation (which loads
    // it anyway, and is refused it by the resolver); the resolver warns.
    reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
    reader->setLexicalHandler(&m_resolver);
    reader->setProperty(XMLUni::fgXercesSecurityManager, &m_security);
    m_limits.set_input_bytes(input_bytes);
    reader->installAdvDocHandler(&m_limits);
    reader->setDeclarationHandler(&m_limits);
}
