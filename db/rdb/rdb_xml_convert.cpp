#include "rdb_xml_convert.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rdb_xml_content_handler.h"
#include "rdb_xml_context.h"

namespace {

inline bool is_scanf_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Whether nothing but XML white space is left: what an indented report
// puts after a number.
inline bool only_space_from(const char* p)
{
    while (rdb_xml_is_space(*p))
        ++p;
    return *p == 0;
}

// The common case of a cell number read without sscanf: white space, an
// optional sign, one to nine digits and then anything but a digit. Such a
// number fits every integer type, and sscanf would read exactly it. False
// for every other text, which is then left to sscanf itself. `end` is
// where the digits end.
bool read_short_decimal(const char* text, long& value, const char*& end)
{
    const char* p = text;
    while (is_scanf_space(*p))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    long number = 0;
    int digits = 0;
    while (is_digit(*p)) {
        if (++digits > 9)
            return false;
        number = number * 10 + (*p++ - '0');
    }
    if (digits == 0)
        return false;
    value = negative ? -number : number;
    end = p;
    return true;
}

// The range a field holds; what the warning says of it.
enum FIELD { INT_FIELD, LONG_FIELD, UNSIGNED_FIELD };

const char* range_of(FIELD field)
{
    switch (field) {
    case INT_FIELD: return "a 32-bit number";
    case LONG_FIELD: return "a 64-bit number";
    default: return "an unsigned 32-bit number";
    }
}

enum FAULT { WHOLE_NUMBER, NOT_A_NUMBER, NOT_WHOLE, OUT_OF_RANGE };

// Whether `text` is a whole number of the field's range.
FAULT fault_of(const char* text, FIELD field)
{
    const char* p = text;
    while (is_scanf_space(*p))
        ++p;
    const char* sign = p;
    if (*p == '-' || *p == '+')
        ++p;
    if (!is_digit(*p))
        return NOT_A_NUMBER;
    errno = 0;
    bool out_of_range;
    if (field == UNSIGNED_FIELD) {
        const char* q = p;
        while (*q == '0')
            ++q;
        // Any minus but that of zero wraps round.
        bool negative = *sign == '-' && is_digit(*q);
        unsigned long long number = std::strtoull(p, nullptr, 10);
        out_of_range = negative || errno == ERANGE || number > UINT_MAX;
    } else {
        long long number = std::strtoll(sign, nullptr, 10);
        out_of_range = errno == ERANGE || (field == INT_FIELD && (number < INT_MIN || number > INT_MAX));
    }
    if (out_of_range)
        return OUT_OF_RANGE;
    while (is_digit(*p))
        ++p;
    return only_space_from(p) ? WHOLE_NUMBER : NOT_WHOLE;
}

// Says how `text` was taken when it was not a whole number in range;
// `held` is the value the report holds, as text.
void check(const char* text, const char* what, FIELD field, const char* held)
{
    FAULT fault = fault_of(text, field);
    if (fault == WHOLE_NUMBER)
        return;
    RDB_XML_QUOTE quote = {"", 0, ""};
    rdb_xml_quote_text(text, std::strlen(text), quote);
    switch (fault) {
    case NOT_A_NUMBER:
        rdb_xml_not_as_written("%s \"%.*s%s\" is not a number: taken as %s", what, quote.m_length, quote.m_text,
                               quote.m_more, held);
        break;
    case NOT_WHOLE:
        rdb_xml_not_as_written("%s \"%.*s%s\" is not a whole number: taken as %s", what, quote.m_length,
                               quote.m_text, quote.m_more, held);
        break;
    default:
        rdb_xml_not_as_written("%s \"%.*s%s\" is out of range for %s: taken as %s", what, quote.m_length,
                               quote.m_text, quote.m_more, range_of(field), held);
        break;
    }
}

// The same, with the value as the field holds it.
template <class T>
void check_value(const char* text, const char* what, FIELD field, const char* format, T value)
{
    char held[32];
    std::snprintf(held, sizeof held, format, value);
    check(text, what, field, held);
}

}  // namespace

int rdb_xml_read_int(const char* text, const char* what)
{
    long fast;
    const char* end;
    if (read_short_decimal(text, fast, end)) {
        // A clean number ends right there; anything after it is looked at.
        if (*end != 0 && !only_space_from(end))
            check_value(text, what, INT_FIELD, "%d", static_cast<int>(fast));
        return static_cast<int>(fast);
    }
    int value = 0;
    std::sscanf(text, "%d", &value);
    check_value(text, what, INT_FIELD, "%d", value);
    return value;
}

// A decimal number into a long: the same reading as "%d", with the length
// modifier that matches the variable.
long rdb_xml_read_long(const char* text, const char* what)
{
    long value = 0;
    const char* end;
    if (read_short_decimal(text, value, end)) {
        if (*end != 0 && !only_space_from(end))
            check_value(text, what, LONG_FIELD, "%ld", value);
        return value;
    }
    value = 0;
    std::sscanf(text, "%ld", &value);
    check_value(text, what, LONG_FIELD, "%ld", value);
    return value;
}

unsigned int rdb_xml_read_unsigned(const char* text, const char* what)
{
    unsigned int value = 0;
    std::sscanf(text, "%u", &value);
    check_value(text, what, UNSIGNED_FIELD, "%u", value);
    return value;
}

namespace {

// Attribute `name` read by `read`; an absent one is 0, without a word.
template <class T>
T read_attribute(const xercesc::Attributes& attrs, const XMLCh* name, const char* what, T (*read)(const char*, const char*))
{
    const XMLCh* value = attrs.getValue(name);
    if (value == nullptr)
        return 0;
    RDB_XML_CHAR_BUFFER buffer;
    buffer.assign(value);
    return read(buffer.text(), what);
}

}  // namespace

int rdb_xml_read_int_attribute(const xercesc::Attributes& attrs, const XMLCh* name, const char* what)
{
    return read_attribute(attrs, name, what, rdb_xml_read_int);
}

unsigned int rdb_xml_read_unsigned_attribute(const xercesc::Attributes& attrs, const XMLCh* name, const char* what)
{
    return read_attribute(attrs, name, what, rdb_xml_read_unsigned);
}

void rdb_xml_unknown_enumeration(const char* text) { rdb_xml_semantic_error("Unrecognized enumeration type: %s", text); }
