// Conversions of element and attribute text shared by the handlers: decimal
// numbers, and the semantic error of an unknown enumeration name.
#pragma once

// Each number is read with sscanf into a variable preset to 0; the
// conversion count is not looked at, so leading white space is skipped,
// reading stops at the first character that is not part of the number, and
// a text without a leading number gives 0. None of them reports anything.
int rdb_xml_read_int(const char* text);            // "%d"
long rdb_xml_read_long(const char* text);          // "%ld"
unsigned int rdb_xml_read_unsigned(const char* text);  // "%u"

// An enumeration name the report model does not know: one more semantic
// error, and the message "Unrecognized enumeration type: <text>".
void rdb_xml_unknown_enumeration(const char* text);
