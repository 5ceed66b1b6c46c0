// UTF-16 to UTF-8 transcoding of the parser's wide strings into storage the
// caller provides. It gives the same bytes as Xerces-C's XMLString::transcode
// does with its UTF-8 local code page, without a heap string per call.
#pragma once

#include <cstddef>

#include <xercesc/util/XercesDefs.hpp>

// Bytes that `length` UTF-16 units of `text` need as UTF-8 (no terminator).
std::size_t rdb_xml_utf8_length(const XMLCh* text, std::size_t length);

// Writes the UTF-8 form of `length` units of `text` and a terminating zero
// into `out`, which must hold rdb_xml_utf8_length(...) + 1 bytes. Returns
// the number of bytes written before the terminator. A lone surrogate is
// written as U+FFFD.
std::size_t rdb_xml_utf8_encode(const XMLCh* text, std::size_t length, char* out);

// Writes the UTF-8 form of the zero-terminated `text` and a terminating
// zero into `out` when it takes at most `capacity` bytes (`out` holds
// capacity + 1). Returns false, with `out` holding an unfinished text, when
// it takes more. One pass: the common short value costs no length count.
bool rdb_xml_utf8_encode_within(const XMLCh* text, char* out, std::size_t capacity);

// Length of a zero-terminated wide string.
std::size_t rdb_xml_wide_length(const XMLCh* text);

// A narrow string from XMLString::transcode, released through the memory
// manager when it goes out of scope, also when a message sink throws.
class RDB_XML_NARROW_TEXT {
public:
    explicit RDB_XML_NARROW_TEXT(const XMLCh* text);
    ~RDB_XML_NARROW_TEXT();
    RDB_XML_NARROW_TEXT(const RDB_XML_NARROW_TEXT&) = delete;
    RDB_XML_NARROW_TEXT& operator=(const RDB_XML_NARROW_TEXT&) = delete;

    // Never null: an absent text reads as "".
    const char* text() const { return m_text != nullptr ? m_text : ""; }

private:
    char* m_text;
};
