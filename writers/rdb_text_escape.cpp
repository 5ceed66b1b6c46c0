#include "rdb_text_escape.h"

#include <cstdio>

#include <rdbxml/rdb_text_writer.h>
#include "rdb_utf8.h"

std::string rdb_text_escaped(std::string_view text)
{
    std::string out;
    rdb_text_append_escaped(out, text, false);
    return out;
}

void rdb_text_append_escaped(std::string& out, std::string_view text, bool quoted)
{
    std::size_t at = 0;
    while (at < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80) {
            std::size_t consumed;
            if (rdb_utf8_scan(text.data() + at, text.size() - at, consumed)) {
                out.append(text.data() + at, consumed);
                at += consumed;
                continue;
            }
        }
        ++at;
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '"':
        case '\\':
            if (quoted)
                out += '\\';
            out += static_cast<char>(c);
            break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                char escape[5];
                std::snprintf(escape, sizeof(escape), "\\x%02x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
}

void rdb_text_append_quoted(std::string& out, std::string_view text)
{
    out += '"';
    rdb_text_append_escaped(out, text, true);
    out += '"';
}

std::size_t rdb_text_display_width(std::string_view text)
{
    std::size_t width = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++width;
    return width;
}
