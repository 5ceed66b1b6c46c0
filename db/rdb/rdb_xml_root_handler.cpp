#include "rdb_xml_root_handler.h"

#include "rdb_xml_context.h"
#include "rdb_xml_globals.h"

void RDB_XML_ROOT_HANDLER::handle_start_element(RDB_XML_ELEMENT_KIND element, const xercesc::Attributes& attrs)
{
    m_text_said = false;
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

void RDB_XML_ROOT_HANDLER::handle_characters(const char* text, std::size_t length)
{
    RDB_XML_QUOTE quote;
    if (m_text_said || !rdb_xml_quote_text(text, length, quote))
        return;
    m_text_said = true;
    rdb_xml_not_as_written("text \"%.*s%s\" outside any report element: passed over", quote.m_length, quote.m_text,
                           quote.m_more);
}

void RDB_XML_ROOT_HANDLER::setDocumentLocator(const xercesc::Locator* const locator)
{
    // Handlers' diagnostics say where in the document they arose. The reader
    // calls this only while it parses, and every parse has its context.
    rdb_xml_context->m_locator = locator;
}
