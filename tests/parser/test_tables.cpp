// Tables, speed and slack tables, rows and typed cells through the real
// parser.
#include "hdb_instance.h"
#include "mem_manager.h"
#include "parse_fixture.h"
#include "rdb_xml_globals.h"

TEST_F(ParseTest, CellsOfTheDataFile)
{
    ASSERT_NE(parse_file(data_file("table_cells.xml")), nullptr);
    // Strings untrimmed, and only the text after the start of the cell's last
    // child; integers as leading decimal numbers; a delay only from its
    // children; colours by name or in hex, and none for empty text.
    EXPECT_TRUE(objects_hold(R"([{"rows":[
        [{"value":"  two spaces  "},{"value":""},{"value":"\nline\n"},{"value":"kept tail"}],
        [{"value":42,"foreground":null,"background":null},{"value":7},{"value":0},{"value":-3},{"value":0},
         {"value":12}],
        [{"delay":0,"display_option":"ns"},{"delay":5,"display_option":"ps"},{"delay":-250,"display_option":"mhz"}],
        [{"type":"string","foreground":"#ff0000","background":"#00ff80"},
         {"type":"int","foreground":null,"background":"#000080"},
         {"type":"delay","foreground":null,"background":"#abcdef"},
         {"type":"iname","foreground":"#00ff00","background":null}]]}])"));
}

TEST_F(ParseTest, TimingTablesOfTheDataFile)
{
    ASSERT_NE(parse_file(data_file("table_slack.xml")), nullptr);
    // A known column type without "id" gets id 0; type names ignore case.
    EXPECT_TRUE(objects_hold(R"([{"name":"timing","objects":[
        {"kind":"tan_slack_table","object_type":8,"name":"setup","creator":"sta","enabled":true,
         "last_cmp_flp_location_available":true,"analysis_type":3,"restricted_to":12,
         "columns":{"slack":3,"to_clock":7,"from":0,"arrival":null},"header":"Setup","footer":"Footer text",
         "rows":[[{"type":"delay","delay":-40,"foreground":"#ff0000"},{"type":"string","value":"clk"}]]},
        {"kind":"tan_spd_table","object_type":8,"show_min":true,
         "rows":[[{"value":"clk"},{"delay":500,"display_option":"mhz"}]]}]}])"));
}

TEST_F(ParseTest, CellsTakeTheirTextAndTheirRow)
{
    // The inner cell is the current string cell when the outer one ends; the
    // text then is what followed <x/>'s start, empty, and replaces "inner".
    // Rows take the cells that follow them until the next row.
    ASSERT_NE(parse_text(report_with(
                  "<table parent=\"main\"><row><string_cell><string_cell>inner</string_cell><x/></string_cell></row>"
                  "<row/><row><string_cell>a</string_cell></row><int_cell>2</int_cell><string_cell>c</string_cell>"
                  "<row></row></table>")),
              nullptr);
    EXPECT_TRUE(objects_hold(R"([{"rows":[[{"value":""},{"value":""}],[],
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
    ASSERT_NE(
        parse_text(report_with("<table parent=\"main\">" + parts + "<row><string_cell>in row</string_cell></row>" +
                               "<delay>5</delay><display_option>nonsense</display_option></table>" +
                               "<tan_spd_table parent=\"main\">" + parts + "<row/></tan_spd_table>")),
        nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
    EXPECT_TRUE(objects_hold(R"([{"rows":[[{"value":"in row"}]]},{"rows":[[]]}])"));
}

TEST_F(ParseTest, InstanceNamesResolveThroughTheLoadedHierarchy)
{
    std::unique_ptr<HDB_HIERARCHY> hierarchy = load_hierarchy(data_file("table_hierarchy.txt"));
    ASSERT_NE(hierarchy, nullptr);
    const std::string xml = report_with(
        "<table parent=\"main\"><row><iname_cell>core/alu</iname_cell><iname_cell>regs/r0</iname_cell>"
        "<iname_cell>alu</iname_cell><iname_cell></iname_cell><iname_cell>core/fpu</iname_cell>"
        "<iname_cell> core/alu</iname_cell></row></table>");
    // A bare name may stand at any depth: the first in file order wins.
    // Empty text, an unknown name and a name with white space find nothing.
    PARSE_OPTIONS options;
    options.action_point = hierarchy->action_point();
    ASSERT_NE(parse_text(xml, options), nullptr);
    EXPECT_TRUE(objects_hold(R"([{"rows":[[{"instance":"chip/core/alu"},{"instance":"chip/core/regs/r0"},
        {"instance":"chip/core/alu"},{"instance":null},{"instance":null},{"instance":null}]]}])"));
    EXPECT_EQ(rdb_xml_action_point, nullptr);  // the driver clears it after the parse

    // Without an action point, or with one rooted nowhere, nothing is found
    // and nothing is reported.
    HDB_ACTION_PT_INSTANCE unrooted(nullptr);
    for (HDB_ACTION_PT_INSTANCE* point : {static_cast<HDB_ACTION_PT_INSTANCE*>(nullptr), &unrooted}) {
        options.action_point = point;
        ASSERT_NE(parse_text(xml, options), nullptr);
        EXPECT_EQ(m_totals_json.find("\"instance\":\"chip"), std::string::npos);
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
            ASSERT_NE(parse_text(report_with(std::string("<") + outer + " name=\"outer\" parent=\"main\"><row/><" +
                                             inner + " name=\"inner\" parent=\"main\"/><text name=\"after\" "
                                                     "parent=\"main\"/></" + outer + ">")),
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
    unsigned long before = MEM_MANAGER::allocation_count();
    ASSERT_NE(parse_text(xml), nullptr);
    unsigned long allocations = MEM_MANAGER::allocation_count() - before;
    ASSERT_GT(allocations, 10u);
    // Whatever allocation fails, the parse ends normally and releases all it
    // made (the sanitizer build checks the releases).
    for (unsigned long failing = 1; failing <= allocations; ++failing) {
        SCOPED_TRACE(failing);
        MEM_MANAGER::fail_allocation_after(failing);
        EXPECT_NO_THROW(parse_text(xml));
        MEM_MANAGER::fail_allocation_after(0);
    }
}
