#include "rdb_utf8.h"

bool rdb_utf8_scan(const char* text, std::size_t length, std::size_t& consumed)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    unsigned char lead = p[0];
    consumed = 1;
    if (lead < 0x80)
        return true;
    // The sequence length and the range of the second byte, by lead byte.
    std::size_t need;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        need = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3;
        if (lead == 0xE0)
            low = 0xA0;  // no overlong forms
        else if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4;
        if (lead == 0xF0)
            low = 0x90;  // no overlong forms
        else if (lead == 0xF4)
            high = 0x8F;  // nothing above U+10FFFF
    } else
        return false;
    for (std::size_t i = 1; i < need; ++i) {
        if (i >= length)
            return false;
        unsigned char byte = p[i];
        bool fits = i == 1 ? byte >= low && byte <= high : byte >= 0x80 && byte <= 0xBF;
        if (!fits)
            return false;
        consumed = i + 1;
    }
    return true;
}

bool rdb_utf8_is_valid(const char* text, std::size_t length)
{
    std::size_t at = 0;
    while (at < length) {
        // Plain ASCII runs are the common case.
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        std::size_t consumed;
        if (!rdb_utf8_scan(text + at, length - at, consumed))
            return false;
        at += consumed;
    }
    return true;
}

void rdb_utf8_append_repaired(std::string& out, const char* text, std::size_t length)
{
    static const char replacement[] = "\xEF\xBF\xBD";
    std::size_t at = 0;
    while (at < length) {
        std::size_t consumed;
        if (rdb_utf8_scan(text + at, length - at, consumed))
            out.append(text + at, consumed);
        else
            out.append(replacement, sizeof(replacement) - 1);
        at += consumed;
    }
}
