// Names from a fixed list: chart types, embedded types, display options and
// slack column types. An unknown name is one error each, and leaves what
// the element already had; the floorplan type is refused on its own.
#include "parse_fixture.h"

TEST_F(ParseTest, UnknownNamesAreOneErrorEachAndChangeNothing)
{
    struct CASE {
        const char* body;
        std::vector<std::string> unknown;  // as printed: untrimmed, and empty for absent ones
        const char* objects;               // what the report held at the end
    } const cases[] = {
        // A valid type between unknown ones is still set, and kept.
        {"<chart parent=\"main\"><type>donut</type><type>Scatter</type><type> pie</type></chart>",
         {"donut", " pie"},
         R"([{"chart_type":"scatter"}])"},
        {"<chart parent=\"main\"><type>pie</type><type/></chart>", {""}, R"([{"chart_type":"pie"}])"},
        // The object is made with the first type, filled like any other.
        {"<embedded name=\"clip\" parent=\"main\" type=\"video\"><info>movie</info></embedded>"
         "<embedded name=\"none\" parent=\"main\"/><embedded name=\"next\" parent=\"main\" type=\"text\"/>",
         {"video", ""},
         R"([{"name":"clip","embedded_type":"generic","info":"movie"},{"name":"none"},{"embedded_type":"text"}])"},
        {"<table parent=\"main\"><row><delay_cell><delay>5</delay><display_option>furlongs</display_option>"
         "</delay_cell><delay_cell><display_option>mhz</display_option><display_option>bogus</display_option>"
         "</delay_cell></row></table>",
         {"furlongs", "bogus"},
         R"([{"rows":[[{"delay":5,"display_option":"ns"},{"display_option":"mhz"}]]}])"},
        // The parse goes on: the row after the column is made.
        {"<tan_slack_table parent=\"main\"><column id=\"5\" type=\"latency\"/><row/><column id=\"1\"/>"
         "</tan_slack_table>",
         {"latency", ""},
         R"([{"columns":{},"rows":[[]]}])"},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(parse_text(report_with(c.body)), nullptr);
        EXPECT_EQ(count_messages_with("Unrecognized enumeration type"), static_cast<int>(c.unknown.size()));
        for (const std::string& name : c.unknown)
            EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type: " + name)) << name;
        std::size_t n = c.unknown.size();
        EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in " + std::to_string(n) + (n == 1 ? " error" : " errors") +
                                ", 0 warnings"));
        EXPECT_TRUE(objects_hold(c.objects));
    }
}

TEST_F(ParseTest, FloorplanIsRefusedWithItsMessageAndWithoutError)
{
    // No object for any of them; the next element is read as usual.
    ASSERT_NE(parse_text(report_with(R"(<embedded name="a" parent="main" type="floorplan">
<header>h</header><info>ignored</info></embedded>
<embedded name="b" parent="main" type="FloorPlan"/>
<embedded name="c" parent="main" type="FLOORPLAN"><info>x</info></embedded>
<text name="after" parent="main"/>)")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"name":"after","header":null}])"));
    EXPECT_EQ(count_messages_with("RDB_XML: Floorplan embedded type is no longer supported."), 3);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
}
