// Enumeration lookups by name, their reverse names, and colours.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "rdb_report.h"

TEST(EnumerationLookup, ChartTypesIgnoreCaseAndAreNeverTrimmed)
{
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string("bar"), RDB_CHART_TYPE_BAR);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string("LINE"), RDB_CHART_TYPE_LINE);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string("Pie"), RDB_CHART_TYPE_PIE);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string("scatter"), RDB_CHART_TYPE_SCATTER);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string("hiSTOgram"), RDB_CHART_TYPE_HISTOGRAM);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string(" bar"), -1);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string("bar\n"), -1);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string("ba"), -1);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string("bars"), -1);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string(""), -1);
    EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string(nullptr), -1);
}

TEST(EnumerationLookup, EmbeddedTypes)
{
    EXPECT_EQ(rdb_get_rdb_embedded_object_embedded_type_enum_by_string("generic"), 0);
    EXPECT_EQ(rdb_get_rdb_embedded_object_embedded_type_enum_by_string("IMAGE"), RDB_EMBEDDED_TYPE_IMAGE);
    EXPECT_EQ(rdb_get_rdb_embedded_object_embedded_type_enum_by_string("Html"), RDB_EMBEDDED_TYPE_HTML);
    EXPECT_EQ(rdb_get_rdb_embedded_object_embedded_type_enum_by_string("text"), RDB_EMBEDDED_TYPE_TEXT);
    EXPECT_EQ(rdb_get_rdb_embedded_object_embedded_type_enum_by_string("floorplan"), -1);
    EXPECT_EQ(rdb_get_rdb_embedded_object_embedded_type_enum_by_string("text "), -1);
}

TEST(EnumerationLookup, DelayDisplayOptions)
{
    EXPECT_EQ(rdb_get_rdb_table_delay_element_display_option_enum_by_string("ns"), 0);
    EXPECT_EQ(rdb_get_rdb_table_delay_element_display_option_enum_by_string("PS"), RDB_DELAY_DISPLAY_PS);
    EXPECT_EQ(rdb_get_rdb_table_delay_element_display_option_enum_by_string("MHz"), RDB_DELAY_DISPLAY_MHZ);
    EXPECT_EQ(rdb_get_rdb_table_delay_element_display_option_enum_by_string("us"), -1);
    EXPECT_EQ(rdb_get_rdb_table_delay_element_display_option_enum_by_string("\tns"), -1);
}

TEST(EnumerationLookup, SlackColumnTypes)
{
    const char* names[] = {"slack", "required", "arrival", "from", "to", "from_clock", "to_clock", "skew"};
    for (int i = 0; i < RDB_SLACK_COLUMN_COUNT; ++i) {
        EXPECT_EQ(rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string(names[i]), i) << names[i];
        std::string upper = names[i];
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string(upper.c_str()), i) << upper;
    }
    EXPECT_EQ(rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string("from-clock"), -1);
    EXPECT_EQ(rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string("fromclock"), -1);
    EXPECT_EQ(rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string(""), -1);
}

TEST(EnumerationLookup, NamesOfValuesRoundTrip)
{
    for (int i = 0; i < RDB_CHART_TYPE_COUNT; ++i) {
        auto value = static_cast<RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM>(i);
        const char* name = rdb_get_string_by_rdb_chart_table_object_chart_types_enum(value);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string(name), value);
    }
    for (int i = 0; i < RDB_EMBEDDED_TYPE_COUNT; ++i) {
        auto value = static_cast<RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM>(i);
        EXPECT_EQ(rdb_get_rdb_embedded_object_embedded_type_enum_by_string(
                      rdb_get_string_by_rdb_embedded_object_embedded_type_enum(value)),
                  value);
    }
    for (int i = 0; i < RDB_DELAY_DISPLAY_COUNT; ++i) {
        auto value = static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(i);
        EXPECT_EQ(rdb_get_rdb_table_delay_element_display_option_enum_by_string(
                      rdb_get_string_by_rdb_table_delay_element_display_option_enum(value)),
                  value);
    }
    EXPECT_EQ(rdb_get_string_by_rdb_chart_table_object_chart_types_enum(RDB_CHART_TYPE_COUNT), nullptr);
    EXPECT_EQ(rdb_get_string_by_rdb_tan_slack_table_object_column_types_enum(RDB_SLACK_COLUMN_UNKNOWN), nullptr);
    EXPECT_STREQ(rdb_get_string_by_rdb_tan_slack_table_object_column_types_enum(RDB_SLACK_COLUMN_TO_CLOCK),
                 "to_clock");
}

TEST(Colors, NamesIgnoreCase)
{
    struct {
        const char* name;
        RDB_RGB_COLOR rgb;
    } const named[] = {
        {"black", 0x000000},  {"white", 0xffffff},  {"red", 0xff0000},    {"green", 0x008000},
        {"blue", 0x0000ff},   {"yellow", 0xffff00}, {"cyan", 0x00ffff},   {"magenta", 0xff00ff},
        {"gray", 0x808080},   {"grey", 0x808080},   {"orange", 0xffa500}, {"purple", 0x800080},
        {"navy", 0x000080},   {"teal", 0x008080},   {"maroon", 0x800000}, {"olive", 0x808000},
        {"silver", 0xc0c0c0}, {"lime", 0x00ff00},
    };
    for (const auto& color : named) {
        EXPECT_EQ(rdb_get_rgb_color(color.name), color.rgb) << color.name;
        std::string upper = color.name;
        upper[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[0])));
        EXPECT_EQ(rdb_get_rgb_color(upper.c_str()), color.rgb) << upper;
    }
    EXPECT_EQ(rdb_get_rgb_color("RED"), 0xff0000u);
}

TEST(Colors, HexNotations)
{
    EXPECT_EQ(rdb_get_rgb_color("#000000"), 0x000000u);
    EXPECT_EQ(rdb_get_rgb_color("#12aBcD"), 0x12abcdu);
    EXPECT_EQ(rdb_get_rgb_color("#FFFFFF"), 0xffffffu);
    EXPECT_EQ(rdb_get_rgb_color("#f0a"), 0xff00aau);
    EXPECT_EQ(rdb_get_rgb_color("#000"), 0x000000u);
}

TEST(Colors, AnythingElseIsNoColor)
{
    const char* bad[] = {"",        "#",       "#12",      "#1234",   "#12345",   "#1234567", "#ggg",
                         "#12345g", " red",    "red ",     "redd",    "123456",   "#-12345",  "# 12345",
                         "fuchsia", "#12 345", "light red", "\xff"};
    for (const char* text : bad)
        EXPECT_EQ(rdb_get_rgb_color(text), RDB_NO_COLOR) << '"' << text << '"';
    EXPECT_EQ(rdb_get_rgb_color(nullptr), RDB_NO_COLOR);
}

TEST(Colors, CellSettersIgnoreNoColor)
{
    RDB_TABLE_INT_ELEMENT cell;
    EXPECT_FALSE(cell.has_foreground());
    EXPECT_FALSE(cell.has_background());
    cell.set_foreground(rdb_get_rgb_color("nonsense"));
    EXPECT_FALSE(cell.has_foreground());
    cell.set_foreground(rdb_get_rgb_color("black"));
    ASSERT_TRUE(cell.has_foreground());
    EXPECT_EQ(cell.get_foreground(), 0u);
    cell.set_foreground(RDB_NO_COLOR);  // keeps black
    cell.set_foreground(0x1000000u);   // not an rgb value either
    EXPECT_EQ(cell.get_foreground(), 0u);
    cell.set_background(rdb_get_rgb_color("#abc"));
    EXPECT_EQ(cell.get_background(), 0xaabbccu);
}
