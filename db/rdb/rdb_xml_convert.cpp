#include "rdb_xml_convert.h"

#include <cstdio>

#include "rdb_xml_content_handler.h"
#include "rdb_xml_globals.h"

int rdb_xml_read_int(const char* text)
{
    int value = 0;
    std::sscanf(text, "%d", &value);
    return value;
}

// A decimal number into a long: the same reading as "%d", with the length
// modifier that matches the variable.
long rdb_xml_read_long(const char* text)
{
    long value = 0;
    std::sscanf(text, "%ld", &value);
    return value;
}

unsigned int rdb_xml_read_unsigned(const char* text)
{
    unsigned int value = 0;
    std::sscanf(text, "%u", &value);
    return value;
}

void rdb_xml_unknown_enumeration(const char* text)
{
    ++rdb_xml_error_count;
    rdb_xml_debug("Unrecognized enumeration type: %s", text);
}
