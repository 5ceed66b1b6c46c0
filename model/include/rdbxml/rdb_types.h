// Enumerations, colours and their names: the values the report objects
// hold and the lookups that turn the names of a report file into them.
//
// Every lookup by name ignores ASCII case and never trims: " bar" is not a
// chart type. A name that is not known (and a null text) gives -1.
#pragma once

#include <string>

// What kind of object a table was built as. The parser passes 4 for a plain
// table and 8 for both timing-analysis tables; the other values are the ones
// the model gives the objects it builds without an explicit type.
enum RDB_OBJECT_TYPE : int {
    RDB_OBJECT_TYPE_UNKNOWN = 0,
    RDB_OBJECT_TYPE_FOLDER = 1,
    RDB_OBJECT_TYPE_TEXT = 2,
    RDB_OBJECT_TYPE_LEGAL = 3,
    RDB_OBJECT_TYPE_TABLE = 4,
    RDB_OBJECT_TYPE_SUMMARY_TABLE = 5,
    RDB_OBJECT_TYPE_CHART_TABLE = 6,
    RDB_OBJECT_TYPE_EMBEDDED = 7,
    RDB_OBJECT_TYPE_TAN_TABLE = 8,
    RDB_OBJECT_TYPE_WAVEFORM = 9,
    RDB_OBJECT_TYPE_GAUGES = 10
};

enum RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM : int {
    RDB_CHART_TYPE_UNKNOWN = -1,
    RDB_CHART_TYPE_BAR = 0,
    RDB_CHART_TYPE_LINE,
    RDB_CHART_TYPE_PIE,
    RDB_CHART_TYPE_SCATTER,
    RDB_CHART_TYPE_HISTOGRAM,
    RDB_CHART_TYPE_COUNT
};

enum RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM : int {
    RDB_EMBEDDED_TYPE_UNKNOWN = -1,
    RDB_EMBEDDED_TYPE_GENERIC = 0,
    RDB_EMBEDDED_TYPE_IMAGE,
    RDB_EMBEDDED_TYPE_HTML,
    RDB_EMBEDDED_TYPE_TEXT,
    RDB_EMBEDDED_TYPE_COUNT
};

enum RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM : int {
    RDB_DELAY_DISPLAY_UNKNOWN = -1,
    RDB_DELAY_DISPLAY_NS = 0,
    RDB_DELAY_DISPLAY_PS,
    RDB_DELAY_DISPLAY_MHZ,
    RDB_DELAY_DISPLAY_COUNT
};

enum RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM : int {
    RDB_SLACK_COLUMN_UNKNOWN = -1,
    RDB_SLACK_COLUMN_SLACK = 0,
    RDB_SLACK_COLUMN_REQUIRED,
    RDB_SLACK_COLUMN_ARRIVAL,
    RDB_SLACK_COLUMN_FROM,
    RDB_SLACK_COLUMN_TO,
    RDB_SLACK_COLUMN_FROM_CLOCK,
    RDB_SLACK_COLUMN_TO_CLOCK,
    RDB_SLACK_COLUMN_SKEW,
    RDB_SLACK_COLUMN_COUNT
};

// What RDB_TABLE_OBJECT::get_element found.
enum STATE_OF_GET_ELEMENT_ENUM : int {
    STATE_OF_GET_ELEMENT_FOUND = 0,
    STATE_OF_GET_ELEMENT_NO_ROW,     // the row index is beyond the last row
    STATE_OF_GET_ELEMENT_NO_COLUMN,  // the row has fewer cells than the column index
    STATE_OF_GET_ELEMENT_EMPTY_CELL  // the row holds a null cell there
};

RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM rdb_get_rdb_chart_table_object_chart_types_enum_by_string(const char* name);
RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM rdb_get_rdb_embedded_object_embedded_type_enum_by_string(const char* name);
RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM
rdb_get_rdb_table_delay_element_display_option_enum_by_string(const char* name);
RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM
rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string(const char* name);

// The lower-case name of a value, or null for a value outside the enumeration.
const char* rdb_get_string_by_rdb_chart_table_object_chart_types_enum(RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM value);
const char* rdb_get_string_by_rdb_embedded_object_embedded_type_enum(RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM value);
const char* rdb_get_string_by_rdb_table_delay_element_display_option_enum(
    RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM value);
const char* rdb_get_string_by_rdb_tan_slack_table_object_column_types_enum(
    RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM value);

// The name every writer shows for a value outside its enumeration.
constexpr const char RDB_UNKNOWN_ENUM_NAME[] = "unknown";

// The lower-case name of a value as the writers show it: the same as the
// rdb_get_string_by_* functions above, but RDB_UNKNOWN_ENUM_NAME, never
// null, for a value outside the enumeration.
const char* rdb_chart_type_name(RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM value);
const char* rdb_embedded_type_name(RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM value);
const char* rdb_delay_display_option_name(RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM value);
const char* rdb_slack_column_type_name(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM value);

// A colour as 0xRRGGBB.
typedef unsigned RDB_RGB_COLOR;
// "No colour": a cell's colour setters ignore it. No 0xRRGGBB value equals it.
constexpr RDB_RGB_COLOR RDB_NO_COLOR = 0xFFFFFFFFu;

// The colour a text names: "#rrggbb", "#rgb" (each digit doubled), or one of
// black, white, red, green, blue, yellow, cyan, magenta, gray, grey, orange,
// purple, navy, teal, maroon, olive, silver, lime. Hex digits and names
// ignore case; nothing is trimmed. Anything else (and null) gives RDB_NO_COLOR.
RDB_RGB_COLOR rdb_get_rgb_color(const char* text);
// A colour as "#rrggbb" (the low 24 bits).
std::string rdb_rgb_color_text(RDB_RGB_COLOR color);
