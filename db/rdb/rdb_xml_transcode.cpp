#include "rdb_xml_transcode.h"

#include <xercesc/util/XMLString.hpp>

#include <rdbxml/mem_manager.h>
#include "rdb_xml_globals.h"

namespace {

inline bool is_high(XMLCh c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool is_low(XMLCh c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::size_t rdb_xml_wide_length(const XMLCh* text)
{
    std::size_t n = 0;
    if (text != nullptr)
        while (text[n] != 0)
            ++n;
    return n;
}

std::size_t rdb_xml_utf8_length(const XMLCh* text, std::size_t length)
{
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < length; ++i) {
        XMLCh c = text[i];
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (is_high(c) && i + 1 < length && is_low(text[i + 1])) {
            bytes += 4;
            ++i;
        } else
            bytes += 3;  // BMP character, or a lone surrogate written as U+FFFD
    }
    return bytes;
}

bool rdb_xml_utf8_encode_within(const XMLCh* text, char* out, std::size_t capacity)
{
    unsigned char* o = reinterpret_cast<unsigned char*>(out);
    unsigned char* const end = o + capacity;
    for (;;) {
        while (*text != 0 && *text < 0x80) {
            if (o == end)
                return false;
            *o++ = static_cast<unsigned char>(*text++);
        }
        if (*text == 0)
            break;
        unsigned long c = *text++;
        if (c < 0x800) {
            if (end - o < 2)
                return false;
            *o++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (is_high(static_cast<XMLCh>(c)) && is_low(*text)) {
            if (end - o < 4)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (*text++ - 0xDC00);
            *o++ = static_cast<unsigned char>(0xF0 | (c >> 18));
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (end - o < 3)
            return false;
        if (is_high(static_cast<XMLCh>(c)) || is_low(static_cast<XMLCh>(c)))
            c = 0xFFFD;
        *o++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    *o = 0;
    return true;
}

std::size_t rdb_xml_utf8_encode(const XMLCh* text, std::size_t length, char* out)
{
    unsigned char* o = reinterpret_cast<unsigned char*>(out);
    std::size_t i = 0;
    for (;;) {
        // Runs of ASCII are the common case in reports.
        while (i < length && text[i] < 0x80)
            *o++ = static_cast<unsigned char>(text[i++]);
        if (i >= length)
            break;
        unsigned long c = text[i++];
        if (c < 0x800) {
            *o++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (is_high(static_cast<XMLCh>(c)) && i < length && is_low(text[i])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
            *o++ = static_cast<unsigned char>(0xF0 | (c >> 18));
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (is_high(static_cast<XMLCh>(c)) || is_low(static_cast<XMLCh>(c)))
            c = 0xFFFD;
        *o++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    *o = 0;
    return static_cast<std::size_t>(reinterpret_cast<char*>(o) - out);
}

RDB_XML_NARROW_TEXT::RDB_XML_NARROW_TEXT(const XMLCh* text) : m_text(xercesc::XMLString::transcode(text)) {}

RDB_XML_NARROW_TEXT::~RDB_XML_NARROW_TEXT()
{
    if (m_text != nullptr)
        MEM_MANAGER::delete_wrapper(m_text, RDB_XML_TAG);
}
