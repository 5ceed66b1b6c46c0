#include "rdb_xml_attributes.h"

#include <xercesc/util/XMLString.hpp>

const char* rdb_xml_get_attribute(const xercesc::Attributes& attrs, const XMLCh* name, RDB_XML_CHAR_BUFFER& buffer)
{
    return buffer.assign(attrs.getValue(name)).text();
}

void rdb_xml_find_attributes(const xercesc::Attributes& attrs, const XMLCh* const* names, const XMLCh** values,
                             std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        values[i] = nullptr;
    const XMLSize_t length = attrs.getLength();
    std::size_t found = 0;
    for (XMLSize_t a = 0; a < length && found < count; ++a) {
        const XMLCh* qname = attrs.getQName(a);
        for (std::size_t i = 0; i < count; ++i) {
            // As getValue(name): the first attribute of that name.
            if (values[i] == nullptr && xercesc::XMLString::equals(qname, names[i])) {
                values[i] = attrs.getValue(a);
                ++found;
                break;
            }
        }
    }
}
