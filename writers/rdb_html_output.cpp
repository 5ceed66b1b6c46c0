#include "rdb_html_output.h"

#include <cstdio>
#include <cstring>
#include <ostream>

#include "rdb_utf8.h"

namespace {

const char REPLACEMENT_CHARACTER[] = "\xEF\xBF\xBD";

// The reference a character stands for in HTML, or null for one that is
// written as it is.
const char* reference_for(unsigned char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&#39;";
    case '\t':
    case '\n':
    case '\r': return nullptr;
    default: return c < 0x20 || c == 0x7F ? REPLACEMENT_CHARACTER : nullptr;
    }
}

}  // namespace

RDB_HTML_OUTPUT& RDB_HTML_OUTPUT::raw(const char* markup)
{
    m_buffer += markup;
    return flush_if_full();
}

RDB_HTML_OUTPUT& RDB_HTML_OUTPUT::raw(const std::string& markup)
{
    m_buffer += markup;
    return flush_if_full();
}

RDB_HTML_OUTPUT& RDB_HTML_OUTPUT::number(long value)
{
    char digits[24];
    std::snprintf(digits, sizeof(digits), "%ld", value);
    m_buffer += digits;
    return flush_if_full();
}

RDB_HTML_OUTPUT& RDB_HTML_OUTPUT::text(const char* text, std::size_t length)
{
    std::size_t at = 0;
    while (at < length) {
        unsigned char c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80) {
            std::size_t consumed;
            if (rdb_utf8_scan(text + at, length - at, consumed))
                m_buffer.append(text + at, consumed);
            else
                m_buffer += REPLACEMENT_CHARACTER;
            at += consumed;
            continue;
        }
        if (const char* reference = reference_for(c))
            m_buffer += reference;
        else
            m_buffer += static_cast<char>(c);
        ++at;
    }
    return flush_if_full();
}

RDB_HTML_OUTPUT& RDB_HTML_OUTPUT::text(const char* text) { return this->text(text, std::strlen(text)); }

void RDB_HTML_OUTPUT::flush()
{
    m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
    m_buffer.clear();
}

