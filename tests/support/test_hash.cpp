// The folder name index: the hash of its keys, find-or-insert, the red-black
// bucket trees, the insertion-order list, growth, clear and running out of
// memory. A walker checks every structural rule after each phase.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "gen_string_hash_sys.h"
#include "gen_util.h"
#include "mem_manager.h"
#include "msg.h"
#include "support_fixtures.h"

namespace {

typedef GEN_STRING_HASH<int*> HASH;
typedef GEN_STRING_RBTREE<int*> TREE;
typedef GEN_STRING_RBTREE_NODE<int*> NODE;

// The black height of the subtree at `n` after checking its nodes: in
// order between `low` and `high`, linked both ways, of this tree, no red
// node with a red child and equal black heights. -1 after a failure in `why`.
int check_subtree(const TREE& tree, const NODE* n, const STL_STRING* low, const STL_STRING* high, int* nodes,
                  std::string* why)
{
    if (n == tree.nil())
        return 1;
    ++*nodes;
    bool ordered = (low == nullptr || *low < n->key()) && (high == nullptr || n->key() < *high);
    bool linked = (n->m_left == tree.nil() || n->m_left->m_parent == n) &&
                  (n->m_right == tree.nil() || n->m_right->m_parent == n);
    bool red_red = n->m_color == NODE::RED && (n->m_left->m_color == NODE::RED || n->m_right->m_color == NODE::RED);
    int left = check_subtree(tree, n->m_left, low, &n->key(), nodes, why);
    int right = check_subtree(tree, n->m_right, &n->key(), high, nodes, why);
    if (why->empty() && (n->m_tree != &tree || !ordered || !linked || red_red || left != right))
        *why = std::string("broken at ") + n->key().c_str() + (ordered ? "" : ": out of order") +
               (linked ? "" : ": parent links") + (red_red ? ": red under red" : "") +
               (left != right ? ": black heights" : "") + (n->m_tree != &tree ? ": other tree" : "");
    return why->empty() ? left + (n->m_color == NODE::BLACK ? 1 : 0) : -1;
}

::testing::AssertionResult tree_is_valid(const TREE& tree)
{
    const NODE* nil = tree.nil();
    if (nil->m_color != NODE::BLACK || nil->m_left != nil || nil->m_right != nil || nil->m_pair != nullptr)
        return ::testing::AssertionFailure() << "damaged sentinel";
    if (tree.root() != nil && (tree.root()->m_color != NODE::BLACK || tree.root()->m_parent != nil))
        return ::testing::AssertionFailure() << "bad root";
    int nodes = 0;
    std::string why;
    check_subtree(tree, tree.root(), nullptr, nullptr, &nodes, &why);
    if (why.empty() && nodes != tree.count())
        why = "tree counts " + std::to_string(tree.count()) + " but holds " + std::to_string(nodes);
    return why.empty() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << why;
}

// Every bucket tree valid, every node in the bucket of its hash, the
// insertion-order list complete, consistent and equal to `expected`.
::testing::AssertionResult table_is_valid(const HASH& hash, const std::vector<std::string>& expected)
{
    long in_trees = 0;
    for (std::int32_t i = 0; i < hash.size(); ++i) {
        if (const TREE* tree = hash.bucket(i)) {
            ::testing::AssertionResult valid = tree_is_valid(*tree);
            if (!valid)
                return valid << " (bucket " << i << ")";
            in_trees += tree->count();
        }
    }
    std::size_t index = 0;
    const NODE* previous = nullptr;
    for (const NODE* n = hash.first(); n != nullptr; previous = n, n = n->next(), ++index) {
        const TREE* tree = hash.bucket(HASH::bucket_index(n->key().c_str(), hash.size()));
        if (n->m_prev != previous || index >= expected.size() || !(n->key() == expected[index].c_str()) ||
            tree == nullptr || n->m_tree != tree || tree->find(n->key().c_str()) != n)
            return ::testing::AssertionFailure() << "list entry " << index << " out of order or not in its bucket";
    }
    if (previous != hash.last() || index != expected.size() || static_cast<long>(index) != hash.count() ||
        in_trees != hash.count())
        return ::testing::AssertionFailure() << "list holds " << index << " entries, trees " << in_trees << ", count "
                                             << hash.count() << ", expected " << expected.size();
    return ::testing::AssertionSuccess();
}

std::vector<std::string> random_names(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < n; ++i) {
        std::string name;
        std::size_t length = random() % 12;  // the empty name included
        for (std::size_t k = 0; k < length; ++k)
            name += static_cast<char>(1 + random() % 255);  // bytes above 0x7F too
        names.push_back(name);
    }
    return names;
}

// Inserts `names` in order; returns the distinct ones in first-seen order.
std::vector<std::string> insert_all(HASH& hash, const std::vector<std::string>& names,
                                    std::vector<std::string> seen = {})
{
    for (const std::string& name : names) {
        int*& value = hash.find_or_insert(name.c_str());
        if (value == nullptr) {
            seen.push_back(name);
            value = reinterpret_cast<int*>(seen.size());  // the entry's number, never null
        }
    }
    return seen;
}

// That failing allocations reach the table shows that it allocates through
// the memory manager.
typedef FailingAllocationTest HashTest;

}  // namespace

TEST(HashFunction, KnownValuesAndBuckets)
{
    EXPECT_EQ(HASH::hash("abc"), 0x1AFFAu);
    EXPECT_EQ(HASH::bucket_index("abc", 1021), 318);
    EXPECT_EQ(HASH::hash(""), 0u);
    EXPECT_EQ(HASH::bucket_index("Main", 1021), 454);
    EXPECT_EQ(HASH::bucket_index("main", 1021), 224);
    // Bytes above 0x7F count as negative numbers.
    EXPECT_EQ(HASH::hash("\xE9"), 0xFFFFFFE9u);
}

TEST_F(HashTest, FindOrInsertEntersEachNameOnceAndGrowsWhenFull)
{
    HASH hash;
    EXPECT_EQ(hash.size(), 1021);
    int folder = 0;
    int*& first = hash.find_or_insert("Main");
    EXPECT_EQ(first, nullptr);
    first = &folder;
    int*& again = hash.find_or_insert("Main");
    EXPECT_EQ(&again, &first);
    EXPECT_EQ(hash.count(), 1);
    EXPECT_EQ(hash.find_or_insert("main"), nullptr);  // case matters
    EXPECT_EQ(hash.find_or_insert(""), nullptr);      // the empty name is a name
    EXPECT_TRUE(table_is_valid(hash, {"Main", "main", ""}));
    EXPECT_EQ(hash.bucket(454)->find("Main")->value(), &folder);

    // As many names as buckets: the table grows once, at the last one, and
    // the slots handed out before keep their place.
    hash.clear();
    std::vector<std::string> names;
    std::vector<int> values(1021);
    std::vector<int**> references;
    for (int i = 0; i < 1021; ++i) {
        names.push_back("folder_" + std::to_string(i));
        int*& value = hash.find_or_insert(names.back().c_str());
        value = &values[i];
        references.push_back(&value);
        EXPECT_EQ(hash.size(), i < 1020 ? 1021 : 2053) << i;
    }
    ASSERT_TRUE(table_is_valid(hash, names));
    for (int i = 0; i < 1021; ++i) {
        EXPECT_EQ(*references[i], &values[i]);
        EXPECT_EQ(&hash.find_or_insert(names[i].c_str()), references[i]);
    }
}

TEST_F(HashTest, ThousandsOfRandomNamesKeepEveryRuleThroughGrowthAndClear)
{
    int folder = 0;
    SUPPORT_ALLOCATIONS allocations;
    {
        HASH hash;
        hash.set_grow(false);  // many entries per bucket
        std::vector<std::string> names = random_names(20000, 42);
        names.insert(names.end(), names.begin(), names.begin() + 500);  // repeats
        std::vector<std::string> seen = insert_all(hash, names);
        EXPECT_EQ(hash.size(), 1021);
        ASSERT_TRUE(table_is_valid(hash, seen));

        hash.set_grow(true);  // the next insertion enlarges the table
        seen = insert_all(hash, {"one more"}, seen);
        std::int32_t grown = hash.size();
        EXPECT_EQ(grown, static_cast<std::int32_t>(gen_hash_next_size(2u * static_cast<unsigned>(seen.size()))));
        ASSERT_TRUE(table_is_valid(hash, seen));
        for (std::size_t i = 0; i < seen.size(); ++i)
            ASSERT_EQ(hash.find_or_insert(seen[i].c_str()), reinterpret_cast<int*>(i + 1)) << i;

        // Clear forgets every name and keeps the buckets.
        hash.clear();
        EXPECT_EQ(hash.size(), grown);
        EXPECT_EQ(hash.first(), nullptr);
        EXPECT_TRUE(table_is_valid(hash, {}));
        for (const std::string& name : seen) {
            int*& value = hash.find_or_insert(name.c_str());
            EXPECT_EQ(value, nullptr);
            value = &folder;
        }
        EXPECT_TRUE(table_is_valid(hash, seen));
    }
    EXPECT_EQ(folder, 0);  // the index never touches what it points to
    EXPECT_EQ(allocations.outstanding(), 0);
}

TEST_F(HashTest, NoMemoryGivesANullSlotAndKeepsTheTableWhole)
{
    SUPPORT_ALLOCATIONS allocations;
    {
        HASH hash;
        int folder = 0;
        hash.find_or_insert("abc") = &folder;
        const char* name = "new bucket";
        ASSERT_EQ(hash.bucket(HASH::bucket_index(name, hash.size())), nullptr);
        // A name in a new bucket needs a tree, its sentinel, a pair and a
        // node. Once the pair failed, the tree stays: then the node fails.
        for (unsigned long failing : {1ul, 2ul, 3ul, 2ul, 1ul}) {
            SCOPED_TRACE(failing);
            MEM_MANAGER::fail_allocation_after(failing);
            int*& slot = hash.find_or_insert(name);
            MEM_MANAGER::fail_allocation_after(0);
            EXPECT_EQ(slot, nullptr);
            slot = &folder;  // harmless, and not kept
            EXPECT_EQ(hash.count(), 1);
            EXPECT_TRUE(table_is_valid(hash, {"abc"}));
        }
        EXPECT_NE(hash.bucket(HASH::bucket_index(name, hash.size())), nullptr);
        EXPECT_EQ(hash.find_or_insert(name), nullptr);
        EXPECT_EQ(hash.find_or_insert("abc"), &folder);
        EXPECT_TRUE(table_is_valid(hash, {"abc", name}));
    }
    EXPECT_EQ(allocations.outstanding(), 0);
}

TEST_F(HashTest, GrowthWithoutMemoryLeavesTheTableAsItWas)
{
    SUPPORT_ALLOCATIONS allocations;
    {
        HASH hash;
        std::vector<std::string> names;
        for (int i = 0; i < 1020; ++i)
            names.push_back("n" + std::to_string(i));
        insert_all(hash, names);
        // The 1021st entry, in a bucket already used, needs a pair and a
        // node, then growth needs the new bucket array and a tree and a
        // sentinel for each bucket that the entries newly occupy.
        std::string last;
        for (int i = 0; last.empty(); ++i) {
            std::string candidate = "m" + std::to_string(i);
            if (hash.bucket(HASH::bucket_index(candidate.c_str(), hash.size())) != nullptr)
                last = candidate;
        }
        std::vector<std::string> expected = names;
        for (unsigned long failing : {3ul, 4ul, 5ul, 40ul, 41ul}) {
            SCOPED_TRACE(failing);
            MEM_MANAGER::fail_allocation_after(failing);
            hash.find_or_insert(last.c_str());
            MEM_MANAGER::fail_allocation_after(0);
            expected.push_back(last);
            EXPECT_EQ(hash.size(), 1021);
            ASSERT_TRUE(table_is_valid(hash, expected));
            hash.clear();  // start the next round from the 1020 names
            expected = insert_all(hash, names);
        }
        insert_all(hash, {last}, expected);
        EXPECT_EQ(hash.size(), 2053);
    }
    EXPECT_EQ(allocations.outstanding(), 0);
}

TEST(RedBlackTree, LargeTreesKeepTheRulesInAnyInsertionOrder)
{
    std::vector<std::string> keys;
    for (int i = 0; i < 5000; ++i)
        keys.push_back("key" + std::to_string(100000 + i));
    std::vector<std::string> shuffled = keys;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
    for (const std::vector<std::string>& sequence :
         {keys, std::vector<std::string>(keys.rbegin(), keys.rend()), shuffled}) {
        TREE tree;
        ASSERT_TRUE(tree.ok());
        for (const std::string& key : sequence) {
            NODE* node = tree.make_node(key.c_str());
            ASSERT_NE(node, nullptr);
            tree.insert(node);
        }
        EXPECT_EQ(tree.count(), 5000);
        ASSERT_TRUE(tree_is_valid(tree));
        for (const std::string& key : keys)
            ASSERT_NE(tree.find(key.c_str()), nullptr);
        EXPECT_EQ(tree.find("key"), nullptr);
    }
}

TEST(RedBlackTree, RotationWithoutAChildReportsAnInternalError)
{
    std::vector<std::string> messages;
    msg_set_sink([&messages](const char* tag, const char* text) { messages.push_back(std::string(tag) + "|" + text); });
    TREE tree;
    NODE* node = tree.make_node("only");
    tree.insert(node);
    tree.rotate_left(node);
    tree.rotate_right(node);
    msg_set_sink(nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "RDB_XML|Internal error: check \"x->m_right != this->nil()\" failed at "
                            "../../h\\gen_string_rbtree_sys:787",
                            "RDB_XML|Internal error: check \"y->m_left != this->nil()\" failed at "
                            "../../h\\gen_string_rbtree_sys:841"}));
    EXPECT_EQ(tree.root(), node);
    EXPECT_TRUE(tree_is_valid(tree));
}
