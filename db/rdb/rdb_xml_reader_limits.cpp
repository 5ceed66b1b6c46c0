#include "rdb_xml_reader_limits.h"

#include <string>

#include <xercesc/sax/SAXParseException.hpp>

namespace {

std::u16string wide_number(unsigned long long number)
{
    std::string text = std::to_string(number);
    return std::u16string(text.begin(), text.end());
}

// Ends the parse with `message`.
[[noreturn]] void stop(const std::u16string& message)
{
    throw xercesc::SAXParseException(message.c_str(), nullptr, nullptr, 0, 0);
}

}  // namespace

void RDB_XML_READER_LIMITS::startElement(const xercesc::XMLElementDecl&, const unsigned int, const XMLCh* const,
                                         const xercesc::RefVectorOf<xercesc::XMLAttr>&, const XMLSize_t,
                                         const bool isEmpty, const bool)
{
    if (isEmpty)
        return;
    if (++m_depth > MAX_DEPTH)
        stop(u"Elements nested deeper than " + wide_number(MAX_DEPTH) + u" levels");
}

void RDB_XML_READER_LIMITS::endElement(const xercesc::XMLElementDecl&, const unsigned int, const bool,
                                       const XMLCh* const)
{
    if (m_depth > 0)
        --m_depth;
}

void RDB_XML_READER_LIMITS::internalEntityDecl(const XMLCh* const name, const XMLCh* const value)
{
    std::u16string text = value != nullptr ? value : u"";
    if (text.size() <= MAX_ENTITY_LENGTH)
        return;
    stop(u"Entity '" + std::u16string(name != nullptr ? name : u"") + u"' holds " + wide_number(text.size()) +
         u" characters, more than the " + wide_number(MAX_ENTITY_LENGTH) + u" an entity may hold");
}
