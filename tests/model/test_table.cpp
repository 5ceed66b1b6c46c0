// Tables, cells, gauges and slack tables: what they own and release, and
// the values they refuse. What the parser builds with them is checked
// through the parser.
#include <gtest/gtest.h>

#include <string>

#include "hdb_instance.h"
#include "mem_manager.h"
#include "rdb_report.h"

namespace {

long outstanding_blocks()
{
    return static_cast<long>(MEM_MANAGER::allocation_count()) - static_cast<long>(MEM_MANAGER::release_count());
}

RDB_GAUGES_DATA_ELEMENT* new_gauge(const char* name)
{
    return MEM_NEW("RDB_XML", "tests/model", RDB_GAUGES_DATA_ELEMENT, name, false, 0, 0, 0, false);
}

}  // namespace

TEST(Table, GetElementIsNullOutOfRangeAndTellsWhy)
{
    RDB_TABLE_OBJECT table("t", RDB_OBJECT_TYPE_TABLE);
    table.add_string_row("a", "b", RDB_ROW_END);
    RDB_TABLE_ROW* row = MEM_NEW("RDB_XML", "tests/model", RDB_TABLE_ROW);
    row->push_back(nullptr);
    table.add_row(row);
    table.add_row(nullptr);
    ASSERT_EQ(table.get_number_of_rows(), 2u);

    STATE_OF_GET_ELEMENT_ENUM state = STATE_OF_GET_ELEMENT_NO_ROW;
    EXPECT_NE(table.get_element(0, 1, &state), nullptr);
    EXPECT_EQ(state, STATE_OF_GET_ELEMENT_FOUND);
    EXPECT_EQ(table.get_element(0, 2, &state), nullptr);
    EXPECT_EQ(state, STATE_OF_GET_ELEMENT_NO_COLUMN);
    EXPECT_EQ(table.get_element(2, 0, &state), nullptr);
    EXPECT_EQ(state, STATE_OF_GET_ELEMENT_NO_ROW);
    EXPECT_EQ(table.get_element(1, 0, &state), nullptr);
    EXPECT_EQ(state, STATE_OF_GET_ELEMENT_EMPTY_CELL);
    EXPECT_EQ(table.get_element(7, 7, static_cast<STATE_OF_GET_ELEMENT_ENUM*>(nullptr)), nullptr);
    EXPECT_EQ(table.get_element(7, 7, true), nullptr);
    EXPECT_EQ(table.get_row(2), nullptr);
}

TEST(Table, CellsTakeOnlyTheirOwnValuesAndStaySmall)
{
    RDB_TABLE_STRING_ELEMENT text;
    RDB_TABLE_INT_ELEMENT number;
    RDB_TABLE_DELAY_ELEMENT delay(4, RDB_DELAY_DISPLAY_MHZ);
    RDB_TABLE_INAME_ELEMENT iname;
    for (RDB_TABLE_ELEMENT* cell : std::initializer_list<RDB_TABLE_ELEMENT*>{&text, &number, &delay, &iname}) {
        cell->set_string(STL_STRING(" x "));
        cell->set_int_element_data(9);
    }
    EXPECT_STREQ(text.get_string().c_str(), " x ");
    EXPECT_EQ(number.get_data(), 9);
    EXPECT_EQ(delay.get_delay(), 4);
    EXPECT_EQ(iname.get_iname(), nullptr);

    // Values outside an enumeration change nothing.
    delay.set_display_option(static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(-1));
    delay.set_display_option(RDB_DELAY_DISPLAY_COUNT);
    EXPECT_EQ(delay.get_display_option(), RDB_DELAY_DISPLAY_MHZ);
    RDB_TABLE_DELAY_ELEMENT bad(1, static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(-1));
    EXPECT_EQ(bad.get_display_option(), RDB_DELAY_DISPLAY_NS);
    RDB_CHART_TABLE_OBJECT chart("c", 7);
    chart.set_default_chart_type(RDB_CHART_TYPE_PIE);
    chart.set_default_chart_type(static_cast<RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM>(-1));
    EXPECT_EQ(chart.get_default_chart_type(), RDB_CHART_TYPE_PIE);
    RDB_EMBEDDED_OBJECT unknown("u", static_cast<RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM>(-1));
    EXPECT_EQ(unknown.get_embedded_type(), RDB_EMBEDDED_TYPE_GENERIC);

    // Tables are the bulk of a report: a cell is its vtable, two colours
    // and its value.
    EXPECT_LE(sizeof(RDB_TABLE_INT_ELEMENT), 24u);
    EXPECT_LE(sizeof(RDB_TABLE_INAME_ELEMENT), 24u);
    EXPECT_LE(sizeof(RDB_TABLE_DELAY_ELEMENT), 32u);
    EXPECT_LE(sizeof(RDB_TABLE_STRING_ELEMENT), 16u + sizeof(STL_STRING));
}

TEST(Gauges, SlotsGrowUpToTheLimitAndOwnTheirGauges)
{
    long before = outstanding_blocks();
    {
        RDB_GAUGES_OBJECT gauges("g", 2);
        EXPECT_EQ(gauges.get_number_of_slots(), 2u);
        for (unsigned i = 0; i < 25; ++i)
            gauges.set_data_at(i, new_gauge(std::to_string(i).c_str()));
        EXPECT_EQ(gauges.get_size(), 2);
        EXPECT_EQ(gauges.get_number_of_slots(), 25u);
        EXPECT_EQ(gauges.get_data_at(24)->get_name().c_str(), std::string("24"));
        EXPECT_EQ(gauges.get_data_at(25), nullptr);

        RDB_GAUGES_DATA_ELEMENT* first = gauges.get_data_at(0);
        gauges.set_data_at(0, first);  // the same gauge again: kept
        EXPECT_EQ(gauges.get_data_at(0), first);
        gauges.set_data_at(0, new_gauge("second"));  // releases the first
        RDB_GAUGES_DATA_ELEMENT* second = gauges.get_data_at(0);
        gauges.set_data_at(40, second);  // moves: slot 0 is empty now
        EXPECT_EQ(gauges.get_data_at(0), nullptr);
        EXPECT_EQ(gauges.get_data_at(40), second);
        EXPECT_EQ(gauges.get_number_of_slots(), 41u);
        gauges.set_data_at(40, nullptr);  // releases "second"
        EXPECT_EQ(gauges.get_number_of_used_slots(), 25u);
        // Beyond the limit a gauge is released, not kept.
        gauges.set_data_at(RDB_GAUGES_OBJECT::MAX_SLOTS, new_gauge("too far"));
        EXPECT_EQ(gauges.get_number_of_slots(), 41u);
    }
    EXPECT_EQ(outstanding_blocks(), before);
}

TEST(Summary, SetGaugesReplacesAndReleases)
{
    long before = outstanding_blocks();
    {
        RDB_SUMMARY_TABLE_OBJECT summary("s");
        auto* first = new RDB_GAUGES_OBJECT("first", 20);
        first->set_data_at(0, new_gauge("a"));
        summary.set_gauges(first);
        summary.set_gauges(first);
        EXPECT_EQ(summary.get_gauges(), first);
        EXPECT_EQ(first->get_owner(), &summary);
        auto* second = new RDB_GAUGES_OBJECT("second", 20);
        summary.set_gauges(second);  // releases "first" with its gauge
        EXPECT_EQ(summary.get_gauges(), second);

        // A gauges object another summary owns is refused.
        RDB_SUMMARY_TABLE_OBJECT other("other");
        other.set_gauges(second);
        EXPECT_EQ(other.get_gauges(), nullptr);
    }
    EXPECT_EQ(outstanding_blocks(), before);
}

TEST(TimingTables, SlackTableKeepsItsOwnColumnsAndRefusesOthers)
{
    auto* columns = new RDB_TAN_SLACK_COLUMN_TYPE_LIST;
    columns->push_back(std::make_pair(RDB_SLACK_COLUMN_FROM, STL_STRING("Start")));
    columns->push_back(std::make_pair(RDB_SLACK_COLUMN_TO, STL_STRING("End")));
    columns->push_back(std::make_pair(RDB_SLACK_COLUMN_FROM, STL_STRING("Source")));
    RDB_TAN_SLACK_TABLE_OBJECT slack("k", 0, *columns, RDB_OBJECT_TYPE_TAN_TABLE);
    delete columns;  // the table must not depend on the list
    ASSERT_NE(slack.get_column_name(RDB_SLACK_COLUMN_FROM), nullptr);
    EXPECT_STREQ(slack.get_column_name(RDB_SLACK_COLUMN_FROM)->c_str(), "Source");
    EXPECT_STREQ(slack.get_column_name(RDB_SLACK_COLUMN_TO)->c_str(), "End");
    EXPECT_EQ(slack.get_column_name(RDB_SLACK_COLUMN_SLACK), nullptr);

    slack.set_column_id(static_cast<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM>(-1), 9);
    slack.set_column_id(RDB_SLACK_COLUMN_COUNT, 9);
    for (int t = 0; t < RDB_SLACK_COLUMN_COUNT; ++t)
        EXPECT_FALSE(slack.has_column_id(static_cast<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM>(t)));
}
