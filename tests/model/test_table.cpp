// Gauges, tables and cells: what they own and release, what they refuse
// (leaving it with the caller), and what they cost. What the parser builds
// with tables is checked through the parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <rdbxml/mem_manager.h>
#include <rdbxml/rdb_report.h>
#include "failing_new.h"

namespace {

long outstanding_blocks()
{
    return static_cast<long>(MEM_MANAGER::allocation_count()) - static_cast<long>(MEM_MANAGER::release_count());
}

RDB_GAUGES_DATA_ELEMENT* new_gauge(const char* name)
{
    return MEM_NEW("RDB_XML", "tests/model", RDB_GAUGES_DATA_ELEMENT, name, false, 0, 0, 0, false);
}

// A lowered slot limit for one scope, restored however the scope ends.
struct SLOT_LIMIT {
    explicit SLOT_LIMIT(unsigned limit) { RDB_GAUGES_OBJECT::set_slot_limit(limit); }
    ~SLOT_LIMIT() { RDB_GAUGES_OBJECT::set_slot_limit(m_previous); }
    unsigned m_previous = RDB_GAUGES_OBJECT::get_slot_limit();
};

}  // namespace

TEST(Gauges, SlotsTakeEachGaugeOnceUpToTheLimitAndSummariesOwnTheirGauges)
{
    long before = outstanding_blocks();
    {
        SLOT_LIMIT limit(64);
        EXPECT_EQ(RDB_GAUGES_OBJECT::get_slot_limit(), 64u);
        RDB_SUMMARY_TABLE_OBJECT summary("s");
        auto* gauges = new RDB_GAUGES_OBJECT("g", 2);
        for (unsigned i = 0; i < 25; ++i)
            ASSERT_TRUE(gauges->set_data_at(i, new_gauge(std::to_string(i).c_str())));
        EXPECT_TRUE(gauges->set_data_at(50, nullptr));  // beyond the slots: nothing to empty, no growth
        EXPECT_EQ(gauges->get_number_of_slots(), 25u);
        EXPECT_EQ(gauges->get_data_at(25), nullptr);
        RDB_GAUGES_DATA_ELEMENT* first = gauges->get_data_at(0);
        EXPECT_TRUE(first->is_owned());
        EXPECT_TRUE(gauges->set_data_at(0, first));  // the same gauge in the same slot: kept
        EXPECT_EQ(gauges->get_data_at(0), first);
        ASSERT_TRUE(gauges->set_data_at(0, new_gauge("second")));  // releases the first
        RDB_GAUGES_DATA_ELEMENT* second = gauges->get_data_at(0);

        // Refused, with nothing changed: a gauge placed already (here or in
        // another gauges object), and a slot at or beyond the limit.
        RDB_GAUGES_OBJECT other("other", 0);
        EXPECT_FALSE(gauges->set_data_at(40, second));
        EXPECT_FALSE(other.set_data_at(0, second));
        EXPECT_TRUE(gauges->get_data_at(0) == second && gauges->get_data_at(40) == nullptr);
        EXPECT_TRUE(gauges->get_number_of_slots() == 25u && other.get_number_of_slots() == 0u);
        RDB_GAUGES_DATA_ELEMENT* far = new_gauge("far");
        EXPECT_FALSE(gauges->set_data_at(64, far));
        EXPECT_FALSE(gauges->set_data_at(RDB_GAUGES_OBJECT::MAX_SLOTS, far));
        EXPECT_FALSE(far->is_owned());
        EXPECT_EQ(gauges->get_number_of_slots(), 25u);
        ASSERT_TRUE(gauges->set_data_at(63, far));  // the caller's still, so it can go below the limit
        EXPECT_TRUE(gauges->set_data_at(63, nullptr));  // releases "far"
        EXPECT_EQ(gauges->get_number_of_used_slots(), 25u);  // up to the last one used
        {
            // Slots that exist stay usable under a lower limit; a gauge
            // given again where it is must not be handed back.
            SLOT_LIMIT lower(8);
            EXPECT_TRUE(gauges->set_data_at(20, gauges->get_data_at(20)));
            EXPECT_EQ(gauges->get_data_at(20)->get_name(), STL_STRING("20"));
        }

        // A full object that cannot grow refuses and leaves the gauge alone.
        RDB_GAUGES_OBJECT full("full", 1);
        RDB_GAUGES_DATA_ELEMENT* spare = new_gauge("spare");
        EXPECT_GE(test_each_allocation_failing(
                      [&] { return full.set_data_at(1, spare); },
                      [&] { EXPECT_TRUE(!spare->is_owned() && full.get_number_of_slots() == 1u); }),
                  1u);
        EXPECT_EQ(full.get_data_at(1), spare);

        ASSERT_TRUE(summary.set_gauges(gauges));
        EXPECT_TRUE(summary.set_gauges(gauges));  // the same again: kept
        EXPECT_EQ(gauges->get_owner(), &summary);
        ASSERT_TRUE(summary.set_gauges(new RDB_GAUGES_OBJECT("replacing", 20)));  // releases the first with its gauges
        RDB_SUMMARY_TABLE_OBJECT other_summary("other");
        EXPECT_FALSE(other_summary.set_gauges(summary.get_gauges()));  // owned by another summary: refused
        EXPECT_EQ(other_summary.get_gauges(), nullptr);
        RDB_FOLDER_OBJECT folder("f");
        auto* placed = new RDB_GAUGES_OBJECT("placed", 0);
        ASSERT_TRUE(folder.add_object_to_list(placed));
        EXPECT_FALSE(other_summary.set_gauges(placed));  // the folder's: refused, still the folder's
        EXPECT_EQ(placed->get_owner(), &folder);
        EXPECT_TRUE(summary.set_gauges(nullptr) && summary.get_gauges() == nullptr);
    }
    EXPECT_EQ(outstanding_blocks(), before);
    EXPECT_EQ(RDB_GAUGES_OBJECT::get_slot_limit(), RDB_GAUGES_OBJECT::MAX_SLOTS);
}

TEST(Gauges, SlotsGrowByDoubling)
{
    // Gauges come in slot order: growing the slots to each new index alone
    // would reallocate them for every gauge.
    constexpr unsigned count = 4096;
    std::vector<RDB_GAUGES_DATA_ELEMENT*> made;
    for (unsigned i = 0; i < count; ++i)
        made.push_back(new_gauge("g"));
    RDB_GAUGES_OBJECT gauges("g", 0);
    unsigned long allocations = test_new_count();
    for (unsigned i = 0; i < count; ++i)
        ASSERT_TRUE(gauges.set_data_at(i, made[i]));
    EXPECT_LE(test_new_count() - allocations, 16u);
}

TEST(Tables, RowsAreTakenOrLeftWithTheCaller)
{
    long before = outstanding_blocks();
    {
        RDB_TABLE_OBJECT table("t", RDB_OBJECT_TYPE_TABLE);
        EXPECT_FALSE(table.add_row(nullptr));
        auto* row = MEM_NEW("RDB_XML", "tests/model", RDB_TABLE_ROW);
        row->push_back(new RDB_TABLE_INT_ELEMENT(1));
        // Refused for want of memory, the row stays ours and alive: the
        // next try gives it to the table, which releases it.
        EXPECT_GE(test_each_allocation_failing([&] { return table.add_row(row); },
                                               [&] { EXPECT_EQ(table.get_number_of_rows(), 0u); }),
                  1u);
        ASSERT_EQ(table.get_row(0), row);

        // Rows made by the table: each allocation on the way may fail, and
        // then nothing is appended and nothing is left behind.
        unsigned rows = table.get_number_of_rows();
        const char* none = nullptr;
        EXPECT_GE(test_each_allocation_failing([&] { return table.add_string_row("a", none, "c", RDB_ROW_END); },
                                               [&] { EXPECT_EQ(table.get_number_of_rows(), rows); }),
                  4u);
        EXPECT_EQ(table.get_row(rows)->size(), 3u);

        RDB_CHART_TABLE_OBJECT chart("c", 2);
        EXPECT_GE(test_each_allocation_failing([&] { return chart.add_row(STL_STRING("point"), 7); },
                                               [&] { EXPECT_EQ(chart.get_number_of_rows(), 0u); }),
                  4u);
        EXPECT_EQ(static_cast<RDB_TABLE_INT_ELEMENT*>(chart.get_element(0, 1, false))->get_data(), 7);
    }
    EXPECT_EQ(outstanding_blocks(), before);
}

TEST(Tables, KeptDataRowsComeInTheOrderGivenAfterTheHeadingAndTheRestIsReleased)
{
    long before = outstanding_blocks();
    {
        RDB_TABLE_OBJECT table("t", RDB_OBJECT_TYPE_TABLE);
        for (const char* text : {"Name", "a", "b", "c", "d"})
            ASSERT_TRUE(table.add_string_row(text, RDB_ROW_END));
        table.get_row(0)->push_back(new RDB_TABLE_STRING_ELEMENT("Value"));
        for (unsigned r = 1; r < 5; ++r)
            table.get_row(r)->push_back(new RDB_TABLE_INT_ELEMENT(static_cast<int>(r)));
        auto names = [&table] {
            std::string names;
            for (const RDB_TABLE_ROW* row : table.rows())
                names += rdb_cell_text(*(*row)[0]);
            return names;
        };
        // Refused, with nothing changed: the heading row, an index past the
        // rows, one given twice.
        for (const std::vector<unsigned>& order :
             {std::vector<unsigned>{0, 1}, std::vector<unsigned>{5}, std::vector<unsigned>{2, 3, 2}})
            EXPECT_FALSE(table.keep_data_rows(order));
        EXPECT_EQ(names(), "Nameabcd");
        long rows_and_cells = outstanding_blocks();
        const std::vector<unsigned> order{4, 2};
        EXPECT_GE(test_each_allocation_failing([&] { return table.keep_data_rows(order); },
                                               [&] { EXPECT_EQ(names(), "Nameabcd"); }),
                  1u);
        EXPECT_EQ(names(), "Namedb");
        // Two rows went, with all they held, and the last two go the same.
        long two_left = outstanding_blocks();
        EXPECT_LT(two_left, rows_and_cells);
        EXPECT_TRUE(table.keep_data_rows({}));
        EXPECT_EQ(names(), "Name");
        EXPECT_EQ(rows_and_cells - two_left, two_left - outstanding_blocks());
    }
    EXPECT_EQ(outstanding_blocks(), before);
}

// Tables are the bulk of a report: a cell is its vtable, two colours and its
// value (an instance-name cell: the instance and the path as written).
static_assert(sizeof(RDB_TABLE_INT_ELEMENT) <= 24u);
static_assert(sizeof(RDB_TABLE_INAME_ELEMENT) <= 32u);
static_assert(sizeof(RDB_TABLE_DELAY_ELEMENT) <= 32u);
static_assert(sizeof(RDB_TABLE_STRING_ELEMENT) <= 16u + sizeof(STL_STRING));
