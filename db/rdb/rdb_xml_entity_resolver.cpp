#include "rdb_xml_entity_resolver.h"

#include <xercesc/framework/LocalFileInputSource.hpp>
#include <xercesc/util/RuntimeException.hpp>
#include <xercesc/util/XMLString.hpp>

#include "rdb_xml_content_handler.h"
#include "rdb_xml_context.h"
#include "rdb_xml_transcode.h"

using namespace xercesc;

InputSource* RDB_XML_ENTITY_RESOLVER::resolveEntity(const XMLCh*, const XMLCh* system_id)
{
    if (m_schema_location != nullptr && XMLString::equals(system_id, m_schema_location))
        return new LocalFileInputSource(m_schema_location);

    const XMLCh* name = system_id != nullptr ? system_id : u"";
    RDB_XML_NARROW_TEXT text(name);
    rdb_xml_debug("Refused to read external resource: %s", text.text());
    // A fatal error of the reader: it reports it through the error handler
    // at the place of the reference and ends the parse.
    ThrowXML1(RuntimeException, XMLExcepts::Gen_CouldNotOpenExtEntity, name);
}

void RDB_XML_ENTITY_RESOLVER::startDTD(const XMLCh* const, const XMLCh* const, const XMLCh* const system_id)
{
    if (system_id == nullptr)
        return;
    // Not an error, but not nothing either: a reference to an entity only
    // the DTD declares is passed over by the reader without a word, and an
    // attribute default only it gives is missing.
    RDB_XML_NARROW_TEXT name(system_id);
    rdb_xml_passed_over("the DTD \"%s\" that the DOCTYPE names is not read: what it declares does not apply",
                        name.text());
}
