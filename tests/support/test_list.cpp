// The column-type list: a circular list through a sentinel whose nodes come
// from the memory manager.
#include <gtest/gtest.h>

#include <new>
#include <utility>
#include <vector>

#include "mem_alloc_sys.h"
#include "stl_string.h"
#include "support_fixtures.h"

namespace {

typedef std::pair<int, STL_STRING> COLUMN;
typedef STL_LIST_<COLUMN> COLUMN_LIST;

std::vector<std::pair<int, std::string>> contents(const COLUMN_LIST& list)
{
    std::vector<std::pair<int, std::string>> items;
    for (COLUMN_LIST::const_iterator it = list.begin(); it != list.end(); ++it)
        items.emplace_back(it->first, (*it).second.c_str());
    return items;
}

typedef FailingAllocationTest ListTest;

}  // namespace

TEST_F(ListTest, KeepsElementsInOrderUntilCleared)
{
    SUPPORT_ALLOCATIONS allocations;
    {
        COLUMN_LIST list;
        EXPECT_TRUE(list.empty() && list.begin() == list.end());
        EXPECT_EQ(allocations.outstanding(), 1);  // the sentinel
        ASSERT_TRUE(list.push_back(COLUMN(3, "slack")));
        ASSERT_TRUE(list.push_back(COLUMN(1, "a column name longer than any short-string buffer")));
        ASSERT_TRUE(list.push_back(COLUMN(7, "")));
        EXPECT_EQ(list.size(), 3u);
        EXPECT_EQ(contents(list), (std::vector<std::pair<int, std::string>>{
                                      {3, "slack"}, {1, "a column name longer than any short-string buffer"}, {7, ""}}));
        EXPECT_EQ(allocations.outstanding(), 4);

        list.clear();
        EXPECT_TRUE(list.size() == 0 && list.begin() == list.end());
        EXPECT_EQ(allocations.outstanding(), 1);
        ASSERT_TRUE(list.push_back(COLUMN(9, "again")));
        EXPECT_EQ(contents(list), (std::vector<std::pair<int, std::string>>{{9, "again"}}));
    }
    // The destructor freed the remaining node and the sentinel.
    EXPECT_EQ(allocations.outstanding(), 0);
}

TEST_F(ListTest, NoMemoryLeavesTheListAsItWas)
{
    COLUMN_LIST list;
    ASSERT_TRUE(list.push_back(COLUMN(1, "one")));
    MEM_MANAGER::fail_allocation_after(1);
    EXPECT_FALSE(list.push_back(COLUMN(2, "two")));
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(contents(list), (std::vector<std::pair<int, std::string>>{{1, "one"}}));

    MEM_MANAGER::fail_allocation_after(1);
    EXPECT_THROW(COLUMN_LIST(), std::bad_alloc);  // no sentinel
}
