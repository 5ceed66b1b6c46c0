// Summary tables with their gauges.
#include "parse_fixture.h"

namespace {

std::string report_with(const std::string& body)
{
    return "<report><folders><root name=\"main\"/></folders>\n" + body + "</report>";
}

RDB_SUMMARY_TABLE_OBJECT* summary_at(const REPORT_PTR& report, unsigned i)
{
    return dynamic_cast<RDB_SUMMARY_TABLE_OBJECT*>(report->get_main_folder()->get_object(i));
}

std::string cell_text(const RDB_TABLE_OBJECT* table, unsigned row, unsigned column)
{
    auto* cell = dynamic_cast<RDB_TABLE_STRING_ELEMENT*>(table->get_element(row, column, false));
    return cell != nullptr ? cell->get_string().c_str() : "<no string cell>";
}

}  // namespace

TEST_F(ParseTest, SummaryRowsComeInOrderWithUntrimmedTexts)
{
    REPORT_PTR report = parse_text(report_with(R"(<summary name="Flow" parent="main" creator="flow" enabled="TRUE">
<header> head </header>
<element name="Status">  done
</element>
<element name="Empty"/>
<element name=" Spaced "> a <b>lost</b> kept </element>
<footer>foot</footer>
</summary>)"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 1u);
    RDB_SUMMARY_TABLE_OBJECT* summary = summary_at(report, 0);
    ASSERT_NE(summary, nullptr);
    EXPECT_STREQ(summary->get_name().c_str(), "Flow");
    EXPECT_STREQ(summary->get_creator_module().c_str(), "flow");
    EXPECT_TRUE(summary->is_enabled());
    EXPECT_STREQ(summary->get_header()->c_str(), " head ");
    EXPECT_STREQ(summary->get_footer()->c_str(), "foot");
    EXPECT_EQ(summary->get_gauges(), nullptr);

    // No heading row: exactly one row per "element".
    ASSERT_EQ(summary->get_number_of_rows(), 3u);
    EXPECT_EQ(cell_text(summary, 0, 0), "Status");
    EXPECT_EQ(cell_text(summary, 0, 1), "  done\n");
    EXPECT_EQ(cell_text(summary, 1, 0), "Empty");
    EXPECT_EQ(cell_text(summary, 1, 1), "");
    EXPECT_EQ(cell_text(summary, 2, 0), " Spaced ");
    // Text before a nested child is dropped at the child's start; the
    // child's own text and what follows it stay.
    EXPECT_EQ(cell_text(summary, 2, 1), "lost kept ");
    EXPECT_EQ(summary->get_row(0)->size(), 2u);
}

TEST_F(ParseTest, GaugeFieldsAreReadAsLeadingDecimalNumbers)
{
    REPORT_PTR report = parse_text(report_with(R"(<summary name="s" parent="main"><gauges>
<gauge name="a"><min> 7</min><max>abc</max><value>12.5</value></gauge>
<gauge name="b"><min>-3</min><max>+40</max><value></value></gauge>
</gauges></summary>)"));
    ASSERT_NE(report, nullptr);
    RDB_GAUGES_OBJECT* gauges = summary_at(report, 0)->get_gauges();
    ASSERT_NE(gauges, nullptr);
    RDB_GAUGES_DATA_ELEMENT* a = gauges->get_data_at(0);
    RDB_GAUGES_DATA_ELEMENT* b = gauges->get_data_at(1);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->m_min, 7);
    EXPECT_EQ(a->m_max, 0);
    EXPECT_EQ(a->m_value, 12);
    EXPECT_EQ(b->m_min, -3);
    EXPECT_EQ(b->m_max, 40);
    EXPECT_EQ(b->m_value, 0);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
}

TEST_F(ParseTest, GaugeFlagsIgnoreCaseAndEnabledMeansNotDisabled)
{
    REPORT_PTR report = parse_text(report_with(R"(<summary name="s" parent="main"><gauges name="mine">
<gauge name="upper" percent="TRUE" enabled="tRuE"/>
<gauge name="words" percent="yes" enabled="false"/>
<gauge percent=" true" enabled="0"/>
<gauge name="absent"/>
</gauges></summary>)"));
    ASSERT_NE(report, nullptr);
    RDB_GAUGES_OBJECT* gauges = summary_at(report, 0)->get_gauges();
    ASSERT_NE(gauges, nullptr);
    // The gauges object's name and size are fixed; its "name" is not used.
    EXPECT_STREQ(gauges->get_name().c_str(), "This name should not be observed");
    EXPECT_EQ(gauges->get_size(), 20);

    struct EXPECTED {
        const char* name;
        bool percent;
        bool disabled;
    } expected[] = {{"upper", true, false}, {"words", false, true}, {"", false, true}, {"absent", false, true}};
    for (unsigned i = 0; i < 4; ++i) {
        RDB_GAUGES_DATA_ELEMENT* gauge = gauges->get_data_at(i);
        ASSERT_NE(gauge, nullptr) << i;
        EXPECT_STREQ(gauge->get_name().c_str(), expected[i].name) << i;
        EXPECT_EQ(gauge->is_percent(), expected[i].percent) << i;
        EXPECT_EQ(gauge->is_disabled(), expected[i].disabled) << i;
        EXPECT_EQ(gauge->m_min, 0);
        EXPECT_EQ(gauge->m_max, 0);
        EXPECT_EQ(gauge->m_value, 0);
    }
}

TEST_F(ParseTest, GaugesAreNumberedAcrossTheWholeSummary)
{
    REPORT_PTR report = parse_text(report_with(R"(<summary name="s" parent="main">
<gauges><gauge name="g0"><value>10</value></gauge><gauge name="g1"><value>11</value></gauge></gauges>
<gauges><gauge name="g2"><value>12</value></gauge></gauges>
</summary>
<summary name="t" parent="main"><gauges><gauge name="again"/></gauges></summary>)"));
    ASSERT_NE(report, nullptr);
    // The second gauges object replaced the first; its gauge continues the
    // numbering at slot 2.
    RDB_GAUGES_OBJECT* gauges = summary_at(report, 0)->get_gauges();
    ASSERT_NE(gauges, nullptr);
    EXPECT_EQ(gauges->get_data_at(0), nullptr);
    EXPECT_EQ(gauges->get_data_at(1), nullptr);
    ASSERT_NE(gauges->get_data_at(2), nullptr);
    EXPECT_STREQ(gauges->get_data_at(2)->get_name().c_str(), "g2");
    EXPECT_EQ(gauges->get_data_at(2)->m_value, 12);
    EXPECT_EQ(gauges->get_number_of_used_slots(), 3u);

    // Numbering starts again at 0 in the next summary.
    RDB_GAUGES_OBJECT* next = summary_at(report, 1)->get_gauges();
    ASSERT_NE(next, nullptr);
    ASSERT_NE(next->get_data_at(0), nullptr);
    EXPECT_STREQ(next->get_data_at(0)->get_name().c_str(), "again");
}

TEST_F(ParseTest, FieldsBetweenASecondGaugesAndItsFirstGaugeAreSkipped)
{
    // The first gauges object, and gauge g0 in it, are released when the
    // second gauges starts: the fields that follow must not reach g0.
    REPORT_PTR report = parse_text(report_with(R"(<summary name="s" parent="main">
<gauges><gauge name="g0"><min>1</min></gauge></gauges>
<gauges><min>5</min><max>6</max><value>7</value><gauge name="g1"><max>3</max></gauge></gauges>
</summary>)"));
    ASSERT_NE(report, nullptr);
    RDB_GAUGES_OBJECT* gauges = summary_at(report, 0)->get_gauges();
    ASSERT_NE(gauges, nullptr);
    RDB_GAUGES_DATA_ELEMENT* g1 = gauges->get_data_at(1);
    ASSERT_NE(g1, nullptr);
    EXPECT_STREQ(g1->get_name().c_str(), "g1");
    EXPECT_EQ(g1->m_min, 0);
    EXPECT_EQ(g1->m_max, 3);
    EXPECT_EQ(g1->m_value, 0);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
}

TEST_F(ParseTest, OutOfPlaceGaugeElementsAreSkippedSilently)
{
    REPORT_PTR report = parse_text(report_with(R"(<summary name="s" parent="main">
<min>1</min><max>2</max><value>3</value>
<gauge name="orphan"><min>4</min></gauge>
<gauges><value>5</value><gauge name="first"/></gauges>
</summary>)"));
    ASSERT_NE(report, nullptr);
    RDB_GAUGES_OBJECT* gauges = summary_at(report, 0)->get_gauges();
    ASSERT_NE(gauges, nullptr);
    // The orphan gauge took no slot and no number.
    ASSERT_NE(gauges->get_data_at(0), nullptr);
    EXPECT_STREQ(gauges->get_data_at(0)->get_name().c_str(), "first");
    EXPECT_EQ(gauges->get_data_at(0)->m_value, 0);
    EXPECT_EQ(gauges->get_number_of_used_slots(), 1u);
    // Nothing but the usual lines: configuration, three timings, the file
    // and the totals.
    EXPECT_EQ(m_messages.size(), 6u);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
}

TEST_F(ParseTest, SummaryElementNamesMatchInAnyCase)
{
    REPORT_PTR report = parse_text(report_with(R"(<SUMMARY name="s" parent="main">
<Element name="row">text</Element>
<GAUGES><Gauge name="g" Percent="true"><MIN>1</MIN><Max>2</Max><VALUE>3</VALUE></Gauge></GAUGES>
<HEADER>h</HEADER>
</SUMMARY>
<summary name="after" parent="main"/>)"));
    ASSERT_NE(report, nullptr);
    ASSERT_EQ(report->get_main_folder()->get_number_of_objects(), 2u);
    RDB_SUMMARY_TABLE_OBJECT* summary = summary_at(report, 0);
    ASSERT_EQ(summary->get_number_of_rows(), 1u);
    EXPECT_EQ(cell_text(summary, 0, 1), "text");
    EXPECT_STREQ(summary->get_header()->c_str(), "h");
    RDB_GAUGES_DATA_ELEMENT* gauge = summary->get_gauges()->get_data_at(0);
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->m_min, 1);
    EXPECT_EQ(gauge->m_max, 2);
    EXPECT_EQ(gauge->m_value, 3);
    // Attribute names match only as written.
    EXPECT_FALSE(gauge->is_percent());
    EXPECT_STREQ(summary_at(report, 1)->get_name().c_str(), "after");
}
