// Tables, rows, cells, gauges, charts and the timing-analysis tables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hdb_instance.h"
#include "mem_manager.h"
#include "rdb_report.h"

namespace {

long outstanding_blocks()
{
    return static_cast<long>(MEM_MANAGER::allocation_count()) - static_cast<long>(MEM_MANAGER::release_count());
}

const char* string_at(const RDB_TABLE_OBJECT& table, unsigned row, unsigned column)
{
    auto* cell = dynamic_cast<RDB_TABLE_STRING_ELEMENT*>(table.get_element(row, column, false));
    return cell != nullptr ? cell->get_string().c_str() : nullptr;
}

RDB_GAUGES_DATA_ELEMENT* new_gauge(const char* name)
{
    return MEM_NEW("RDB_XML", "tests/model", RDB_GAUGES_DATA_ELEMENT, name, false, 0, 0, 0, false);
}

}  // namespace

TEST(Table, AddRowKeepsTheVeryRowAndLaterCellsBelongToIt)
{
    RDB_TABLE_OBJECT table("t", RDB_OBJECT_TYPE_TABLE);
    RDB_TABLE_ROW* row = MEM_NEW("RDB_XML", "tests/model", RDB_TABLE_ROW);
    table.add_row(row);
    ASSERT_EQ(table.get_number_of_rows(), 1u);
    EXPECT_EQ(table.get_row(0), row);

    // Cells pushed after the row was added are part of the table.
    auto* cell = MEM_NEW("RDB_XML", "tests/model", RDB_TABLE_INT_ELEMENT);
    row->push_back(cell);
    cell->set_data(-3);
    EXPECT_EQ(table.get_element(0, 0, false), cell);
    EXPECT_EQ(static_cast<RDB_TABLE_INT_ELEMENT*>(table.get_element(0, 0, false))->get_data(), -3);
    table.add_row(nullptr);
    EXPECT_EQ(table.get_number_of_rows(), 1u);
}

TEST(Table, AddStringRowCopiesTextsUpToTheEndMarker)
{
    RDB_TABLE_OBJECT table("t", RDB_OBJECT_TYPE_TABLE);
    char name[] = "name";
    table.add_string_row(name, "", " spaced ", RDB_ROW_END);
    std::strcpy(name, "gone");
    table.add_string_row(RDB_ROW_END);  // an empty row
    ASSERT_EQ(table.get_number_of_rows(), 2u);
    EXPECT_EQ(table.get_row(0)->size(), 3u);
    EXPECT_STREQ(string_at(table, 0, 0), "name");
    EXPECT_STREQ(string_at(table, 0, 1), "");
    EXPECT_STREQ(string_at(table, 0, 2), " spaced ");
    EXPECT_EQ(table.get_row(1)->size(), 0u);
}

TEST(Table, GetElementIsNullOutOfRangeAndTellsWhy)
{
    RDB_TABLE_OBJECT table("t", RDB_OBJECT_TYPE_TABLE);
    table.add_string_row("a", "b", RDB_ROW_END);
    RDB_TABLE_ROW* row = MEM_NEW("RDB_XML", "tests/model", RDB_TABLE_ROW);
    row->push_back(nullptr);
    table.add_row(row);

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

TEST(Table, CellsTakeOnlyTheirOwnValues)
{
    RDB_TABLE_STRING_ELEMENT text;
    RDB_TABLE_INT_ELEMENT number;
    RDB_TABLE_DELAY_ELEMENT delay(4, RDB_DELAY_DISPLAY_MHZ);
    RDB_TABLE_INAME_ELEMENT iname;
    RDB_TABLE_ELEMENT* cells[] = {&text, &number, &delay, &iname};
    for (RDB_TABLE_ELEMENT* cell : cells) {
        cell->set_string(STL_STRING(" x "));
        cell->set_int_element_data(9);
    }
    EXPECT_STREQ(text.get_string().c_str(), " x ");
    EXPECT_EQ(number.get_data(), 9);
    EXPECT_EQ(delay.get_delay(), 4);
    EXPECT_EQ(delay.get_display_option(), RDB_DELAY_DISPLAY_MHZ);
    EXPECT_EQ(iname.get_iname(), nullptr);
    EXPECT_STREQ(text.get_type(), "string");
    EXPECT_STREQ(number.get_type(), "int");
    EXPECT_STREQ(delay.get_type(), "delay");
    EXPECT_STREQ(iname.get_type(), "iname");

    // A display option outside the enumeration changes nothing.
    delay.set_display_option(static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(-1));
    delay.set_display_option(RDB_DELAY_DISPLAY_COUNT);
    EXPECT_EQ(delay.get_display_option(), RDB_DELAY_DISPLAY_MHZ);
    RDB_TABLE_DELAY_ELEMENT bad(1, static_cast<RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM>(-1));
    EXPECT_EQ(bad.get_display_option(), RDB_DELAY_DISPLAY_NS);

    HDB_INSTANCE_NAME top("top", nullptr);
    iname.set_iname(top.add_child("u1"));
    EXPECT_STREQ(iname.get_iname()->full_path().c_str(), "top/u1");
}

TEST(Table, CellsStaySmall)
{
    // Tables are the bulk of a report: a cell is its vtable, two colours
    // and its value.
    EXPECT_LE(sizeof(RDB_TABLE_INT_ELEMENT), 24u);
    EXPECT_LE(sizeof(RDB_TABLE_INAME_ELEMENT), 24u);
    EXPECT_LE(sizeof(RDB_TABLE_DELAY_ELEMENT), 32u);
    EXPECT_LE(sizeof(RDB_TABLE_STRING_ELEMENT), 16u + sizeof(STL_STRING));
}

TEST(Gauges, SetDataAtGrowsBeyondTheSizeAndDropsNothing)
{
    RDB_GAUGES_OBJECT gauges("g", 2);
    EXPECT_EQ(gauges.get_size(), 2);
    EXPECT_EQ(gauges.get_number_of_slots(), 2u);
    EXPECT_EQ(gauges.get_number_of_used_slots(), 0u);
    for (unsigned i = 0; i < 25; ++i)
        gauges.set_data_at(i, new_gauge(std::to_string(i).c_str()));
    EXPECT_EQ(gauges.get_size(), 2);
    EXPECT_EQ(gauges.get_number_of_slots(), 25u);
    for (unsigned i = 0; i < 25; ++i) {
        ASSERT_NE(gauges.get_data_at(i), nullptr);
        EXPECT_EQ(gauges.get_data_at(i)->get_name().c_str(), std::to_string(i));
    }
    EXPECT_EQ(gauges.get_data_at(25), nullptr);

    gauges.set_data_at(40, new_gauge("far"));
    EXPECT_EQ(gauges.get_number_of_slots(), 41u);
    EXPECT_EQ(gauges.get_data_at(30), nullptr);
    EXPECT_EQ(gauges.get_number_of_used_slots(), 41u);
}

TEST(Gauges, ReplacingASlotReleasesTheOldGaugeAndMovingDoesNot)
{
    long before = outstanding_blocks();
    {
        RDB_GAUGES_OBJECT gauges("g", 0);
        EXPECT_EQ(gauges.get_number_of_slots(), 0u);
        RDB_GAUGES_DATA_ELEMENT* first = new_gauge("first");
        gauges.set_data_at(0, first);
        gauges.set_data_at(0, first);  // the same gauge again: kept
        EXPECT_EQ(gauges.get_data_at(0), first);
        gauges.set_data_at(0, new_gauge("second"));  // releases "first"
        EXPECT_STREQ(gauges.get_data_at(0)->get_name().c_str(), "second");

        RDB_GAUGES_DATA_ELEMENT* second = gauges.get_data_at(0);
        gauges.set_data_at(3, second);  // moves: slot 0 is empty now
        EXPECT_EQ(gauges.get_data_at(0), nullptr);
        EXPECT_EQ(gauges.get_data_at(3), second);
        gauges.set_data_at(3, nullptr);  // releases "second"
        EXPECT_EQ(gauges.get_number_of_used_slots(), 0u);

        // Beyond the limit a gauge is released, not kept.
        gauges.set_data_at(RDB_GAUGES_OBJECT::MAX_SLOTS, new_gauge("too far"));
        EXPECT_EQ(gauges.get_number_of_slots(), 4u);
        gauges.set_data_at(1, new_gauge("kept"));
    }
    EXPECT_EQ(outstanding_blocks(), before);
}

TEST(Gauges, DataElementCopiesItsNameAndKeepsItsFields)
{
    char name[] = "cpu";
    RDB_GAUGES_DATA_ELEMENT gauge(name, true, -1, 100, 42, true);
    name[0] = 'x';
    EXPECT_STREQ(gauge.get_name().c_str(), "cpu");
    EXPECT_TRUE(gauge.is_percent());
    EXPECT_TRUE(gauge.is_disabled());
    EXPECT_EQ(gauge.m_min, -1);
    EXPECT_EQ(gauge.m_max, 100);
    EXPECT_EQ(gauge.m_value, 42);
    // The three numbers are the first fields, in this order.
    EXPECT_EQ(&gauge.m_max - &gauge.m_min, 1);
    EXPECT_EQ(&gauge.m_value - &gauge.m_min, 2);
}

TEST(Summary, SetGaugesReplacesAndReleases)
{
    long before = outstanding_blocks();
    {
        RDB_SUMMARY_TABLE_OBJECT summary("s");
        EXPECT_EQ(summary.get_object_type(), RDB_OBJECT_TYPE_SUMMARY_TABLE);
        EXPECT_EQ(summary.get_gauges(), nullptr);
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

TEST(Chart, RowsHoldANameAndANumber)
{
    RDB_CHART_TABLE_OBJECT chart("c", 7);
    EXPECT_EQ(chart.get_size(), 7);
    EXPECT_EQ(chart.get_number_of_rows(), 0u);
    EXPECT_EQ(chart.get_default_chart_type(), RDB_CHART_TYPE_BAR);
    EXPECT_FALSE(chart.get_display_labels());
    chart.add_string_row("", "", RDB_ROW_END);
    chart.add_row(STL_STRING("point"), 0);
    RDB_TABLE_ELEMENT* value = chart.get_element(1, 1, static_cast<STATE_OF_GET_ELEMENT_ENUM*>(nullptr));
    ASSERT_NE(value, nullptr);
    value->set_int_element_data(42);
    EXPECT_STREQ(string_at(chart, 1, 0), "point");
    EXPECT_EQ(static_cast<RDB_TABLE_INT_ELEMENT*>(value)->get_data(), 42);

    chart.set_default_chart_type(RDB_CHART_TYPE_PIE);
    chart.set_default_chart_type(static_cast<RDB_CHART_TABLE_OBJECT_CHART_TYPES_ENUM>(-1));
    EXPECT_EQ(chart.get_default_chart_type(), RDB_CHART_TYPE_PIE);
}

TEST(TimingTables, CastsFindOnlyTheirOwnClass)
{
    RDB_TABLE_OBJECT plain("p", RDB_OBJECT_TYPE_TABLE);
    RDB_TAN_SPD_TABLE_OBJECT spd(&mem_default_segment, "s", true, RDB_OBJECT_TYPE_TAN_TABLE);
    RDB_TAN_SLACK_COLUMN_TYPE_LIST none;
    RDB_TAN_SLACK_TABLE_OBJECT slack("k", 2, none, RDB_OBJECT_TYPE_TAN_TABLE);
    EXPECT_EQ(plain.dynamic_cast_to_RDB_TAN_TABLE_OBJECT(), nullptr);
    EXPECT_EQ(plain.dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT(), nullptr);
    ASSERT_EQ(spd.dynamic_cast_to_RDB_TAN_TABLE_OBJECT(), &spd);
    EXPECT_EQ(spd.dynamic_cast_to_RDB_TAN_TABLE_OBJECT()->dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT(), nullptr);
    RDB_OBJECT* object = &slack;
    ASSERT_NE(object->dynamic_cast_to_RDB_TAN_TABLE_OBJECT(), nullptr);
    EXPECT_EQ(object->dynamic_cast_to_RDB_TAN_TABLE_OBJECT()->dynamic_cast_to_RDB_TAN_SLACK_TABLE_OBJECT(), &slack);
    EXPECT_EQ(spd.get_segment(), &mem_default_segment);
    EXPECT_TRUE(spd.get_show_min());
    EXPECT_EQ(spd.get_object_type(), 8);
    EXPECT_EQ(slack.get_analysis_type(), 2);
}

TEST(TimingTables, SlackTableKeepsOneIdPerColumnType)
{
    RDB_TAN_SLACK_COLUMN_TYPE_LIST none;
    RDB_TAN_SLACK_TABLE_OBJECT slack("k", 0, none, RDB_OBJECT_TYPE_TAN_TABLE);
    EXPECT_FALSE(slack.has_column_id(RDB_SLACK_COLUMN_SLACK));
    slack.set_column_id(RDB_SLACK_COLUMN_FROM, 3);
    slack.set_column_id(RDB_SLACK_COLUMN_SKEW, 0);
    slack.set_column_id(RDB_SLACK_COLUMN_FROM, 7);
    slack.set_column_id(static_cast<RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM>(-1), 9);
    slack.set_column_id(RDB_SLACK_COLUMN_COUNT, 9);
    EXPECT_EQ(slack.get_column_id(RDB_SLACK_COLUMN_FROM), 7u);
    EXPECT_TRUE(slack.has_column_id(RDB_SLACK_COLUMN_SKEW));
    EXPECT_EQ(slack.get_column_id(RDB_SLACK_COLUMN_SKEW), 0u);
    EXPECT_FALSE(slack.has_column_id(RDB_SLACK_COLUMN_TO));

    EXPECT_FALSE(slack.has_restricted_to());
    slack.set_restricted_to(0);
    EXPECT_TRUE(slack.has_restricted_to());
    slack.set_restricted_to(-12);
    EXPECT_EQ(slack.get_restricted_to(), -12);
}

TEST(TimingTables, SlackTableCopiesTheColumnNamesItIsBuiltWith)
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
}

TEST(Embedded, TypesAndWaveformSettings)
{
    RDB_EMBEDDED_OBJECT image("i", RDB_EMBEDDED_TYPE_IMAGE);
    RDB_EMBEDDED_OBJECT unknown("u", static_cast<RDB_EMBEDDED_OBJECT_EMBEDDED_TYPE_ENUM>(-1));
    EXPECT_EQ(image.get_embedded_type(), RDB_EMBEDDED_TYPE_IMAGE);
    EXPECT_EQ(unknown.get_embedded_type(), RDB_EMBEDDED_TYPE_GENERIC);

    RDB_WAVEFORM_OBJECT wave("w", STL_STRING("in.vec"), STL_STRING("out.vec"), true);
    EXPECT_STREQ(wave.get_source_vector_file_name().c_str(), "in.vec");
    EXPECT_STREQ(wave.get_result_vector_file_name().c_str(), "out.vec");
    EXPECT_TRUE(wave.get_compare_mode());
    RDB_EMBEDDED_OBJECT& as_embedded = wave;
    as_embedded.set_info_str(STL_STRING("info"));
    EXPECT_STREQ(wave.get_info_str().c_str(), "info");
    EXPECT_STREQ(as_embedded.get_kind(), "waveform");
}
