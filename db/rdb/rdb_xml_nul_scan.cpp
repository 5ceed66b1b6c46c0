#include "rdb_xml_nul_scan.h"

#include <cstring>

namespace {

bool starts(const unsigned char* bytes, std::size_t count, const char* head, std::size_t length)
{
    return count >= length && std::memcmp(bytes, head, length) == 0;
}

// Characters that the `count` bytes of UTF-8 at `bytes` start.
std::int64_t utf8_starts(const unsigned char* bytes, std::size_t count)
{
    std::int64_t n = 0;
    for (std::size_t i = 0; i < count; ++i)
        n += (bytes[i] & 0xC0) != 0x80;
    return n;
}

}  // namespace

std::size_t RDB_XML_NUL_SCAN::scan(const unsigned char* bytes, std::size_t count)
{
    if (m_found)
        return 0;
    if (count == 0)
        return 0;
    if (m_unit == 0)
        detect(bytes, count);
    std::size_t before = m_unit == 1 ? scan_bytes(bytes, count) : scan_units(bytes, count);
    m_offset += count;
    return before;
}

// The encoding families of the parser's own detection, by the first bytes.
void RDB_XML_NUL_SCAN::detect(const unsigned char* bytes, std::size_t count)
{
    struct FAMILY {
        const char* head;
        std::size_t length;
        unsigned unit;
        bool big_endian;
        bool mark;  // the head is a byte order mark
    };
    static const FAMILY FAMILIES[] = {
        {"\x00\x00\xFE\xFF", 4, 4, true, true}, {"\xFF\xFE\x00\x00", 4, 4, false, true},
        {"\x00\x00\x00\x3C", 4, 4, true, false}, {"\x3C\x00\x00\x00", 4, 4, false, false},
        {"\xFE\xFF", 2, 2, true, true},          {"\xFF\xFE", 2, 2, false, true},
        {"\x00\x3C\x00\x3F", 4, 2, true, false}, {"\x3C\x00\x3F\x00", 4, 2, false, false},
        {"\xEF\xBB\xBF", 3, 1, false, true},
    };
    m_unit = 1;
    for (const FAMILY& family : FAMILIES) {
        if (starts(bytes, count, family.head, family.length)) {
            m_unit = family.unit;
            m_big_endian = family.big_endian;
            m_chars = family.mark ? -1 : 0;
            return;
        }
    }
}

std::size_t RDB_XML_NUL_SCAN::scan_bytes(const unsigned char* bytes, std::size_t count)
{
    const void* nul = std::memchr(bytes, 0, count);
    std::size_t before = nul != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - bytes) : count;
    count_bytes(bytes, before);
    m_found = nul != nullptr;
    m_nul_byte = m_offset + before;
    return before;
}

// Counts lines and columns over bytes of UTF-8 (or of a one-byte encoding).
// The common case, text without a CR, takes a count of LFs and the
// characters after the last one; CRs go character by character.
void RDB_XML_NUL_SCAN::count_bytes(const unsigned char* bytes, std::size_t count)
{
    if (count == 0)
        return;
    if (std::memchr(bytes, '\r', count) != nullptr) {
        // A UTF-8 continuation byte starts no character, as the second
        // unit of a UTF-16 pair does not.
        for (std::size_t i = 0; i < count; ++i)
            count_unit((bytes[i] & 0xC0) == 0x80 ? 0xDC00 : bytes[i]);
        return;
    }
    // Lines run to hundreds of bytes: a search per line costs less than a
    // look at every byte.
    const unsigned char* const end = bytes + count;
    const unsigned char* line = bytes;  // where the last line begins
    std::uint64_t lfs = 0;
    for (const void* lf; (lf = std::memchr(line, '\n', static_cast<std::size_t>(end - line))) != nullptr;) {
        line = static_cast<const unsigned char*>(lf) + 1;
        ++lfs;
    }
    // The LF of a CR LF split between two reads ended no line of its own.
    if (m_after_cr && bytes[0] == '\n')
        --lfs;
    m_after_cr = false;
    m_line += lfs;
    if (line == bytes)
        m_chars += utf8_starts(bytes, count);
    else
        m_chars = utf8_starts(line, static_cast<std::size_t>(end - line));
}

// One code unit: a line end, the second unit of a pair (0xDC00-0xDFFF,
// no character of its own), or a character.
void RDB_XML_NUL_SCAN::count_unit(std::uint32_t unit)
{
    if (unit == '\n') {
        if (!m_after_cr)
            ++m_line;
        m_chars = 0;
        m_after_cr = false;
    } else if (unit == '\r') {
        ++m_line;
        m_chars = 0;
        m_after_cr = true;
    } else {
        m_after_cr = false;
        if (unit < 0xDC00 || unit > 0xDFFF)
            ++m_chars;
    }
}

// UTF-16 and UTF-32: whole units only, a unit split between two reads
// taken once its last byte came.
std::size_t RDB_XML_NUL_SCAN::scan_units(const unsigned char* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        m_partial[m_partial_count++] = bytes[i];
        if (m_partial_count < m_unit)
            continue;
        std::uint32_t unit = 0;
        for (unsigned k = 0; k < m_unit; ++k)
            unit |= std::uint32_t(m_partial[m_big_endian ? k : m_unit - 1 - k]) << (8 * (m_unit - 1 - k));
        if (unit == 0) {
            m_found = true;
            m_nul_byte = m_offset + i + 1 - m_unit;
            // Bytes of the NUL that came with earlier reads went out then.
            return i + 1 >= m_unit ? i + 1 - m_unit : 0;
        }
        m_partial_count = 0;
        count_unit(unit);
    }
    return count;
}
