// Reading an element's attributes: one value as narrow text, or several raw
// values found in one pass over the attribute list.
#pragma once

#include <cstddef>

#include <xercesc/sax2/Attributes.hpp>

#include "rdb_xml_char_buffer.h"

// The value of attribute `name` as narrow text in `buffer`; an absent
// attribute gives the empty text. Never null.
const char* rdb_xml_get_attribute(const xercesc::Attributes& attrs, const XMLCh* name,
                                  RDB_XML_CHAR_BUFFER& buffer);

// values[i] becomes the value of the attribute whose qualified name is
// exactly names[i] (null when there is none): what attrs.getValue(names[i])
// gives, for all of them in one pass over the attributes.
void rdb_xml_find_attributes(const xercesc::Attributes& attrs, const XMLCh* const* names, const XMLCh** values,
                             std::size_t count);

template <std::size_t N>
void rdb_xml_find_attributes(const xercesc::Attributes& attrs, const XMLCh* const (&names)[N],
                             const XMLCh* (&values)[N])
{
    // Most elements of a report (cells, rows) have no attributes at all.
    if (attrs.getLength() == 0) {
        for (const XMLCh*& value : values)
            value = nullptr;
        return;
    }
    rdb_xml_find_attributes(attrs, names, values, N);
}
