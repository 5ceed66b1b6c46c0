// Timing-analysis tables (speed and slack) through the real parser, and the
// tables of the bundled example with its hierarchy.
#include <memory>

#include "hdb_instance.h"
#include "table_test.h"

namespace {

RDB_TAN_SLACK_TABLE_OBJECT* slack_of(RDB_TABLE_OBJECT* table)
{
    RDB_TAN_TABLE_OBJECT* timing = table != nullptr ? table->dynamic_cast_to_RDB_TAN_TABLE_OBJECT() : nullptr;
    return timing != nullptr ? timing->dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT() : nullptr;
}

std::string slack_table(const std::string& attributes, const std::string& body)
{
    return "<tan_slack_table name=\"s\" parent=\"main\" " + attributes + ">" + body + "</tan_slack_table>";
}

RDB_OBJECT* object_in(RDB_OBJECT* folder, std::size_t i)
{
    RDB_FOLDER_OBJECT* f = folder != nullptr ? folder->dynamic_cast_to_RDB_FOLDER_OBJECT() : nullptr;
    return f != nullptr ? f->get_object(i) : nullptr;
}

// The first object of the folder with that name, or null.
RDB_OBJECT* object_named(RDB_OBJECT* folder, const char* name)
{
    for (std::size_t i = 0; RDB_OBJECT* object = object_in(folder, i); ++i)
        if (object->get_name() == name)
            return object;
    return nullptr;
}

}  // namespace

TEST_F(TableTest, SlackTableIsBuiltWithColumnsRestrictionAndRows)
{
    REPORT_PTR report = parse_file(table_data("table_slack.xml"));
    ASSERT_NE(report, nullptr);
    RDB_OBJECT* timing = object_in(report->get_main_folder(), 0);
    RDB_TABLE_OBJECT* table = dynamic_cast<RDB_TABLE_OBJECT*>(object_in(timing, 0));
    RDB_TAN_SLACK_TABLE_OBJECT* slack = slack_of(table);
    ASSERT_NE(slack, nullptr);
    EXPECT_STREQ(slack->get_kind(), "tan_slack_table");
    EXPECT_EQ(slack->get_object_type(), RDB_OBJECT_TYPE_TAN_TABLE);
    EXPECT_STREQ(slack->get_name().c_str(), "setup");
    EXPECT_STREQ(slack->get_creator_module().c_str(), "sta");
    EXPECT_TRUE(slack->is_enabled());
    EXPECT_TRUE(slack->get_last_cmp_flp_location_available());
    EXPECT_EQ(slack->get_analysis_type(), 3);
    EXPECT_EQ(slack->get_column_id(RDB_SLACK_COLUMN_SLACK), 3u);
    EXPECT_EQ(slack->get_column_id(RDB_SLACK_COLUMN_TO_CLOCK), 7u);
    // A known type without "id" gets id 0; type names ignore case.
    EXPECT_TRUE(slack->has_column_id(RDB_SLACK_COLUMN_FROM));
    EXPECT_EQ(slack->get_column_id(RDB_SLACK_COLUMN_FROM), 0u);
    EXPECT_FALSE(slack->has_column_id(RDB_SLACK_COLUMN_ARRIVAL));
    // The constructor's list was empty: no column names.
    EXPECT_EQ(slack->get_column_name(RDB_SLACK_COLUMN_SLACK), nullptr);
    ASSERT_TRUE(slack->has_restricted_to());
    EXPECT_EQ(slack->get_restricted_to(), 12);
    EXPECT_STREQ(slack->get_header()->c_str(), "Setup");
    EXPECT_STREQ(slack->get_footer()->c_str(), "Footer text");
    ASSERT_EQ(slack->get_number_of_rows(), 1u);
    const RDB_TABLE_DELAY_ELEMENT* delay =
        dynamic_cast<const RDB_TABLE_DELAY_ELEMENT*>(slack->get_element(0, 0, false));
    ASSERT_NE(delay, nullptr);
    EXPECT_EQ(delay->get_delay(), -40);
    EXPECT_EQ(delay->get_foreground(), 0xff0000u);
    EXPECT_STREQ(slack->get_element(0, 1, false)->get_type(), "string");
}

TEST_F(TableTest, SpdTableTakesShowMinInAnyCase)
{
    REPORT_PTR report = parse_file(table_data("table_slack.xml"));
    ASSERT_NE(report, nullptr);
    RDB_OBJECT* timing = object_in(report->get_main_folder(), 0);
    RDB_TAN_SPD_TABLE_OBJECT* spd = dynamic_cast<RDB_TAN_SPD_TABLE_OBJECT*>(object_in(timing, 1));
    ASSERT_NE(spd, nullptr);
    EXPECT_STREQ(spd->get_kind(), "tan_spd_table");
    EXPECT_EQ(spd->get_object_type(), RDB_OBJECT_TYPE_TAN_TABLE);
    EXPECT_TRUE(spd->get_show_min());
    EXPECT_EQ(spd->get_segment(), static_cast<MEM_SEGMENT*>(&mem_default_segment));
    EXPECT_NE(spd->dynamic_cast_to_RDB_TAN_TABLE_OBJECT(), nullptr);
    EXPECT_EQ(slack_of(spd), nullptr);
    ASSERT_EQ(spd->get_number_of_rows(), 1u);
    EXPECT_EQ(static_cast<RDB_TABLE_DELAY_ELEMENT*>(spd->get_element(0, 1, false))->get_display_option(),
              RDB_DELAY_DISPLAY_MHZ);

    const char* const not_true[] = {"", "false", "yes", "1", " true"};
    for (const char* value : not_true) {
        SCOPED_TRACE(value);
        report = parse_text(table_report("<tan_spd_table parent=\"main\" show_min=\"" + std::string(value) +
                                         "\"/><tan_spd_table parent=\"main\"/>"));
        ASSERT_NE(report, nullptr);
        EXPECT_FALSE(static_cast<RDB_TAN_SPD_TABLE_OBJECT*>(table_at(report, 0))->get_show_min());
        EXPECT_FALSE(static_cast<RDB_TAN_SPD_TABLE_OBJECT*>(table_at(report, 1))->get_show_min());
    }
}

TEST_F(TableTest, SlackTableAnalysisTypeIsALeadingNumberOrZero)
{
    REPORT_PTR report = parse_text(table_report(slack_table("", "") + slack_table("analysis_type=\" -2x\"", "") +
                                                slack_table("analysis_type=\"late\"", "")));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(slack_of(table_at(report, 0))->get_analysis_type(), 0);
    EXPECT_EQ(slack_of(table_at(report, 1))->get_analysis_type(), -2);
    EXPECT_EQ(slack_of(table_at(report, 2))->get_analysis_type(), 0);
}

TEST_F(TableTest, ColumnsAreSetInDocumentOrder)
{
    // The same type twice: the later id is the one the table keeps.
    REPORT_PTR report = parse_text(
        table_report(slack_table("", "<column id=\"3\" type=\"skew\"/><row/><column id=\"7\" type=\"skew\"/>"
                                     "<column id=\"x\" type=\"required\"/><column id=\"4294967295\" type=\"to\"/>")));
    ASSERT_NE(report, nullptr);
    RDB_TAN_SLACK_TABLE_OBJECT* slack = slack_of(table_at(report, 0));
    ASSERT_NE(slack, nullptr);
    EXPECT_EQ(slack->get_column_id(RDB_SLACK_COLUMN_SKEW), 7u);
    EXPECT_TRUE(slack->has_column_id(RDB_SLACK_COLUMN_REQUIRED));
    EXPECT_EQ(slack->get_column_id(RDB_SLACK_COLUMN_REQUIRED), 0u);
    EXPECT_EQ(slack->get_column_id(RDB_SLACK_COLUMN_TO), 4294967295u);
    EXPECT_EQ(slack->get_number_of_rows(), 1u);
}

TEST_F(TableTest, UnknownColumnTypeIsOneErrorAndSetsNoColumn)
{
    bool any_column = true;
    int rows = -1;
    REPORT_PTR report = parse_text_inspecting(
        table_report(slack_table("", "<column id=\"5\" type=\"latency\"/><row/>")), [&](const RDB_REPORT* r) {
            RDB_TAN_SLACK_TABLE_OBJECT* slack = slack_of(table_at(r, 0));
            ASSERT_NE(slack, nullptr);
            any_column = false;
            for (int t = 0; t < RDB_SLACK_COLUMN_COUNT; ++t)
                any_column = any_column ||
                             slack->has_column_id(static_cast<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM>(t));
            rows = static_cast<int>(slack->get_number_of_rows());
        });
    EXPECT_EQ(report, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type: latency"));
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings"));
    EXPECT_FALSE(any_column);
    EXPECT_EQ(rows, 1);  // the parse went on

    // An absent type is looked up as the empty name.
    report = parse_text(table_report(slack_table("", "<column id=\"1\"/>")));
    EXPECT_EQ(report, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type: "));
    EXPECT_EQ(count_messages_with("Unrecognized enumeration type"), 1);
}

TEST_F(TableTest, RestrictedToReadsALeadingNumberAndIsAlwaysSet)
{
    REPORT_PTR report = parse_text(table_report(
        slack_table("", "<restricted_to>12</restricted_to>") + slack_table("", "<restricted_to></restricted_to>") +
        slack_table("", "<restricted_to>all</restricted_to>") + slack_table("", "")));
    ASSERT_NE(report, nullptr);
    RDB_TAN_SLACK_TABLE_OBJECT* twelve = slack_of(table_at(report, 0));
    ASSERT_TRUE(twelve->has_restricted_to());
    EXPECT_EQ(twelve->get_restricted_to(), 12);
    for (std::size_t i = 1; i <= 2; ++i) {
        RDB_TAN_SLACK_TABLE_OBJECT* zero = slack_of(table_at(report, i));
        EXPECT_TRUE(zero->has_restricted_to()) << i;
        EXPECT_EQ(zero->get_restricted_to(), 0) << i;
    }
    EXPECT_FALSE(slack_of(table_at(report, 3))->has_restricted_to());
}

TEST_F(TableTest, ColumnAndRestrictedToOutsideASlackTableAreSkipped)
{
    // Not even an unknown column type counts there: nothing is looked up.
    const std::string body = "<column id=\"1\" type=\"nonsense\"/><restricted_to>4</restricted_to><row/>";
    REPORT_PTR report = parse_text(table_report("<table name=\"plain\" parent=\"main\">" + body + "</table>" +
                                                "<tan_spd_table name=\"spd\" parent=\"main\">" + body +
                                                "</tan_spd_table>"));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(count_messages_with("Unrecognized enumeration type"), 0);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
    EXPECT_EQ(table_at(report, 0)->get_number_of_rows(), 1u);
    EXPECT_EQ(table_at(report, 1)->get_number_of_rows(), 1u);
}

TEST_F(TableTest, ExampleReportTablesResolveThroughTheExampleHierarchy)
{
    STL_STRING error;
    std::unique_ptr<HDB_HIERARCHY> hierarchy =
        HDB_HIERARCHY::load(RDBXML_SOURCE_DIR "/examples/hierarchy.txt", &error);
    ASSERT_NE(hierarchy, nullptr) << error.c_str();
    PARSE_OPTIONS options;
    options.action_point = hierarchy->action_point();
    REPORT_PTR report = parse_file(RDBXML_SOURCE_DIR "/examples/report.xml", options);
    ASSERT_NE(report, nullptr);

    RDB_OBJECT* timing = object_named(report->get_main_folder(), "timing");
    ASSERT_NE(timing, nullptr);
    RDB_TABLE_OBJECT* clocks = dynamic_cast<RDB_TABLE_OBJECT*>(object_named(timing, "Clocks"));
    RDB_TAN_SPD_TABLE_OBJECT* fmax = dynamic_cast<RDB_TAN_SPD_TABLE_OBJECT*>(object_named(timing, "Fmax"));
    RDB_TAN_SLACK_TABLE_OBJECT* setup =
        slack_of(dynamic_cast<RDB_TABLE_OBJECT*>(object_named(timing, "Setup slack")));
    ASSERT_NE(clocks, nullptr);
    ASSERT_NE(fmax, nullptr);
    ASSERT_NE(setup, nullptr);
    EXPECT_STREQ(clocks->get_kind(), "table");
    EXPECT_TRUE(fmax->get_show_min());

    const RDB_TABLE_INAME_ELEMENT* pll = dynamic_cast<const RDB_TABLE_INAME_ELEMENT*>(clocks->get_element(1, 2, false));
    ASSERT_NE(pll, nullptr);
    ASSERT_NE(pll->get_iname(), nullptr);
    EXPECT_STREQ(pll->get_iname()->full_path().c_str(), "top/cpu/pll");

    // Every instance-name cell of the slack table resolves.
    unsigned inames = 0;
    for (unsigned r = 0; r < setup->get_number_of_rows(); ++r)
        for (unsigned c = 0; c < setup->get_row(r)->size(); ++c)
            if (const RDB_TABLE_INAME_ELEMENT* cell =
                    dynamic_cast<const RDB_TABLE_INAME_ELEMENT*>(setup->get_element(r, c, false))) {
                ++inames;
                EXPECT_NE(cell->get_iname(), nullptr) << r << "," << c;
            }
    EXPECT_EQ(inames, 4u);
    const RDB_TABLE_INAME_ELEMENT* from = dynamic_cast<const RDB_TABLE_INAME_ELEMENT*>(setup->get_element(1, 1, false));
    ASSERT_NE(from, nullptr);
    EXPECT_STREQ(from->get_iname()->full_path().c_str(), "top/cpu/alu/acc_reg");
    EXPECT_EQ(from->get_background(), 0xffffccu);
    const RDB_TABLE_DELAY_ELEMENT* slack = dynamic_cast<const RDB_TABLE_DELAY_ELEMENT*>(setup->get_element(1, 0, false));
    ASSERT_NE(slack, nullptr);
    EXPECT_EQ(slack->get_delay(), -120);
    EXPECT_EQ(slack->get_display_option(), RDB_DELAY_DISPLAY_PS);
    EXPECT_EQ(slack->get_foreground(), 0xff0000u);
    EXPECT_EQ(setup->get_analysis_type(), 1);
    EXPECT_EQ(setup->get_column_id(RDB_SLACK_COLUMN_FROM_CLOCK), 3u);
    EXPECT_EQ(setup->get_restricted_to(), 10);
}

TEST_F(TableTest, ExampleReportIsValidAgainstTheSchema)
{
    PARSE_OPTIONS options;
    options.use_schema = true;
    REPORT_PTR report = parse_file(RDBXML_SOURCE_DIR "/examples/report.xml", options);
    EXPECT_NE(report, nullptr);
    EXPECT_EQ(count_messages_with("Error"), 0);
}

TEST_F(TableTest, EveryFailedAllocationOfATableParseIsSurvived)
{
    const std::string xml = table_report(
        slack_table("analysis_type=\"1\"", "<column id=\"1\" type=\"slack\"/><restricted_to>2</restricted_to>"
                                           "<row><string_cell foreground=\"red\">s</string_cell><int_cell>1</int_cell>"
                                           "<iname_cell>x</iname_cell><delay_cell><delay>3</delay>"
                                           "<display_option>ps</display_option></delay_cell></row>") +
        "<tan_spd_table parent=\"main\" show_min=\"true\"><row><int_cell>4</int_cell></row></tan_spd_table>"
        "<table parent=\"main\"><header>h</header><row/></table>");
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
