// The folder name index, checked against std::map: find-or-insert through
// its red-black bucket trees, the insertion-order list, growth, clear and
// running out of memory.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "allocation_sweep.h"
#include "gen_string_hash_sys.h"
#include "support_fixtures.h"

namespace {

typedef GEN_STRING_HASH<int*> HASH;
typedef std::vector<std::pair<std::string, int*>> ENTRIES;

// The index holds exactly `entries`, listed in their order.
void expect_holds(HASH& hash, const ENTRIES& entries)
{
    const HASH::NODE *node = hash.first(), *last = nullptr;
    for (std::size_t i = 0; i < entries.size(); last = node, node = node->next(), ++i) {
        ASSERT_NE(node, nullptr) << i;
        ASSERT_TRUE(entries[i].first == node->key().c_str() && entries[i].second == node->value()) << i;
        ASSERT_EQ(hash.find_or_insert(entries[i].first.c_str()), entries[i].second) << i;
    }
    EXPECT_TRUE(node == nullptr && hash.last() == last);
    EXPECT_EQ(hash.count(), static_cast<std::int32_t>(entries.size()));
}

// Enters `names`; each new one gets the value `values` + its number.
void insert_all(HASH& hash, const std::vector<std::string>& names, int* values, ENTRIES& entries)
{
    for (const std::string& name : names) {
        int*& slot = hash.find_or_insert(name.c_str());
        if (slot == nullptr)
            entries.emplace_back(name, slot = values + entries.size());
    }
}

typedef FailingAllocationTest HashTest;

}  // namespace

TEST_F(HashTest, AgreesWithAMapThroughGrowthAndClear)
{
    EXPECT_EQ(HASH::hash("abc"), 0x1AFFAu);
    EXPECT_EQ(HASH::hash("\xE9"), 0xFFFFFFE9u);  // bytes above 0x7F count as negative

    std::vector<int> values(30000);
    SUPPORT_ALLOCATIONS allocations;
    {
        HASH hash;
        std::map<std::string, int**> slots;  // where each value was handed out
        ENTRIES entries;
        std::mt19937 random(42);
        for (int i = 0; i < 30000; ++i) {
            // Names of 0 to 11 bytes of any value but 0, a third repeats; a
            // stretch without growth puts many names in each bucket.
            std::string name;
            for (std::size_t n = random() % 12; n > 0; --n)
                name += static_cast<char>(1 + random() % 255);
            if (i % 3 == 0 && !entries.empty())
                name = entries[random() % entries.size()].first;
            hash.set_grow(i < 5000 || i > 20000);
            int*& slot = hash.find_or_insert(name.c_str());
            if (slots.count(name) == 0) {
                ASSERT_EQ(slot, nullptr) << i;
                entries.emplace_back(name, slot = &values[i]);
                slots[name] = &slot;
            }
            ASSERT_EQ(&slot, slots[name]) << i;  // growth moves no entry
            // The table grows when an entry finds as many as it has buckets.
            if (entries.size() == 1020 || entries.size() == 1021) {
                EXPECT_EQ(hash.size(), entries.size() == 1020 ? 1021 : 2053);
            }
        }
        expect_holds(hash, entries);
        std::int32_t size = hash.size();
        hash.clear();
        EXPECT_EQ(hash.size(), size);
        expect_holds(hash, {});
        EXPECT_EQ(hash.find_or_insert(entries[0].first.c_str()), nullptr);
    }
    EXPECT_EQ(allocations.outstanding(), 0);
}

TEST_F(HashTest, NoMemoryAnywhereInAnInsertionLeavesTheTableWhole)
{
    // The 1021st name, in a bucket not used yet, needs a tree, its sentinel,
    // a pair and a node; then growth needs a bucket array and a tree and a
    // sentinel for every bucket the entries occupy.
    std::vector<int> values(1100);
    std::vector<std::string> names;
    for (int i = 0; i < 1020; ++i)
        names.push_back("n" + std::to_string(i));
    std::set<std::int32_t> used;
    for (const std::string& name : names)
        used.insert(HASH::bucket_index(name.c_str(), 1021));
    std::string last = "m";
    while (used.count(HASH::bucket_index(last.c_str(), 1021)) > 0)
        last += "m";
    SUPPORT_ALLOCATIONS allocations;
    struct RUN {
        std::unique_ptr<HASH> hash = std::make_unique<HASH>();
        ENTRIES entries;
        int** slot = nullptr;
    };
    TEST_SWEEP_PLAN plan;
    plan.dense = 8;
    plan.step = 37;
    unsigned long refused = test_allocation_sweep(
        test_manager_hook(), plan,
        [&] {
            RUN run;
            insert_all(*run.hash, names, values.data(), run.entries);
            return run;
        },
        [&](RUN& run) { run.slot = &run.hash->find_or_insert(last.c_str()); },
        [&](RUN& run, bool refused) {
            HASH& hash = *run.hash;
            int*& slot = *run.slot;
            EXPECT_EQ(slot, nullptr);
            slot = &values[1099];  // harmless when the entry was not made, and then not kept
            if (hash.count() == 1021)
                run.entries.emplace_back(last, slot);
            if (!refused) {
                EXPECT_EQ(hash.size(), 2053);  // grown once no allocation failed
            }
            expect_holds(hash, run.entries);
            insert_all(hash, {"one more"}, values.data(), run.entries);  // now it grows
            ASSERT_EQ(hash.size(), 2053);
            expect_holds(hash, run.entries);
        });
    // Growth took many allocations, and each failed in turn.
    EXPECT_GT(refused, 10u);
    EXPECT_EQ(allocations.outstanding(), 0);
}

TEST(HashSizes, TheNextPrimeAboveAndTheLargestAtTheTop)
{
    // What a table of 1021 buckets grows to when 1021 entries double.
    EXPECT_EQ(HASH::next_size(2042), 2053u);
    EXPECT_EQ(HASH::next_size(0), 2u);
    EXPECT_EQ(HASH::next_size(1), 2u);
    EXPECT_EQ(HASH::next_size(2), 3u);
    EXPECT_EQ(HASH::next_size(7), 11u);
    EXPECT_EQ(HASH::next_size(24), 29u);  // 25 and 27 are odd, not prime
    EXPECT_EQ(HASH::next_size(120), 127u);  // 121 = 11 * 11, the divisor at its square root
    // The largest prime below 2^32, for it and anything above.
    EXPECT_EQ(HASH::next_size(4294967290u), 4294967291u);
    EXPECT_EQ(HASH::next_size(4294967291u), 4294967291u);
    EXPECT_EQ(HASH::next_size(4294967295u), 4294967291u);
}
