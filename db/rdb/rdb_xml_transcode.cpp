#include "rdb_xml_transcode.h"

#include <xercesc/util/XMLString.hpp>

#include <rdbxml/mem_manager.h>
#include "rdb_xml_globals.h"

namespace {

inline bool is_high(XMLCh c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool is_surrogate(XMLCh c) { return c >= 0xD800 && c <= 0xDFFF; }

// Where a text ends: after `length` units, or at its terminating zero.
struct COUNTED_END {
    const XMLCh* m_end;
    bool at(const XMLCh* p) const { return p == m_end; }
};
struct ZERO_END {
    bool at(const XMLCh* p) const { return *p == 0; }
};

// The character at `p`, which is not the end, and the units it takes: a
// surrogate pair is one character, and a lone surrogate reads as U+FFFD.
template <class END>
inline unsigned long read_character(const XMLCh*& p, END end)
{
    unsigned long c = *p++;
    if (is_high(static_cast<XMLCh>(c)) && !end.at(p) && *p >= 0xDC00 && *p <= 0xDFFF)
        return 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
    return is_surrogate(static_cast<XMLCh>(c)) ? 0xFFFD : c;
}

// UTF-8 bytes of a character beyond ASCII.
inline std::size_t utf8_size(unsigned long c) { return c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// The UTF-8 form of the text up to `end` and a terminating zero, written
// from `o`; null when BOUNDED and it would pass `limit`. Returns where the
// zero was written.
template <bool BOUNDED, class END>
inline unsigned char* encode(const XMLCh* text, END end, unsigned char* o, const unsigned char* limit)
{
    for (;;) {
        // Runs of ASCII are the common case in reports.
        while (!end.at(text) && *text < 0x80) {
            if (BOUNDED && o == limit)
                return nullptr;
            *o++ = static_cast<unsigned char>(*text++);
        }
        if (end.at(text))
            break;
        unsigned long c = read_character(text, end);
        std::size_t n = utf8_size(c);
        if (BOUNDED && static_cast<std::size_t>(limit - o) < n)
            return nullptr;
        // The last bytes carry six bits each, from the lowest up.
        switch (n) {
        case 4:
            o[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            c >>= 6;
            [[fallthrough]];
        case 3:
            o[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            c >>= 6;
            [[fallthrough]];
        default:
            o[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            c >>= 6;
        }
        static const unsigned char LEAD[] = {0, 0, 0xC0, 0xE0, 0xF0};
        o[0] = static_cast<unsigned char>(LEAD[n] | c);
        o += n;
    }
    *o = 0;
    return o;
}

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
    const COUNTED_END end{text + length};
    while (!end.at(text)) {
        unsigned long c = read_character(text, end);
        bytes += c < 0x80 ? 1 : utf8_size(c);
    }
    return bytes;
}

bool rdb_xml_utf8_encode_within(const XMLCh* text, char* out, std::size_t capacity)
{
    unsigned char* o = reinterpret_cast<unsigned char*>(out);
    return encode<true>(text, ZERO_END(), o, o + capacity) != nullptr;
}

std::size_t rdb_xml_utf8_encode(const XMLCh* text, std::size_t length, char* out)
{
    unsigned char* o = reinterpret_cast<unsigned char*>(out);
    return static_cast<std::size_t>(encode<false>(text, COUNTED_END{text + length}, o, nullptr) - o);
}

RDB_XML_NARROW_TEXT::RDB_XML_NARROW_TEXT(const XMLCh* text) : m_text(xercesc::XMLString::transcode(text)) {}

RDB_XML_NARROW_TEXT::~RDB_XML_NARROW_TEXT()
{
    if (m_text != nullptr)
        MEM_MANAGER::delete_wrapper(m_text, RDB_XML_TAG);
}
