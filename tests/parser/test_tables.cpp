// Tables, rows and typed cells through the real parser.
#include <memory>

#include "hdb_instance.h"
#include "table_test.h"

namespace {

template <class CELL>
CELL* cell_at(const RDB_TABLE_OBJECT* table, unsigned row, unsigned column)
{
    RDB_TABLE_ELEMENT* cell = table->get_element(row, column, false);
    EXPECT_NE(cell, nullptr) << "no cell at " << row << "," << column;
    return dynamic_cast<CELL*>(cell);
}

std::unique_ptr<HDB_HIERARCHY> load_hierarchy(const std::string& path)
{
    STL_STRING error;
    std::unique_ptr<HDB_HIERARCHY> hierarchy = HDB_HIERARCHY::load(path.c_str(), &error);
    EXPECT_NE(hierarchy, nullptr) << error.c_str();
    return hierarchy;
}

}  // namespace

TEST_F(TableTest, TableTakesItsAttributesHeaderAndFooter)
{
    REPORT_PTR report = parse_file(table_data("table_cells.xml"));
    ASSERT_NE(report, nullptr);
    RDB_TABLE_OBJECT* table = table_at(report, 0);
    ASSERT_NE(table, nullptr);
    EXPECT_STREQ(table->get_kind(), "table");
    EXPECT_EQ(table->get_object_type(), RDB_OBJECT_TYPE_TABLE);
    EXPECT_STREQ(table->get_name().c_str(), "cells");
    EXPECT_STREQ(table->get_creator_module().c_str(), "sta");
    EXPECT_TRUE(table->is_enabled());
    EXPECT_TRUE(table->get_last_cmp_flp_location_available());
    ASSERT_NE(table->get_header(), nullptr);
    EXPECT_STREQ(table->get_header()->c_str(), " cell cases ");
    ASSERT_NE(table->get_footer(), nullptr);
    EXPECT_STREQ(table->get_footer()->c_str(), "end of cells");
    EXPECT_EQ(table->get_number_of_rows(), 4u);

    report = parse_text(table_report("<table parent=\"main\"/>"));
    ASSERT_NE(report, nullptr);
    table = table_at(report, 0);
    EXPECT_STREQ(table->get_name().c_str(), "");
    EXPECT_FALSE(table->get_last_cmp_flp_location_available());
    EXPECT_FALSE(table->is_enabled());
    EXPECT_EQ(table->get_header(), nullptr);
    EXPECT_EQ(table->get_number_of_rows(), 0u);
}

TEST_F(TableTest, StringCellsKeepTheirTextUntrimmed)
{
    REPORT_PTR report = parse_file(table_data("table_cells.xml"));
    ASSERT_NE(report, nullptr);
    const RDB_TABLE_OBJECT* table = table_at(report, 0);
    ASSERT_EQ(table->get_row(0)->size(), 4u);
    EXPECT_STREQ(cell_at<RDB_TABLE_STRING_ELEMENT>(table, 0, 0)->get_string().c_str(), "  two spaces  ");
    EXPECT_STREQ(cell_at<RDB_TABLE_STRING_ELEMENT>(table, 0, 1)->get_string().c_str(), "");
    EXPECT_STREQ(cell_at<RDB_TABLE_STRING_ELEMENT>(table, 0, 2)->get_string().c_str(), "\nline\n");
    // Only the text after the start of the cell's last child counts.
    EXPECT_STREQ(cell_at<RDB_TABLE_STRING_ELEMENT>(table, 0, 3)->get_string().c_str(), "kept tail");
}

TEST_F(TableTest, EmptyTextStillReplacesTheStringOfTheCurrentCell)
{
    // The inner cell is the current string cell when the outer one ends; the
    // text then is what followed <x/>'s start, empty, and replaces "inner".
    REPORT_PTR report = parse_text(table_report(
        "<table parent=\"main\"><row><string_cell><string_cell>inner</string_cell><x/></string_cell></row>"
        "</table>"));
    ASSERT_NE(report, nullptr);
    const RDB_TABLE_OBJECT* table = table_at(report, 0);
    ASSERT_EQ(table->get_row(0)->size(), 2u);
    EXPECT_STREQ(cell_at<RDB_TABLE_STRING_ELEMENT>(table, 0, 1)->get_string().c_str(), "");
}

TEST_F(TableTest, IntCellsReadALeadingDecimalNumber)
{
    REPORT_PTR report = parse_file(table_data("table_cells.xml"));
    ASSERT_NE(report, nullptr);
    const RDB_TABLE_OBJECT* table = table_at(report, 0);
    const int expected[] = {42, 7, 0, -3, 0, 12};
    ASSERT_EQ(table->get_row(1)->size(), 6u);
    for (unsigned i = 0; i < 6; ++i)
        EXPECT_EQ(cell_at<RDB_TABLE_INT_ELEMENT>(table, 1, i)->get_data(), expected[i]) << "cell " << i;
}

TEST_F(TableTest, DelayCellsTakeTheirValuesOnlyFromTheirChildren)
{
    REPORT_PTR report = parse_file(table_data("table_cells.xml"));
    ASSERT_NE(report, nullptr);
    const RDB_TABLE_OBJECT* table = table_at(report, 0);
    RDB_TABLE_DELAY_ELEMENT* direct = cell_at<RDB_TABLE_DELAY_ELEMENT>(table, 2, 0);
    EXPECT_EQ(direct->get_delay(), 0);  // text directly in the cell is not its delay
    EXPECT_EQ(direct->get_display_option(), RDB_DELAY_DISPLAY_NS);
    RDB_TABLE_DELAY_ELEMENT* ps = cell_at<RDB_TABLE_DELAY_ELEMENT>(table, 2, 1);
    EXPECT_EQ(ps->get_delay(), 5);
    EXPECT_EQ(ps->get_display_option(), RDB_DELAY_DISPLAY_PS);
    RDB_TABLE_DELAY_ELEMENT* mhz = cell_at<RDB_TABLE_DELAY_ELEMENT>(table, 2, 2);
    EXPECT_EQ(mhz->get_delay(), -250);
    EXPECT_EQ(mhz->get_display_option(), RDB_DELAY_DISPLAY_MHZ);
}

TEST_F(TableTest, UnknownDisplayOptionIsOneErrorAndTheCellKeepsItsOption)
{
    const std::string xml = table_report(
        "<table parent=\"main\"><row><delay_cell><delay>5</delay>"
        "<display_option>furlongs</display_option></delay_cell></row></table>");
    // While the driver prints its totals the report still exists: look at
    // the cell then, since the finished parse drops the report.
    long delay = -1;
    int option = -1;
    REPORT_PTR report = parse_text_inspecting(xml, [&](const RDB_REPORT* r) {
        const RDB_TABLE_OBJECT* table = table_at(r, 0);
        const RDB_TABLE_ELEMENT* cell = table != nullptr ? table->get_element(0, 0, false) : nullptr;
        if (const RDB_TABLE_DELAY_ELEMENT* d = dynamic_cast<const RDB_TABLE_DELAY_ELEMENT*>(cell)) {
            delay = d->get_delay();
            option = d->get_display_option();
        }
    });
    EXPECT_EQ(report, nullptr);
    EXPECT_EQ(json_of(report.get()), "null");
    EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type: furlongs"));
    EXPECT_EQ(count_messages_with("Unrecognized enumeration type"), 1);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings"));
    EXPECT_EQ(delay, 5);
    EXPECT_EQ(option, RDB_DELAY_DISPLAY_NS);

    // A known option after an earlier one replaces it; an unknown one after
    // a known one leaves the known one.
    report = parse_text_inspecting(
        table_report("<table parent=\"main\"><row><delay_cell><display_option>mhz</display_option>"
                     "<display_option>bogus</display_option></delay_cell></row></table>"),
        [&](const RDB_REPORT* r) {
            option = static_cast<const RDB_TABLE_DELAY_ELEMENT*>(table_at(r, 0)->get_element(0, 0, false))
                         ->get_display_option();
        });
    EXPECT_EQ(report, nullptr);
    EXPECT_EQ(option, RDB_DELAY_DISPLAY_MHZ);
}

TEST_F(TableTest, CellColoursFromNamesAndHexAndEmptyLeavesThemUnset)
{
    REPORT_PTR report = parse_file(table_data("table_cells.xml"));
    ASSERT_NE(report, nullptr);
    const RDB_TABLE_OBJECT* table = table_at(report, 0);
    const RDB_TABLE_ELEMENT* named = table->get_element(3, 0, false);
    EXPECT_EQ(named->get_foreground(), 0xff0000u);
    EXPECT_EQ(named->get_background(), 0x00ff80u);
    const RDB_TABLE_ELEMENT* empty_fg = table->get_element(3, 1, false);
    EXPECT_FALSE(empty_fg->has_foreground());
    EXPECT_EQ(empty_fg->get_background(), 0x000080u);
    const RDB_TABLE_ELEMENT* delay = table->get_element(3, 2, false);
    EXPECT_FALSE(delay->has_foreground());
    EXPECT_EQ(delay->get_background(), 0xabcdefu);
    const RDB_TABLE_ELEMENT* iname = table->get_element(3, 3, false);
    EXPECT_EQ(iname->get_foreground(), 0x00ff00u);
    EXPECT_FALSE(iname->has_background());
    // Cells without colour attributes have none.
    EXPECT_FALSE(table->get_element(1, 0, false)->has_foreground());
    EXPECT_FALSE(table->get_element(1, 0, false)->has_background());
}

TEST_F(TableTest, InstanceNamesResolveThroughTheLoadedHierarchy)
{
    std::unique_ptr<HDB_HIERARCHY> hierarchy = load_hierarchy(table_data("table_hierarchy.txt"));
    ASSERT_NE(hierarchy, nullptr);
    PARSE_OPTIONS options;
    options.action_point = hierarchy->action_point();
    const std::string xml = table_report(
        "<table parent=\"main\"><row><iname_cell>core/alu</iname_cell><iname_cell>regs/r0</iname_cell>"
        "<iname_cell>alu</iname_cell><iname_cell></iname_cell><iname_cell>core/fpu</iname_cell>"
        "<iname_cell> core/alu</iname_cell></row></table>");
    REPORT_PTR report = parse_text(xml, options);
    ASSERT_NE(report, nullptr);
    const RDB_TABLE_OBJECT* table = table_at(report, 0);
    HDB_INSTANCE_NAME* alu = cell_at<RDB_TABLE_INAME_ELEMENT>(table, 0, 0)->get_iname();
    ASSERT_NE(alu, nullptr);
    EXPECT_STREQ(alu->full_path().c_str(), "chip/core/alu");
    HDB_INSTANCE_NAME* r0 = cell_at<RDB_TABLE_INAME_ELEMENT>(table, 0, 1)->get_iname();
    ASSERT_NE(r0, nullptr);
    EXPECT_STREQ(r0->full_path().c_str(), "chip/core/regs/r0");
    // A bare name may stand at any depth; the first in file order wins.
    HDB_INSTANCE_NAME* first_alu = cell_at<RDB_TABLE_INAME_ELEMENT>(table, 0, 2)->get_iname();
    EXPECT_EQ(first_alu, alu);
    // Empty text, an unknown name and a name with white space find nothing.
    EXPECT_EQ(cell_at<RDB_TABLE_INAME_ELEMENT>(table, 0, 3)->get_iname(), nullptr);
    EXPECT_EQ(cell_at<RDB_TABLE_INAME_ELEMENT>(table, 0, 4)->get_iname(), nullptr);
    EXPECT_EQ(cell_at<RDB_TABLE_INAME_ELEMENT>(table, 0, 5)->get_iname(), nullptr);
    EXPECT_EQ(rdb_xml_action_point, nullptr);  // the driver clears it after the parse

    // Without an action point, or with one rooted nowhere, nothing is found
    // and nothing is reported.
    report = parse_text(xml);
    ASSERT_NE(report, nullptr);
    for (unsigned i = 0; i < 6; ++i)
        EXPECT_EQ(cell_at<RDB_TABLE_INAME_ELEMENT>(table_at(report, 0), 0, i)->get_iname(), nullptr);
    HDB_ACTION_PT_INSTANCE unrooted(nullptr);
    options.action_point = &unrooted;
    report = parse_text(xml, options);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(cell_at<RDB_TABLE_INAME_ELEMENT>(table_at(report, 0), 0, 0)->get_iname(), nullptr);
}

TEST_F(TableTest, RowsTakeTheCellsThatFollowThemUntilTheNextRow)
{
    REPORT_PTR report = parse_text(table_report(
        "<table parent=\"main\"><row/>"
        "<row><string_cell>a</string_cell></row><int_cell>2</int_cell><string_cell>c</string_cell>"
        "<row></row></table>"));
    ASSERT_NE(report, nullptr);
    const RDB_TABLE_OBJECT* table = table_at(report, 0);
    ASSERT_EQ(table->get_number_of_rows(), 3u);
    EXPECT_EQ(table->get_row(0)->size(), 0u);
    ASSERT_EQ(table->get_row(1)->size(), 3u);
    EXPECT_STREQ(table->get_element(1, 0, false)->get_type(), "string");
    EXPECT_EQ(cell_at<RDB_TABLE_INT_ELEMENT>(table, 1, 1)->get_data(), 2);
    EXPECT_STREQ(cell_at<RDB_TABLE_STRING_ELEMENT>(table, 1, 2)->get_string().c_str(), "c");
    EXPECT_EQ(table->get_row(2)->size(), 0u);
}

TEST_F(TableTest, CellsAndDelayChildrenWithoutTheirObjectAreSkipped)
{
    REPORT_PTR report = parse_text(table_report(
        "<table parent=\"main\"><string_cell>s</string_cell><int_cell>1</int_cell><iname_cell>x</iname_cell>"
        "<delay_cell><delay>3</delay></delay_cell><delay>4</delay><display_option>bogus</display_option>"
        "<row><string_cell>in row</string_cell></row><delay>5</delay><display_option>nonsense</display_option>"
        "</table>"));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(count_messages_with("Unrecognized enumeration type"), 0);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
    const RDB_TABLE_OBJECT* table = table_at(report, 0);
    ASSERT_EQ(table->get_number_of_rows(), 1u);
    ASSERT_EQ(table->get_row(0)->size(), 1u);
    EXPECT_STREQ(cell_at<RDB_TABLE_STRING_ELEMENT>(table, 0, 0)->get_string().c_str(), "in row");
}

TEST_F(TableTest, TableElementNamesMatchInAnyCase)
{
    REPORT_PTR report = parse_text(table_report(
        "<TABLE name=\"t\" parent=\"main\" Enable_Fled=\"true\"><HEADER>h</HEADER><ROW><String_Cell>s</String_Cell>"
        "<INT_CELL>9</INT_CELL><Delay_Cell><DELAY>8</DELAY><Display_Option>PS</Display_Option></Delay_Cell>"
        "</ROW><Footer>f</Footer></TABLE>"));
    ASSERT_NE(report, nullptr);
    const RDB_TABLE_OBJECT* table = table_at(report, 0);
    ASSERT_NE(table, nullptr);
    EXPECT_STREQ(table->get_header()->c_str(), "h");
    EXPECT_STREQ(table->get_footer()->c_str(), "f");
    // Attribute names are exact: "Enable_Fled" is not "enable_fled".
    EXPECT_FALSE(table->get_last_cmp_flp_location_available());
    EXPECT_STREQ(cell_at<RDB_TABLE_STRING_ELEMENT>(table, 0, 0)->get_string().c_str(), "s");
    EXPECT_EQ(cell_at<RDB_TABLE_INT_ELEMENT>(table, 0, 1)->get_data(), 9);
    EXPECT_EQ(cell_at<RDB_TABLE_DELAY_ELEMENT>(table, 0, 2)->get_delay(), 8);
    EXPECT_EQ(cell_at<RDB_TABLE_DELAY_ELEMENT>(table, 0, 2)->get_display_option(), RDB_DELAY_DISPLAY_PS);
}

TEST_F(TableTest, EndOfAnyTableNameEndsTheHandler)
{
    const char* const names[] = {"table", "tan_spd_table", "tan_slack_table"};
    for (const char* outer : names) {
        for (const char* inner : names) {
            SCOPED_TRACE(std::string(outer) + " holding " + inner);
            // The inner start makes a table of its own; its end ends the
            // handler, so the "text" after it reaches the root handler.
            REPORT_PTR report = parse_text(table_report(
                std::string("<") + outer + " name=\"outer\" parent=\"main\"><row/><" + inner +
                " name=\"inner\" parent=\"main\"/><text name=\"after\" parent=\"main\"/></" + outer + ">"));
            ASSERT_NE(report, nullptr);
            RDB_FOLDER_OBJECT* main_folder = report->get_main_folder();
            ASSERT_EQ(main_folder->get_number_of_objects(), 3u);
            EXPECT_STREQ(main_folder->get_object(0)->get_kind(), outer);
            EXPECT_STREQ(main_folder->get_object(1)->get_kind(), inner);
            EXPECT_STREQ(main_folder->get_object(2)->get_kind(), "text");
            EXPECT_STREQ(main_folder->get_object(2)->get_name().c_str(), "after");
        }
    }
}

TEST_F(TableTest, StaticBuffersOffPrintsOneMessagePerAttributeLookup)
{
    PARSE_OPTIONS options;
    options.use_static_buffers = false;
    REPORT_PTR report = parse_text(
        table_report("<table parent=\"main\"><row><int_cell>1</int_cell></row></table>"), options);
    ASSERT_NE(report, nullptr);
    // "folders" and "root": name. "table": name, enable_fled, creator,
    // enabled, parent. "row": name. "int_cell": name, foreground, background.
    EXPECT_EQ(count_messages_with("Using dynamic buffer: XMLCh* -> char*"), 2 + 5 + 1 + 3);
}
