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

namespace {

typedef GEN_STRING_HASH<int*> HASH;
typedef GEN_STRING_RBTREE<int*> TREE;
typedef GEN_STRING_RBTREE_NODE<int*> NODE;

// Checks the subtree at `n` and returns its black height, or -1 after
// recording a failure in `why`.
int check_subtree(const TREE& tree, const NODE* n, const STL_STRING* low, const STL_STRING* high, int* nodes,
                  std::string* why)
{
    if (n == tree.nil())
        return 1;
    ++*nodes;
    if (n->m_tree != &tree) {
        *why = "node of another tree: " + std::string(n->key().c_str());
        return -1;
    }
    if ((low != nullptr && !(*low < n->key())) || (high != nullptr && !(n->key() < *high))) {
        *why = "key out of order: " + std::string(n->key().c_str());
        return -1;
    }
    for (const NODE* child : {n->m_left, n->m_right}) {
        if (child != tree.nil() && child->m_parent != n) {
            *why = "wrong parent link below " + std::string(n->key().c_str());
            return -1;
        }
    }
    if (n->m_color == NODE::RED && (n->m_left->m_color == NODE::RED || n->m_right->m_color == NODE::RED)) {
        *why = "red node with a red child: " + std::string(n->key().c_str());
        return -1;
    }
    int left = check_subtree(tree, n->m_left, low, &n->key(), nodes, why);
    if (left < 0)
        return -1;
    int right = check_subtree(tree, n->m_right, &n->key(), high, nodes, why);
    if (right < 0)
        return -1;
    if (left != right) {
        *why = "unequal black heights below " + std::string(n->key().c_str());
        return -1;
    }
    return left + (n->m_color == NODE::BLACK ? 1 : 0);
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
    if (check_subtree(tree, tree.root(), nullptr, nullptr, &nodes, &why) < 0)
        return ::testing::AssertionFailure() << why;
    if (nodes != tree.count())
        return ::testing::AssertionFailure() << "tree counts " << tree.count() << " but holds " << nodes;
    return ::testing::AssertionSuccess();
}

// Every bucket tree valid, every node in the bucket of its hash, the
// insertion-order list complete, consistent and equal to `expected`.
::testing::AssertionResult table_is_valid(const HASH& hash, const std::vector<std::string>& expected)
{
    long in_trees = 0;
    for (std::int32_t i = 0; i < hash.size(); ++i) {
        const TREE* tree = hash.bucket(i);
        if (tree == nullptr)
            continue;
        ::testing::AssertionResult valid = tree_is_valid(*tree);
        if (!valid)
            return valid << " (bucket " << i << ")";
        in_trees += tree->count();
    }
    if (in_trees != hash.count())
        return ::testing::AssertionFailure() << "trees hold " << in_trees << " of " << hash.count() << " entries";
    std::size_t index = 0;
    const NODE* previous = nullptr;
    for (const NODE* n = hash.first(); n != nullptr; previous = n, n = n->next(), ++index) {
        if (n->m_prev != previous)
            return ::testing::AssertionFailure() << "broken m_prev at entry " << index;
        if (index >= expected.size() || !(n->key() == expected[index].c_str()))
            return ::testing::AssertionFailure() << "insertion order differs at entry " << index;
        const TREE* tree = hash.bucket(HASH::bucket_index(n->key().c_str(), hash.size()));
        if (tree == nullptr || n->m_tree != tree || tree->find(n->key().c_str()) != n)
            return ::testing::AssertionFailure() << "entry " << index << " is not in its bucket";
    }
    if (previous != hash.last())
        return ::testing::AssertionFailure() << "m_last is not the last entry";
    if (index != expected.size() || static_cast<std::int32_t>(index) != hash.count())
        return ::testing::AssertionFailure() << "list holds " << index << " entries, count " << hash.count();
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

struct ALLOCATIONS {
    unsigned long made = MEM_MANAGER::allocation_count();
    unsigned long released = MEM_MANAGER::release_count();
    long outstanding() const
    {
        return static_cast<long>(MEM_MANAGER::allocation_count() - made) -
               static_cast<long>(MEM_MANAGER::release_count() - released);
    }
};

// Resets the allocation failure hook when a test ends.
class HashTest : public ::testing::Test {
protected:
    void TearDown() override { MEM_MANAGER::fail_allocation_after(0); }
};

}  // namespace

TEST(HashFunction, KnownValuesAndBuckets)
{
    EXPECT_EQ(HASH::hash("abc"), 0x1AFFAu);
    EXPECT_EQ(HASH::bucket_index("abc", 1021), 318);
    EXPECT_EQ(HASH::hash(""), 0u);
    EXPECT_EQ(HASH::bucket_index("", 1021), 0);
    EXPECT_EQ(HASH::bucket_index("Main", 1021), 454);
    EXPECT_EQ(HASH::bucket_index("main", 1021), 224);
    // Bytes above 0x7F count as negative numbers.
    EXPECT_EQ(HASH::hash("\xE9"), 0xFFFFFFE9u);
}

TEST_F(HashTest, FindOrInsertEntersEachNameOnce)
{
    HASH hash;
    EXPECT_EQ(hash.size(), 1021);
    EXPECT_EQ(hash.count(), 0);
    int folder = 0;
    int*& first = hash.find_or_insert("Main");
    EXPECT_EQ(first, nullptr);
    first = &folder;
    EXPECT_EQ(hash.count(), 1);
    int*& again = hash.find_or_insert("Main");
    EXPECT_EQ(&again, &first);
    EXPECT_EQ(again, &folder);
    EXPECT_EQ(hash.count(), 1);

    EXPECT_EQ(hash.find_or_insert("main"), nullptr);  // case matters
    EXPECT_EQ(hash.find_or_insert(""), nullptr);      // the empty name is a name
    EXPECT_EQ(hash.count(), 3);
    EXPECT_TRUE(table_is_valid(hash, {"Main", "main", ""}));
    EXPECT_EQ(hash.bucket(454)->find("Main")->value(), &folder);
}

TEST_F(HashTest, ThousandsOfRandomNamesKeepEveryRule)
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
    EXPECT_EQ(hash.size(), static_cast<std::int32_t>(gen_hash_next_size(2u * static_cast<unsigned>(seen.size()))));
    ASSERT_TRUE(table_is_valid(hash, seen));
    for (std::size_t i = 0; i < seen.size(); ++i)
        ASSERT_EQ(hash.find_or_insert(seen[i].c_str()), reinterpret_cast<int*>(i + 1)) << i;
    EXPECT_EQ(hash.count(), static_cast<std::int32_t>(seen.size()));
}

TEST_F(HashTest, InsertingAsManyNamesAsBucketsGrowsOnce)
{
    HASH hash;
    std::vector<std::string> names;
    std::vector<int> values(1021);
    std::vector<int**> references;
    for (int i = 0; i < 1021; ++i) {
        names.push_back("folder_" + std::to_string(i));
        int*& value = hash.find_or_insert(names.back().c_str());
        value = &values[i];
        references.push_back(&value);
        EXPECT_EQ(hash.size(), i < 1020 ? 1021 : static_cast<std::int32_t>(gen_hash_next_size(2042))) << i;
    }
    EXPECT_EQ(hash.size(), 2053);
    ASSERT_TRUE(table_is_valid(hash, names));
    for (int i = 0; i < 1021; ++i) {
        EXPECT_EQ(*references[i], &values[i]);
        EXPECT_EQ(&hash.find_or_insert(names[i].c_str()), references[i]);
    }
    EXPECT_EQ(hash.count(), 1021);
}

TEST_F(HashTest, ClearForgetsEveryNameAndKeepsTheBuckets)
{
    int folder = 0;
    ALLOCATIONS allocations;
    {
        HASH hash;
        std::vector<std::string> seen = insert_all(hash, random_names(3000, 7));
        std::int32_t grown = hash.size();
        EXPECT_GT(grown, 1021);
        hash.clear();
        EXPECT_EQ(hash.count(), 0);
        EXPECT_EQ(hash.size(), grown);
        EXPECT_EQ(hash.first(), nullptr);
        EXPECT_TRUE(table_is_valid(hash, {}));
        for (const std::string& name : seen) {
            int*& value = hash.find_or_insert(name.c_str());
            EXPECT_EQ(value, nullptr);
            value = &folder;
        }
        EXPECT_TRUE(table_is_valid(hash, seen));
        hash.clear();
    }
    EXPECT_EQ(folder, 0);  // the index never touches what it points to
    EXPECT_EQ(allocations.outstanding(), 0);
}

TEST_F(HashTest, EveryAllocationGoesThroughTheMemoryManager)
{
    ALLOCATIONS allocations;
    {
        HASH hash;
        EXPECT_EQ(allocations.outstanding(), 1);  // the bucket array
        hash.find_or_insert("abc");
        EXPECT_EQ(allocations.outstanding(), 5);  // + tree, sentinel, pair, node
        hash.find_or_insert("abc");
        EXPECT_EQ(allocations.outstanding(), 5);  // found: nothing new
        ASSERT_NE(HASH::bucket_index("abd", 1021), HASH::bucket_index("abc", 1021));
        hash.find_or_insert("abd");
        EXPECT_EQ(allocations.outstanding(), 9);
    }
    EXPECT_EQ(allocations.outstanding(), 0);
    bool tracked = false;
    for (const MEM_TRACKER* t = MEM_TRACKER::first(); t != nullptr; t = t->next())
        if (std::string(t->m_type_name) == "GEN_STRING_PAIR<T>" && std::string(t->m_tag) == "RDB_XML" &&
            t->m_size == sizeof(GEN_STRING_PAIR<int*>))
            tracked = t->m_count > 0;
    EXPECT_TRUE(tracked);
}

TEST_F(HashTest, NoMemoryGivesANullSlotAndKeepsTheTableWhole)
{
    ALLOCATIONS allocations;
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
    ALLOCATIONS allocations;
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
    for (int order = 0; order < 3; ++order) {
        SCOPED_TRACE(order);
        std::vector<std::string> sequence = keys;
        if (order == 1)
            std::reverse(sequence.begin(), sequence.end());
        if (order == 2)
            std::shuffle(sequence.begin(), sequence.end(), std::mt19937(3));
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
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("RDB_XML|"), std::string::npos);
    EXPECT_NE(messages[0].find("x->m_right != this->nil()"), std::string::npos);
    EXPECT_NE(messages[0].find("../../h\\gen_string_rbtree_sys:787"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("y->m_left != this->nil()"), std::string::npos);
    EXPECT_NE(messages[1].find("../../h\\gen_string_rbtree_sys:841"), std::string::npos) << messages[1];
    EXPECT_EQ(tree.root(), node);
    EXPECT_TRUE(tree_is_valid(tree));
}
