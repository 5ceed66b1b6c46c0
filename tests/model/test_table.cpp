// Gauges and cells: what they own and release, what they refuse, and what
// they cost. What the parser builds with tables is checked through the
// parser.
#include <gtest/gtest.h>

#include <string>

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

TEST(Gauges, SlotsGrowUpToTheLimitAndSummariesOwnTheirGauges)
{
    long before = outstanding_blocks();
    {
        RDB_SUMMARY_TABLE_OBJECT summary("s");
        auto* gauges = new RDB_GAUGES_OBJECT("g", 2);
        for (unsigned i = 0; i < 25; ++i)
            gauges->set_data_at(i, new_gauge(std::to_string(i).c_str()));
        EXPECT_EQ(gauges->get_number_of_slots(), 25u);
        EXPECT_EQ(gauges->get_data_at(25), nullptr);
        RDB_GAUGES_DATA_ELEMENT* first = gauges->get_data_at(0);
        gauges->set_data_at(0, first);  // the same gauge again: kept
        EXPECT_EQ(gauges->get_data_at(0), first);
        gauges->set_data_at(0, new_gauge("second"));  // releases the first
        RDB_GAUGES_DATA_ELEMENT* second = gauges->get_data_at(0);
        gauges->set_data_at(40, second);  // moves: slot 0 is empty now
        EXPECT_TRUE(gauges->get_data_at(0) == nullptr && gauges->get_data_at(40) == second);
        gauges->set_data_at(40, nullptr);  // releases "second"
        EXPECT_EQ(gauges->get_number_of_used_slots(), 25u);  // up to the last one used
        // Beyond the limit a gauge is released, not kept.
        gauges->set_data_at(RDB_GAUGES_OBJECT::MAX_SLOTS, new_gauge("too far"));
        EXPECT_EQ(gauges->get_number_of_slots(), 41u);

        summary.set_gauges(gauges);
        summary.set_gauges(gauges);  // the same again: kept
        EXPECT_EQ(gauges->get_owner(), &summary);
        summary.set_gauges(new RDB_GAUGES_OBJECT("replacing", 20));  // releases the first with its gauges
        RDB_SUMMARY_TABLE_OBJECT other("other");
        other.set_gauges(summary.get_gauges());  // owned by another summary: refused
        EXPECT_EQ(other.get_gauges(), nullptr);
    }
    EXPECT_EQ(outstanding_blocks(), before);
    // Tables are the bulk of a report: a cell is its vtable, two colours and
    // its value.
    EXPECT_LE(sizeof(RDB_TABLE_INT_ELEMENT), 24u);
    EXPECT_LE(sizeof(RDB_TABLE_INAME_ELEMENT), 24u);
    EXPECT_LE(sizeof(RDB_TABLE_DELAY_ELEMENT), 32u);
    EXPECT_LE(sizeof(RDB_TABLE_STRING_ELEMENT), 16u + sizeof(STL_STRING));
}
