#include "rdb_xml_convert.h"

#include <cstdio>

#include "rdb_xml_content_handler.h"
#include "rdb_xml_context.h"

namespace {

// The common case of a cell number read without sscanf: white space, an
// optional sign, one to nine digits and then anything but a digit. Such a
// number fits every integer type, and sscanf would read exactly it. False
// for every other text, which is then left to sscanf itself.
bool read_short_decimal(const char* text, long& value)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    long number = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9') {
        if (++digits > 9)
            return false;
        number = number * 10 + (*p++ - '0');
    }
    if (digits == 0)
        return false;
    value = negative ? -number : number;
    return true;
}

}  // namespace

int rdb_xml_read_int(const char* text)
{
    long fast;
    if (read_short_decimal(text, fast))
        return static_cast<int>(fast);
    int value = 0;
    std::sscanf(text, "%d", &value);
    return value;
}

// A decimal number into a long: the same reading as "%d", with the length
// modifier that matches the variable.
long rdb_xml_read_long(const char* text)
{
    long value = 0;
    if (read_short_decimal(text, value))
        return value;
    std::sscanf(text, "%ld", &value);
    return value;
}

unsigned int rdb_xml_read_unsigned(const char* text)
{
    unsigned int value = 0;
    std::sscanf(text, "%u", &value);
    return value;
}

void rdb_xml_unknown_enumeration(const char* text) { rdb_xml_semantic_error("Unrecognized enumeration type: %s", text); }
