// Tables, speed and slack tables, rows and typed cells through the real
// parser: what the generated reports of the round trip never hold.
#include <rdbxml/hdb_instance.h>
#include <rdbxml/mem_manager.h>
#include "allocation_sweep.h"
#include "parse_fixture.h"
#include "rdb_xml_globals.h"

TEST_F(ParseTest, CellsTakeTheirTextAndTheirRow)
{
    // A string cell's text is what follows the start of its last child; the
    // inner cell is the current one when the outer ends, so "inner" is
    // replaced by what followed <x/>'s start, nothing. A delay takes only
    // its children. Rows take the cells that follow them until the next row.
    ASSERT_NE(parse_text(report_with(
                  "<table parent=\"main\"><row><string_cell><string_cell>inner</string_cell><x/></string_cell>"
                  "<string_cell>lost<b>kept</b> tail</string_cell><delay_cell>99<delay>-250</delay>77</delay_cell>"
                  "</row>"
                  "<row/><row><string_cell>a</string_cell></row><int_cell>2</int_cell><string_cell>c</string_cell>"
                  "<row></row></table>")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"rows":[[{"value":""},{"value":""},{"value":"kept tail"},{"delay":-250}],[],
        [{"value":"a"},{"type":"int","value":2},{"value":"c"}],[]]}])"));
}

TEST_F(ParseTest, TablePartsOutsideTheirPlaceAreSkipped)
{
    // Cells and delay parts before the first row or delay cell, and columns
    // and restrictions outside a slack table: not even an unknown column type
    // or display option counts there, as nothing is looked up.
    const std::string parts = "<string_cell>s</string_cell><int_cell>1</int_cell><iname_cell>x</iname_cell>"
                              "<delay_cell><delay>3</delay></delay_cell><delay>4</delay>"
                              "<display_option>bogus</display_option><column id=\"1\" type=\"nonsense\"/>"
                              "<restricted_to>4</restricted_to>";
    ASSERT_NE(parse_text(report_with("<table parent=\"main\">" + parts + "<row><string_cell>in row</string_cell>" +
                                     "</row><delay>5</delay><display_option>nonsense</display_option></table>" +
                                     "<tan_spd_table parent=\"main\">" + parts + "<row/></tan_spd_table>")),
              nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
    EXPECT_TRUE(objects_hold(R"([{"rows":[[{"value":"in row"}]]},{"rows":[[]]}])"));
}

TEST_F(ParseTest, CellColoursAreTheSameWithAndWithoutStaticBuffers)
{
    // Which texts name a colour the model's tests hold; here, what reaches
    // it: values of up to seven ASCII characters (narrowed in place with
    // static buffers) and just past them, texts beyond ASCII, empty values
    // and values past the inline limit, each as foreground and as
    // background, alone and beside the other colour; with its colour as
    // JSON, or null for none.
    const std::pair<std::string, const char*> values[] = {
        {"red", "\"#ff0000\""},    {"Magenta", "\"#ff00ff\""}, {"magentas", "null"},       {"#ABCDEF", "\"#abcdef\""},
        {"#1234567", "null"},      {"#abcd", "null"},          {"r\xC3\xA9" "d", "null"},  {"\xE2\x84\xAA", "null"},
        {"\xC5\xB2" "ed", "null"},  // U+0172, whose low byte is an 'r'
        {"", "null"},              {std::string(170, 'a'), "null"}, {std::string(600, '#'), "null"}};
    // A cell without a colour has no member for it.
    auto member = [](const std::string& key, const std::string& color) {
        return "\"" + std::string(color == "null" ? "!" : "") + key + "\":" + color;
    };
    std::string row, cells;
    for (const auto& [value, color] : values) {
        const std::string c = color;
        row += "<int_cell foreground=\"" + value + "\">1</int_cell><int_cell background=\"" + value + "\">2</int_cell>";
        row += "<int_cell foreground=\"" + value + "\" background=\"navy\">3</int_cell>";
        row += "<int_cell background=\"" + value + "\" foreground=\"#0f0\">4</int_cell>";
        cells += (cells.empty() ? "{" : ",{") + member("foreground", c) + "," + member("background", "null") + "},";
        cells += "{" + member("foreground", "null") + "," + member("background", c) + "},{" + member("foreground", c) +
                 ",\"background\":\"#000080\"},";
        cells += "{\"foreground\":\"#00ff00\"," + member("background", c) + "}";
    }
    const std::string xml = report_with("<table parent=\"main\"><row>" + row + "</row></table>");
    ASSERT_NE(parse_text(xml), nullptr);
    EXPECT_TRUE(objects_hold("[{\"rows\":[[" + cells + "]]}]"));
    const std::string with_static_buffers = m_totals_json;
    PARSE_OPTIONS dynamic;
    dynamic.use_static_buffers = false;
    ASSERT_NE(parse_text(xml, dynamic), nullptr);
    EXPECT_EQ(m_totals_json, with_static_buffers);
}

TEST_F(ParseTest, InstanceNamesResolveOnlyThroughARootedActionPoint)
{
    // A bare name may stand at any depth: the first in file order wins; a
    // name with white space finds nothing. Without an action point, or with
    // one rooted nowhere, nothing is found and nothing is reported.
    std::unique_ptr<HDB_HIERARCHY> hierarchy = load_hierarchy(data_file("table_hierarchy.txt"));
    ASSERT_NE(hierarchy, nullptr);
    HDB_ACTION_PT_INSTANCE unrooted(nullptr);
    HDB_ACTION_PT_INSTANCE* const points[] = {hierarchy->action_point(), nullptr, &unrooted};
    PARSE_OPTIONS options;
    for (HDB_ACTION_PT_INSTANCE* point : points) {
        options.action_point = point;
        ASSERT_NE(parse_text(report_with("<table parent=\"main\"><row><iname_cell>alu</iname_cell>"
                                         "<iname_cell> core/alu</iname_cell></row></table>"),
                             options),
                  nullptr);
        EXPECT_TRUE(objects_hold(point == hierarchy->action_point()
                                     ? R"([{"rows":[[{"instance":"chip/core/alu"},{"instance":null}]]}])"
                                     : R"([{"rows":[[{"instance":null},{"instance":null}]]}])"));
        EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
    }
}

TEST_F(ParseTest, EndOfAnyTableNameEndsTheHandler)
{
    const char* const names[] = {"table", "tan_spd_table", "tan_slack_table"};
    for (const char* outer : names) {
        for (const char* inner : names) {
            SCOPED_TRACE(std::string(outer) + " holding " + inner);
            // The inner start makes a table of its own; its end ends the
            // handler, so the "text" after it reaches the root handler.
            ASSERT_NE(parse_text(report_with(std::string("<") + outer + " parent=\"main\"><row/><" + inner +
                                             " parent=\"main\"/><text name=\"after\" parent=\"main\"/></" + outer +
                                             ">")),
                      nullptr);
            EXPECT_TRUE(objects_hold(std::string("[{\"kind\":\"") + outer + "\"},{\"kind\":\"" + inner +
                                     "\"},{\"kind\":\"text\",\"name\":\"after\"}]"));
        }
    }
}

TEST_F(ParseTest, EveryFailedAllocationOfATableParseIsSurvived)
{
    const std::string xml = report_with(
        "<tan_slack_table parent=\"main\" analysis_type=\"1\"><column id=\"1\" type=\"slack\"/>"
        "<restricted_to>2</restricted_to><row><string_cell foreground=\"red\">s</string_cell><int_cell>1</int_cell>"
        "<iname_cell>x</iname_cell><delay_cell><delay>3</delay><display_option>ps</display_option></delay_cell>"
        "</row></tan_slack_table><tan_spd_table parent=\"main\" show_min=\"true\"><row><int_cell>4</int_cell></row>"
        "</tan_spd_table><table parent=\"main\"><header>h</header><row/></table>");
    REPORT_PTR whole = parse_text(xml);
    ASSERT_NE(whole, nullptr);
    const std::string expected = json_of(whole.get());
    // Whatever allocation fails, the parse gives the whole report or none,
    // saying why, and releases all it made (the sanitizer build checks the
    // releases).
    allocations_fail_here();
    test_allocation_sweep(
        test_manager_hook(), TEST_SWEEP_PLAN(), [] { return REPORT_PTR(); },
        [&](REPORT_PTR& report) { report = parse_text(xml); },
        [&](const REPORT_PTR& report, bool refused) {
            if (report != nullptr)
                EXPECT_EQ(json_of(report.get()), expected);
            else
                EXPECT_EQ(count_messages_with("Out of memory while reading"), 1) << dump();
            EXPECT_TRUE(refused || report != nullptr);
        });
}
