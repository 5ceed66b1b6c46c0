#include <rdbxml/rdb_types.h>

#include <cstdio>

#include <cstddef>
#include <cstring>

#include "gen_util.h"

namespace {

const char* const CHART_TYPE_NAMES[] = {"bar", "line", "pie", "scatter", "histogram"};
const char* const EMBEDDED_TYPE_NAMES[] = {"generic", "image", "html", "text"};
const char* const DISPLAY_OPTION_NAMES[] = {"ns", "ps", "mhz"};
const char* const SLACK_COLUMN_NAMES[] = {"slack", "required", "arrival", "from",
                                          "to",    "from_clock", "to_clock", "skew"};

static_assert(sizeof(CHART_TYPE_NAMES) / sizeof(CHART_TYPE_NAMES[0]) == RDB_CHART_TYPE_COUNT, "chart names");
static_assert(sizeof(EMBEDDED_TYPE_NAMES) / sizeof(EMBEDDED_TYPE_NAMES[0]) == RDB_EMBEDDED_TYPE_COUNT,
              "embedded names");
static_assert(sizeof(DISPLAY_OPTION_NAMES) / sizeof(DISPLAY_OPTION_NAMES[0]) == RDB_DELAY_DISPLAY_COUNT,
              "display option names");
static_assert(sizeof(SLACK_COLUMN_NAMES) / sizeof(SLACK_COLUMN_NAMES[0]) == RDB_SLACK_COLUMN_COUNT,
              "slack column names");

// The index of `name` in `names` ignoring case, or -1.
template <std::size_t N>
int index_of_name(const char* const (&names)[N], const char* name)
{
    if (name == nullptr)
        return -1;
    // The names are lower-case ASCII: a first character that differs
    // (ignoring case) rules a name out, and the rest compares after it.
    const char first = gen_ascii_lower(name[0]);
    for (std::size_t i = 0; i < N; ++i)
        if (names[i][0] == first && gen_stricmp(names[i] + 1, name + 1) == 0)
            return static_cast<int>(i);
    return -1;
}

template <std::size_t N>
const char* name_of_index(const char* const (&names)[N], int value)
{
    return value >= 0 && static_cast<std::size_t>(value) < N ? names[value] : nullptr;
}

const char* name_or_unknown(const char* name) { return name != nullptr ? name : RDB_UNKNOWN_ENUM_NAME; }

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "#rrggbb" or "#rgb" after the '#'; RDB_NO_COLOR for anything else.
RDB_RGB_COLOR parse_hex_color(const char* digits)
{
    int values[6];
    std::size_t count = 0;
    for (; digits[count] != 0; ++count) {
        if (count == 6)
            return RDB_NO_COLOR;
        values[count] = hex_digit(digits[count]);
        if (values[count] < 0)
            return RDB_NO_COLOR;
    }
    RDB_RGB_COLOR rgb = 0;
    if (count == 6) {
        for (int v : values)
            rgb = rgb << 4 | static_cast<RDB_RGB_COLOR>(v);
        return rgb;
    }
    if (count == 3) {
        for (std::size_t i = 0; i < 3; ++i)
            rgb = rgb << 8 | static_cast<RDB_RGB_COLOR>(values[i] * 0x11);
        return rgb;
    }
    return RDB_NO_COLOR;
}

// "magenta".
constexpr std::size_t LONGEST_COLOR_NAME = 7;

// Whether the folded text of `length` characters is `name`.
template <std::size_t N>
inline bool is(const char* folded, std::size_t length, const char (&name)[N])
{
    return length == N - 1 && std::memcmp(folded, name, N - 1) == 0;
}

inline RDB_RGB_COLOR color_if(bool same, RDB_RGB_COLOR rgb) { return same ? rgb : RDB_NO_COLOR; }

}  // namespace

RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM rdb_get_rdb_chart_table_object_chart_types_enum_by_string(const char* name)
{
    return static_cast<RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM>(index_of_name(CHART_TYPE_NAMES, name));
}

RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM rdb_get_rdb_embedded_object_embedded_type_enum_by_string(const char* name)
{
    return static_cast<RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM>(index_of_name(EMBEDDED_TYPE_NAMES, name));
}

RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM
rdb_get_rdb_table_delay_element_display_option_enum_by_string(const char* name)
{
    return static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(index_of_name(DISPLAY_OPTION_NAMES, name));
}

RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM
rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string(const char* name)
{
    return static_cast<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM>(index_of_name(SLACK_COLUMN_NAMES, name));
}

const char* rdb_get_string_by_rdb_chart_table_object_chart_types_enum(RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM value)
{
    return name_of_index(CHART_TYPE_NAMES, value);
}

const char* rdb_get_string_by_rdb_embedded_object_embedded_type_enum(RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM value)
{
    return name_of_index(EMBEDDED_TYPE_NAMES, value);
}

const char* rdb_get_string_by_rdb_table_delay_element_display_option_enum(
    RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM value)
{
    return name_of_index(DISPLAY_OPTION_NAMES, value);
}

const char* rdb_get_string_by_rdb_tan_slack_table_object_column_types_enum(
    RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM value)
{
    return name_of_index(SLACK_COLUMN_NAMES, value);
}

const char* rdb_chart_type_name(RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM value)
{
    return name_or_unknown(rdb_get_string_by_rdb_chart_table_object_chart_types_enum(value));
}

const char* rdb_embedded_type_name(RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM value)
{
    return name_or_unknown(rdb_get_string_by_rdb_embedded_object_embedded_type_enum(value));
}

const char* rdb_delay_display_option_name(RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM value)
{
    return name_or_unknown(rdb_get_string_by_rdb_table_delay_element_display_option_enum(value));
}

const char* rdb_slack_column_type_name(RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM value)
{
    return name_or_unknown(rdb_get_string_by_rdb_tan_slack_table_object_column_types_enum(value));
}

RDB_RGB_COLOR rdb_get_rgb_color(const char* text)
{
    if (text == nullptr)
        return RDB_NO_COLOR;
    if (text[0] == '#')
        return parse_hex_color(text + 1);
    // A name is 3 to 7 letters: its first letter and its length leave at
    // most two candidates, which the folded text must then equal.
    char f[LONGEST_COLOR_NAME];
    std::size_t n = 0;
    for (; text[n] != 0; ++n) {
        if (n == LONGEST_COLOR_NAME)
            return RDB_NO_COLOR;
        f[n] = gen_ascii_lower(text[n]);
    }
    switch (gen_ascii_lower(text[0])) {
    case 'b':
        if (n == 5)
            return color_if(is(f, n, "black"), 0x000000);
        return color_if(is(f, n, "blue"), 0x0000ff);
    case 'c': return color_if(is(f, n, "cyan"), 0x00ffff);
    case 'g':
        if (n == 5)
            return color_if(is(f, n, "green"), 0x008000);
        // "gray" and "grey" are the same colour.
        return color_if(is(f, n, "gray") || is(f, n, "grey"), 0x808080);
    case 'l': return color_if(is(f, n, "lime"), 0x00ff00);
    case 'm':
        if (n == 7)
            return color_if(is(f, n, "magenta"), 0xff00ff);
        return color_if(is(f, n, "maroon"), 0x800000);
    case 'n': return color_if(is(f, n, "navy"), 0x000080);
    case 'o':
        if (n == 6)
            return color_if(is(f, n, "orange"), 0xffa500);
        return color_if(is(f, n, "olive"), 0x808000);
    case 'p': return color_if(is(f, n, "purple"), 0x800080);
    case 'r': return color_if(is(f, n, "red"), 0xff0000);
    case 's': return color_if(is(f, n, "silver"), 0xc0c0c0);
    case 't': return color_if(is(f, n, "teal"), 0x008080);
    case 'w': return color_if(is(f, n, "white"), 0xffffff);
    case 'y': return color_if(is(f, n, "yellow"), 0xffff00);
    default: return RDB_NO_COLOR;
    }
}

std::string rdb_rgb_color_text(RDB_RGB_COLOR color)
{
    char text[8];
    std::snprintf(text, sizeof(text), "#%06x", color & 0xFFFFFFu);
    return text;
}
