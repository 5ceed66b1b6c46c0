#include "rdb_types.h"

#include <cstddef>

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
    for (std::size_t i = 0; i < N; ++i)
        if (gen_stricmp(names[i], name) == 0)
            return static_cast<int>(i);
    return -1;
}

template <std::size_t N>
const char* name_of_index(const char* const (&names)[N], int value)
{
    return value >= 0 && static_cast<std::size_t>(value) < N ? names[value] : nullptr;
}

struct NAMED_COLOR {
    const char* m_name;
    RDB_RGB_COLOR m_rgb;
};

const NAMED_COLOR NAMED_COLORS[] = {
    {"black", 0x000000},  {"white", 0xffffff},  {"red", 0xff0000},    {"green", 0x008000},
    {"blue", 0x0000ff},   {"yellow", 0xffff00}, {"cyan", 0x00ffff},   {"magenta", 0xff00ff},
    {"gray", 0x808080},   {"grey", 0x808080},   {"orange", 0xffa500}, {"purple", 0x800080},
    {"navy", 0x000080},   {"teal", 0x008080},   {"maroon", 0x800000}, {"olive", 0x808000},
    {"silver", 0xc0c0c0}, {"lime", 0x00ff00},
};

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

RDB_RGB_COLOR rdb_get_rgb_color(const char* text)
{
    if (text == nullptr)
        return RDB_NO_COLOR;
    if (text[0] == '#')
        return parse_hex_color(text + 1);
    // The names are lower-case ASCII: a first letter that differs (ignoring
    // case) rules a name out without the full comparison.
    const char first = (text[0] >= 'A' && text[0] <= 'Z') ? static_cast<char>(text[0] + 32) : text[0];
    for (const NAMED_COLOR& color : NAMED_COLORS)
        if (color.m_name[0] == first && gen_stricmp(color.m_name, text) == 0)
            return color.m_rgb;
    return RDB_NO_COLOR;
}
