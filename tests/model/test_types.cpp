// The lookups that turn the names of a report file into colours and
// enumeration values: every name in any case, and nothing near one.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <rdbxml/rdb_types.h>

namespace {

struct NAMED {
    const char* m_name;
    unsigned m_value;
};

// The colour names rdb_types.h lists, with their values.
const NAMED COLOR_NAMES[] = {
    {"black", 0x000000},  {"white", 0xffffff},  {"red", 0xff0000},    {"green", 0x008000},
    {"blue", 0x0000ff},   {"yellow", 0xffff00}, {"cyan", 0x00ffff},   {"magenta", 0xff00ff},
    {"gray", 0x808080},   {"grey", 0x808080},   {"orange", 0xffa500}, {"purple", 0x800080},
    {"navy", 0x000080},   {"teal", 0x008080},   {"maroon", 0x800000}, {"olive", 0x808000},
    {"silver", 0xc0c0c0}, {"lime", 0x00ff00},
};

std::string random_case(std::string text, std::mt19937& random)
{
    for (char& c : text)
        if (random() % 2 == 0)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Texts near `name`: one character changed (to a neighbour, to a byte
// beyond ASCII, to a space), one cut off or added, the name cut in half or
// doubled.
std::vector<std::string> near_misses(const std::string& name)
{
    std::vector<std::string> texts = {name + " ", " " + name, name + name, name.substr(0, name.size() / 2),
                                      name.substr(1), name.substr(0, name.size() - 1), name + "x"};
    for (std::size_t i = 0; i < name.size(); ++i) {
        for (char c : {static_cast<char>(name[i] + 1), static_cast<char>(name[i] - 1), '\xC3', ' '}) {
            std::string text = name;
            text[i] = c;
            texts.push_back(text);
        }
    }
    return texts;
}

}  // namespace

TEST(Colors, NamesAndHexInAnyCaseAndNothingElse)
{
    std::mt19937 random(3);
    std::vector<std::string> names;
    for (const NAMED& color : COLOR_NAMES) {
        names.push_back(color.m_name);
        for (int round = 0; round < 8; ++round)
            EXPECT_EQ(rdb_get_rgb_color(random_case(color.m_name, random).c_str()), color.m_value) << color.m_name;
    }
    EXPECT_EQ(rdb_get_rgb_color("#ABCDEF"), 0xabcdefu);
    EXPECT_EQ(rdb_get_rgb_color("#00ff80"), 0x00ff80u);
    EXPECT_EQ(rdb_get_rgb_color("#1a3"), 0x11aa33u);
    EXPECT_EQ(rdb_get_rgb_color("#FfF"), 0xffffffu);
    for (const char* text : {"", "#", "#1", "#12", "#1234", "#12345", "#1234567", "#ggg", "#12345g", " #123", "#123 ",
                             "rgb(1,2,3)", "transparent", "violet", "b", "gra", "greyish", "\xC3\xA9"})
        EXPECT_EQ(rdb_get_rgb_color(text), RDB_NO_COLOR) << '"' << text << '"';
    EXPECT_EQ(rdb_get_rgb_color(nullptr), RDB_NO_COLOR);
    for (const std::string& name : names) {
        for (const std::string& text : near_misses(name)) {
            // A near miss of one name may be another ("grey" of "gray").
            unsigned expected = RDB_NO_COLOR;
            for (const NAMED& color : COLOR_NAMES)
                if (text == color.m_name)
                    expected = color.m_value;
            EXPECT_EQ(rdb_get_rgb_color(text.c_str()), expected) << '"' << text << '"';
        }
    }
}

TEST(Enumerations, NamesInAnyCaseAndNothingElse)
{
    // Each enumeration's names in order of their values, and its lookup.
    struct ENUMERATION {
        std::vector<std::string> names;
        int (*lookup)(const char*);
    } const enumerations[] = {
        {{"bar", "line", "pie", "scatter", "histogram"},
         [](const char* t) -> int { return rdb_get_rdb_chart_table_object_chart_types_enum_by_string(t); }},
        {{"generic", "image", "html", "text"},
         [](const char* t) -> int { return rdb_get_rdb_embedded_object_embedded_type_enum_by_string(t); }},
        {{"ns", "ps", "mhz"},
         [](const char* t) -> int { return rdb_get_rdb_table_delay_element_display_option_enum_by_string(t); }},
        {{"slack", "required", "arrival", "from", "to", "from_clock", "to_clock", "skew"},
         [](const char* t) -> int { return rdb_get_rdb_tan_slack_table_object_column_types_enum_by_string(t); }},
    };
    std::mt19937 random(5);
    for (const ENUMERATION& e : enumerations) {
        EXPECT_EQ(e.lookup(nullptr), -1);
        EXPECT_EQ(e.lookup(""), -1);
        for (std::size_t value = 0; value < e.names.size(); ++value) {
            const std::string& name = e.names[value];
            for (int round = 0; round < 8; ++round)
                EXPECT_EQ(e.lookup(random_case(name, random).c_str()), static_cast<int>(value)) << name;
            for (const std::string& text : near_misses(name)) {
                int expected = -1;
                for (std::size_t other = 0; other < e.names.size(); ++other)
                    if (text == e.names[other])
                        expected = static_cast<int>(other);
                EXPECT_EQ(e.lookup(text.c_str()), expected) << '"' << text << '"';
            }
        }
    }
}

TEST(Enumerations, WritersShowEveryNameAndUnknownOutside)
{
    // Each value's name, and "unknown" just outside the enumeration, where
    // the lookups of the documented interface give null.
    for (int value = -2; value <= RDB_SLACK_COLUMN_COUNT + 1; ++value) {
        SCOPED_TRACE(value);
        auto chart = static_cast<RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM>(value);
        auto embedded = static_cast<RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM>(value);
        auto option = static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(value);
        auto column = static_cast<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM>(value);
        const std::pair<const char*, const char*> names[] = {
            {rdb_chart_type_name(chart), rdb_get_string_by_rdb_chart_table_object_chart_types_enum(chart)},
            {rdb_embedded_type_name(embedded), rdb_get_string_by_rdb_embedded_object_embedded_type_enum(embedded)},
            {rdb_delay_display_option_name(option),
             rdb_get_string_by_rdb_table_delay_element_display_option_enum(option)},
            {rdb_slack_column_type_name(column),
             rdb_get_string_by_rdb_tan_slack_table_object_column_types_enum(column)},
        };
        const int counts[] = {RDB_CHART_TYPE_COUNT, RDB_EMBEDDED_TYPE_COUNT, RDB_DELAY_DISPLAY_COUNT,
                              RDB_SLACK_COLUMN_COUNT};
        for (std::size_t e = 0; e < 4; ++e) {
            bool named = value >= 0 && value < counts[e];
            EXPECT_EQ(names[e].second != nullptr, named) << e;
            EXPECT_STREQ(names[e].first, named ? names[e].second : "unknown") << e;
        }
    }
    EXPECT_STREQ(rdb_chart_type_name(RDB_CHART_TYPE_HISTOGRAM), "histogram");
    EXPECT_STREQ(rdb_delay_display_option_name(RDB_DELAY_DISPLAY_MHZ), "mhz");
}
