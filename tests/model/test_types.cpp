// Enumeration lookups by name, their reverse names, and colours.
#include <gtest/gtest.h>

#include <string>

#include "rdb_report.h"

TEST(EnumerationLookup, NearNamesAndNullFindNothing)
{
    // Names in any case, and their reverse names, are read and written in
    // every generated report; here what must not match.
    for (const char* name : {" bar", "bar\n", "ba", "bars", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(rdb_get_rdb_chart_table_object_chart_types_enum_by_string(name), -1) << (name ? name : "null");
    for (const char* name : {"floorplan", "text "})
        EXPECT_EQ(rdb_get_rdb_embedded_object_embedded_type_enum_by_string(name), -1) << name;
    for (const char* name : {"us", "\tns"})
        EXPECT_EQ(rdb_get_rdb_table_delay_element_display_option_enum_by_string(name), -1) << name;
    for (const char* name : {"from-clock", "fromclock", ""})
        EXPECT_EQ(rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string(name), -1) << name;
    EXPECT_EQ(rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string("TO_CLOCK"), RDB_SLACK_COLUMN_TO_CLOCK);
    EXPECT_EQ(rdb_get_string_by_rdb_chart_table_object_chart_types_enum(RDB_CHART_TYPE_COUNT), nullptr);
    EXPECT_EQ(rdb_get_string_by_rdb_tan_slack_table_object_column_types_enum(RDB_SLACK_COLUMN_UNKNOWN), nullptr);
}

TEST(Colors, NamesInAnyCaseAndHexAreColoursAndNothingElseIs)
{
    const struct {
        const char* text;
        RDB_RGB_COLOR rgb;
    } cases[] = {
        {"black", 0x000000},  {"white", 0xffffff},  {"red", 0xff0000},    {"green", 0x008000},  {"blue", 0x0000ff},
        {"yellow", 0xffff00}, {"cyan", 0x00ffff},   {"magenta", 0xff00ff}, {"gray", 0x808080},   {"grey", 0x808080},
        {"orange", 0xffa500}, {"purple", 0x800080}, {"navy", 0x000080},   {"teal", 0x008080},   {"maroon", 0x800000},
        {"olive", 0x808000},  {"silver", 0xc0c0c0}, {"lime", 0x00ff00},   {"RED", 0xff0000},    {"Navy", 0x000080},
        {"#000000", 0x000000}, {"#12aBcD", 0x12abcd}, {"#FFFFFF", 0xffffff}, {"#f0a", 0xff00aa}, {"#000", 0x000000},
        {"", RDB_NO_COLOR},   {"#", RDB_NO_COLOR},  {"#12", RDB_NO_COLOR}, {"#1234", RDB_NO_COLOR},
        {"#12345", RDB_NO_COLOR}, {"#1234567", RDB_NO_COLOR}, {"#ggg", RDB_NO_COLOR}, {"#12345g", RDB_NO_COLOR},
        {" red", RDB_NO_COLOR}, {"red ", RDB_NO_COLOR}, {"redd", RDB_NO_COLOR}, {"123456", RDB_NO_COLOR},
        {"#-12345", RDB_NO_COLOR}, {"# 12345", RDB_NO_COLOR}, {"fuchsia", RDB_NO_COLOR},
        {"#12 345", RDB_NO_COLOR}, {"light red", RDB_NO_COLOR}, {"\xff", RDB_NO_COLOR},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rdb_get_rgb_color(c.text), c.rgb) << '"' << c.text << '"';
    EXPECT_EQ(rdb_get_rgb_color(nullptr), RDB_NO_COLOR);

    // A cell keeps the last colour that is one.
    RDB_TABLE_INT_ELEMENT cell;
    EXPECT_FALSE(cell.has_foreground());
    cell.set_foreground(rdb_get_rgb_color("nonsense"));
    EXPECT_FALSE(cell.has_foreground());
    cell.set_foreground(rdb_get_rgb_color("black"));
    cell.set_foreground(RDB_NO_COLOR);
    cell.set_foreground(0x1000000u);  // not an rgb value either
    ASSERT_TRUE(cell.has_foreground());
    EXPECT_EQ(cell.get_foreground(), 0u);
    EXPECT_FALSE(cell.has_background());
}
