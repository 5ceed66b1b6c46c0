// Tables, speed and slack tables, rows and typed cells through the real
// parser: what the generated reports of the round trip never hold.
#include "hdb_instance.h"
#include "mem_manager.h"
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
    unsigned long before = MEM_MANAGER::allocation_count();
    ASSERT_NE(parse_text(xml), nullptr);
    unsigned long allocations = MEM_MANAGER::allocation_count() - before;
    ASSERT_GT(allocations, 10u);
    // Whatever allocation fails, the parse ends normally and releases all it
    // made (the sanitizer build checks the releases).
    for (unsigned long failing = 1; failing <= allocations; ++failing) {
        MEM_MANAGER::fail_allocation_after(failing);
        EXPECT_NO_THROW(parse_text(xml)) << failing;
        MEM_MANAGER::fail_allocation_after(0);
    }
}
