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

// Length of a zero-terminated wide string.
std::size_t rdb_xml_wide_length(const XMLCh* text);
