// Charts: row 0, data rows, chart type, axis labels and the labels switch.
#include "parse_fixture.h"
#include "totals_snapshot.h"

namespace {

std::string report_with(const std::string& body)
{
    return "<report><folders><root name=\"main\"/></folders>\n" + body + "</report>";
}

RDB_CHART_TABLE_OBJECT* chart_at(const REPORT_PTR& report, unsigned i)
{
    return dynamic_cast<RDB_CHART_TABLE_OBJECT*>(report->get_main_folder()->get_object(i));
}

std::string string_at(const RDB_TABLE_OBJECT* table, unsigned row, unsigned column)
{
    auto* cell = dynamic_cast<RDB_TABLE_STRING_ELEMENT*>(table->get_element(row, column, false));
    return cell != nullptr ? cell->get_string().c_str() : "<no string cell>";
}

int int_at(const RDB_TABLE_OBJECT* table, unsigned row, unsigned column)
{
    auto* cell = dynamic_cast<RDB_TABLE_INT_ELEMENT*>(table->get_element(row, column, false));
    EXPECT_NE(cell, nullptr) << "row " << row;
    return cell != nullptr ? cell->get_data() : -99999;
}

}  // namespace

TEST_F(ParseTest, ChartWithoutDataStillHasRowZero)
{
    REPORT_PTR report = parse_text(report_with(R"(<chart name="Empty" parent="main" creator="sta" enabled="True"/>
<chart parent="main" size="abc"/>)"));
    ASSERT_NE(report, nullptr);
    RDB_CHART_TABLE_OBJECT* chart = chart_at(report, 0);
    ASSERT_NE(chart, nullptr);
    EXPECT_STREQ(chart->get_name().c_str(), "Empty");
    EXPECT_STREQ(chart->get_creator_module().c_str(), "sta");
    EXPECT_TRUE(chart->is_enabled());
    ASSERT_EQ(chart->get_number_of_rows(), 1u);
    EXPECT_EQ(chart->get_row(0)->size(), 2u);
    EXPECT_EQ(string_at(chart, 0, 0), "");
    EXPECT_EQ(string_at(chart, 0, 1), "");
    // Size absent or not a number: 0.
    EXPECT_EQ(chart->get_size(), 0);
    EXPECT_EQ(chart_at(report, 1)->get_size(), 0);
    EXPECT_STREQ(chart_at(report, 1)->get_name().c_str(), "");
}

TEST_F(ParseTest, ChartDataRowsFollowRowZeroInOrder)
{
    REPORT_PTR report = parse_text(report_with(R"(<chart name="c" parent="main" size=" 12 points">
<data name="blank"> 42 </data>
<data name="suffix">7x</data>
<data name="word">abc</data>
<data name="empty"/>
<data>-5</data>
</chart>)"));
    ASSERT_NE(report, nullptr);
    RDB_CHART_TABLE_OBJECT* chart = chart_at(report, 0);
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->get_size(), 12);
    ASSERT_EQ(chart->get_number_of_rows(), 6u);
    const char* names[] = {"blank", "suffix", "word", "empty", ""};
    const int values[] = {42, 7, 0, 0, -5};
    for (unsigned k = 0; k < 5; ++k) {
        EXPECT_EQ(string_at(chart, k + 1, 0), names[k]);
        EXPECT_EQ(int_at(chart, k + 1, 1), values[k]) << names[k];
    }
}

TEST_F(ParseTest, ChartTypeLabelsAndHeaderAreSet)
{
    REPORT_PTR report = parse_text(report_with(R"(<chart name="c" parent="main">
<header>h</header>
<type>pie</type>
<x_label> Slack
(ps) </x_label>
<y_label></y_label>
<show_labels>TRUE</show_labels>
<type>Line</type>
<footer> f </footer>
</chart>
<chart name="plain" parent="main"/>)"));
    ASSERT_NE(report, nullptr);
    RDB_CHART_TABLE_OBJECT* chart = chart_at(report, 0);
    // The later recognised type wins.
    EXPECT_EQ(chart->get_default_chart_type(), RDB_CHART_TYPE_LINE);
    EXPECT_STREQ(chart->get_x_axis().c_str(), " Slack\n(ps) ");
    EXPECT_STREQ(chart->get_y_axis().c_str(), "");
    EXPECT_TRUE(chart->get_display_labels());
    EXPECT_STREQ(chart->get_header()->c_str(), "h");
    EXPECT_STREQ(chart->get_footer()->c_str(), " f ");

    RDB_CHART_TABLE_OBJECT* plain = chart_at(report, 1);
    EXPECT_EQ(plain->get_default_chart_type(), RDB_CHART_TYPE_BAR);
    EXPECT_FALSE(plain->get_display_labels());
}

TEST_F(ParseTest, ShowLabelsIsTrueOnlyForExactlyTrue)
{
    struct CASE {
        const char* text;
        bool expected;
    } cases[] = {{"true", true}, {"tRUE", true}, {"yes", false}, {"1", false}, {"true\n", false}, {" true", false},
                 {"", false}};
    for (const CASE& c : cases) {
        REPORT_PTR report = parse_text(report_with(std::string("<chart name=\"c\" parent=\"main\">") +
                                                   "<show_labels>true</show_labels><show_labels>" + c.text +
                                                   "</show_labels></chart>"));
        ASSERT_NE(report, nullptr) << c.text;
        EXPECT_EQ(chart_at(report, 0)->get_display_labels(), c.expected) << "'" << c.text << "'";
    }
}

TEST_F(ParseTest, UnknownChartTypeIsOneErrorAndNoReport)
{
    std::string json;
    snapshot_report_at_totals(m_messages, json);
    REPORT_PTR report = parse_text(report_with(R"(<chart name="c" parent="main">
<type>donut</type>
<type>Scatter</type>
<type> pie</type>
</chart>)"));
    EXPECT_EQ(report, nullptr);
    // Each unknown name is counted once with its message, the text untrimmed;
    // the valid type between them changes nothing of that.
    EXPECT_EQ(count_messages_with("Unrecognized enumeration type"), 2);
    EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type: donut"));
    EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type:  pie"));
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 2 errors, 0 warnings"));
    // The valid type after the unknown one was still set, and the chart kept
    // it past the second unknown one.
    EXPECT_NE(json.find("\"chart_type\":\"scatter\""), std::string::npos) << json;

    report = parse_text(report_with("<chart name=\"c\" parent=\"main\"><type>pie</type><type/></chart>"));
    EXPECT_EQ(report, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Unrecognized enumeration type: "));
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings"));
    EXPECT_NE(json.find("\"chart_type\":\"pie\""), std::string::npos) << json;
}

TEST_F(ParseTest, ChartElementNamesMatchInAnyCase)
{
    REPORT_PTR report = parse_text(report_with(R"(<CHART name="c" parent="main">
<DATA name="d">9</DATA><Type>HISTOGRAM</Type><X_Label>x</X_Label><Y_LABEL>y</Y_LABEL>
<Show_Labels>true</Show_Labels><Footer>f</Footer>
</CHART>
<text name="after" parent="main"/>)"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);
    RDB_CHART_TABLE_OBJECT* chart = chart_at(report, 0);
    ASSERT_EQ(chart->get_number_of_rows(), 2u);
    EXPECT_EQ(int_at(chart, 1, 1), 9);
    EXPECT_EQ(chart->get_default_chart_type(), RDB_CHART_TYPE_HISTOGRAM);
    EXPECT_STREQ(chart->get_x_axis().c_str(), "x");
    EXPECT_STREQ(chart->get_y_axis().c_str(), "y");
    EXPECT_TRUE(chart->get_display_labels());
    EXPECT_STREQ(chart->get_footer()->c_str(), "f");
    EXPECT_STREQ(report->get_main_folder()->get_object(1)->get_kind(), "text");
}
