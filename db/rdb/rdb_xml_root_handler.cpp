#include "rdb_xml_root_handler.h"

#include "rdb_xml_context.h"
#include "rdb_xml_globals.h"

void RDB_XML_ROOT_HANDLER::handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs)
{
    RDB_XML_HANDLER_FACTORY factory = rdb_xml_handler_factory(element);
    if (factory == nullptr)
        return;
    RDB_XML_CONTENT_HANDLER* handler = factory(this);
    if (handler == nullptr)
        rdb_xml_out_of_memory("a report element");
    // The new handler reads its own start before it is installed, and is
    // remembered so that the driver can release it should the document end
    // inside its element (a handler hands back only at that element's end).
    rdb_xml_active_handler = handler;
    handler->handle_start_element(element, attrs);
    rdb_xml_reader->setContentHandler(handler);
}

void RDB_XML_ROOT_HANDLER::setDocumentLocator(const xercesc::Locator* const locator)
{
    // Handlers' diagnostics say where in the document they arose. The reader
    // calls this only while it parses, and every parse has its context.
    rdb_xml_context->m_locator = locator;
}
