// RDB_XML_NUL_SCAN: finds the first U+0000 character of a report as its
// bytes go to the XML parser.
//
// The parser takes that character for the end of its text and never looks
// past it, so a report followed by a NUL and anything at all would be read
// as whole. XML allows the character nowhere, so the driver refuses an input
// that holds one, naming the place. Characters are what count, not bytes: a
// UTF-16 or UTF-32 report holds zero bytes in most of its characters. The
// width of a character's code unit is told from the first bytes of the input
// (a byte order mark, or "<?" as the encoding writes it), as the parser
// tells the encoding itself; every other input is taken for one byte a unit,
// where a zero byte is U+0000 in UTF-8 and in the one-byte encodings alike.
//
// The line and column of the NUL are counted as the parser counts them:
// CR, LF and CR LF end a line; a column is a character (of UTF-8, a byte
// that starts one; of UTF-16, a unit that is not the second of a pair).
#pragma once

#include <cstddef>
#include <cstdint>

class RDB_XML_NUL_SCAN {
public:
    // Looks at the next `count` bytes of the input and returns how many of
    // them come before the first NUL character: all of them while there is
    // none, and 0 once one was found (also in later calls).
    std::size_t scan(const unsigned char* bytes, std::size_t count);

    bool found() const { return m_found; }
    // Where the NUL is: its byte in the document's bytes (decompressed),
    // from 0; its line and column, from 1.
    std::uint64_t byte() const { return m_nul_byte; }
    std::uint64_t line() const { return m_line; }
    std::uint64_t column() const { return static_cast<std::uint64_t>(m_chars + 1); }

private:
    void detect(const unsigned char* bytes, std::size_t count);
    std::size_t scan_bytes(const unsigned char* bytes, std::size_t count);
    std::size_t scan_units(const unsigned char* bytes, std::size_t count);
    void count_bytes(const unsigned char* bytes, std::size_t count);
    void count_unit(std::uint32_t unit);

    unsigned m_unit = 0;  // bytes a code unit: 1, 2 or 4; 0 until the first bytes came
    bool m_big_endian = false;
    unsigned char m_partial[4] = {};  // a unit begun at the end of the last bytes
    unsigned m_partial_count = 0;
    std::uint64_t m_offset = 0;  // bytes scanned so far
    bool m_found = false;
    std::uint64_t m_nul_byte = 0;
    std::uint64_t m_line = 1;
    // Characters on the current line so far; -1 while a byte order mark
    // at the start is still to be passed, which the parser does not count.
    std::int64_t m_chars = 0;
    bool m_after_cr = false;  // the last character was a CR: an LF now ends no line
};
