// Conversions of element and attribute text shared by the handlers: decimal
// numbers, and the semantic error of an unknown enumeration name.
#pragma once

#include <xercesc/sax2/Attributes.hpp>

// Each number is read with sscanf into a variable preset to 0; the
// conversion count is not looked at, so leading white space is skipped,
// reading stops at the first character that is not part of the number, and
// a text without a leading number gives 0. A text that is not exactly a
// whole number of the field's range (white space around it aside) keeps
// that value and is said as not taken as written, naming `what` (the
// element, or the element and attribute: "column id").
int rdb_xml_read_int(const char* text, const char* what);                // "%d"
long rdb_xml_read_long(const char* text, const char* what);              // "%ld"
unsigned int rdb_xml_read_unsigned(const char* text, const char* what);  // "%u"

// The same for the value of attribute `name`; an absent attribute reads as
// 0 without a word, as the empty text does for every attribute.
int rdb_xml_read_int_attribute(const xercesc::Attributes& attrs, const XMLCh* name, const char* what);
unsigned int rdb_xml_read_unsigned_attribute(const xercesc::Attributes& attrs, const XMLCh* name, const char* what);

// An enumeration name the report model does not know: one more semantic
// error, and the message "Unrecognized enumeration type: <text>".
void rdb_xml_unknown_enumeration(const char* text);
