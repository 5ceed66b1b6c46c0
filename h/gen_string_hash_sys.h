// GEN_STRING_HASH: a string-keyed hash table whose buckets are red-black
// trees (GEN_STRING_RBTREE), with find-or-insert lookup and a list of all
// entries in insertion order. Keys are compared exactly, byte by byte.
//
// The table starts with 1021 buckets and, while growth is allowed, enlarges
// itself once it holds as many entries as it has buckets. Enlarging relinks
// the existing nodes into the new buckets without copying them, so a
// reference returned by find_or_insert stays valid until clear() or the
// destructor removes the entry. clear() keeps the bucket array and the
// bucket trees for reuse.
//
// Every allocation goes through the memory manager with the tag "RDB_XML".
// Nothing here throws. When memory runs out, find_or_insert cannot enter the
// key; it then returns a reference to the table's overflow slot, a T of its
// own that is reset to T() on every such failure. Writing through that
// reference is harmless but is not kept: a later lookup of the same key tries
// again to insert it and, when that works, finds the value T().
#pragma once

#include <cstdint>
#include <new>

#include <rdbxml/mem_manager.h>
#include "gen_string_rbtree_sys.h"

template <class T>
class GEN_STRING_HASH {
public:
    typedef GEN_STRING_RBTREE<T> TREE;
    typedef GEN_STRING_RBTREE_NODE<T> NODE;

    enum : std::int32_t { INITIAL_SIZE = 1021 };

    GEN_STRING_HASH();
    ~GEN_STRING_HASH();
    GEN_STRING_HASH(const GEN_STRING_HASH&) = delete;
    GEN_STRING_HASH& operator=(const GEN_STRING_HASH&) = delete;

    // The value stored under `key`; a missing key is entered first with the
    // value T(). See the header comment for what happens without memory.
    T& find_or_insert(const char* key);
    // True when `slot`, a result of find_or_insert, is the overflow slot:
    // the key could not be entered for want of memory.
    bool is_overflow(const T& slot) const { return &slot == &m_overflow; }

    // Removes every entry; the bucket count stays what it has grown to.
    void clear();

    std::int32_t size() const { return m_size; }    // number of buckets
    std::int32_t count() const { return m_count; }  // number of entries
    bool grow() const { return m_grow; }
    void set_grow(bool grow) { m_grow = grow; }

    // The insertion-order list: first() then node->next() until null.
    const NODE* first() const { return m_first; }
    NODE* first() { return m_first; }
    const NODE* last() const { return m_last; }

    // The tree of bucket `index` (0 <= index < size()), or null when the
    // bucket has never been used.
    const TREE* bucket(std::int32_t index) const { return m_buckets != nullptr ? m_buckets[index] : nullptr; }

    // The hash of a key: for each byte c, taken as a signed char,
    // h = h ^ ((h << 5) + (h >> 2) + c), in unsigned 32-bit arithmetic.
    static std::uint32_t hash(const char* key);
    // The bucket index of `key` in a table of `size` buckets.
    static std::int32_t bucket_index(const char* key, std::int32_t size)
    {
        return static_cast<std::int32_t>(hash(key) % static_cast<std::uint32_t>(size));
    }
    // The bucket count a table grows to: the next prime above n (2042 gives
    // 2053), or the largest 32-bit prime for any n at or above it.
    static std::uint32_t next_size(std::uint32_t n);

private:
    static TREE** make_bucket_array(std::int32_t size);
    static TREE* make_tree();
    static void release_tree(TREE* tree);
    T& overflow();
    void append(NODE* node);
    void enlarge(std::int32_t new_size);

    std::int32_t m_size;
    std::int32_t m_count;
    bool m_grow;
    NODE* m_first;
    NODE* m_last;
    TREE** m_buckets;
    T m_overflow;  // stands in for an entry that could not be made
};

template <class T>
GEN_STRING_HASH<T>::GEN_STRING_HASH()
    : m_size(INITIAL_SIZE), m_count(0), m_grow(true), m_first(nullptr), m_last(nullptr),
      m_buckets(make_bucket_array(INITIAL_SIZE)), m_overflow()
{
}

template <class T>
GEN_STRING_HASH<T>::~GEN_STRING_HASH()
{
    if (m_buckets == nullptr)
        return;
    for (std::int32_t i = 0; i < m_size; ++i) {
        release_tree(m_buckets[i]);
        m_buckets[i] = nullptr;
    }
    MEM_MANAGER::delete_wrapper(m_buckets, "RDB_XML");
    m_buckets = nullptr;
}

template <class T>
std::uint32_t GEN_STRING_HASH<T>::hash(const char* key)
{
    std::uint32_t h = 0;
    for (const char* p = key; *p != '\0'; ++p) {
        std::uint32_t c = static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(*p)));
        h ^= (h << 5) + (h >> 2) + c;
    }
    return h;
}

template <class T>
std::uint32_t GEN_STRING_HASH<T>::next_size(std::uint32_t n)
{
    const std::uint32_t largest = 4294967291u;  // the largest prime below 2^32
    if (n >= largest)
        return largest;
    auto is_prime = [](std::uint32_t c) {
        if (c % 2 == 0)
            return c == 2;
        for (std::uint64_t d = 3; d * d <= c; d += 2)
            if (c % d == 0)
                return false;
        return c > 1;
    };
    std::uint32_t candidate = n + 1;
    while (!is_prime(candidate))
        ++candidate;
    return candidate;
}

template <class T>
typename GEN_STRING_HASH<T>::TREE** GEN_STRING_HASH<T>::make_bucket_array(std::int32_t size)
{
    void* p = MEM_MANAGER::new_wrapper(sizeof(TREE*) * static_cast<std::size_t>(size),
                                       MEM_SITE_TRACKER(GEN_STRING_RBTREE<T>*, "RDB_XML"), "h/gen_string_hash_sys");
    if (p == nullptr)
        return nullptr;
    TREE** buckets = static_cast<TREE**>(p);
    for (std::int32_t i = 0; i < size; ++i)
        buckets[i] = nullptr;
    return buckets;
}

template <class T>
typename GEN_STRING_HASH<T>::TREE* GEN_STRING_HASH<T>::make_tree()
{
    TREE* tree = mem_new<TREE>(MEM_SITE_TRACKER(GEN_STRING_RBTREE<T>, "RDB_XML"), "h/gen_string_hash_sys");
    if (tree != nullptr && !tree->ok()) {
        mem_delete(tree, "RDB_XML");
        tree = nullptr;
    }
    return tree;
}

template <class T>
void GEN_STRING_HASH<T>::release_tree(TREE* tree)
{
    mem_delete(tree, "RDB_XML");
}

template <class T>
T& GEN_STRING_HASH<T>::overflow()
{
    m_overflow = T();
    return m_overflow;
}

template <class T>
T& GEN_STRING_HASH<T>::find_or_insert(const char* key)
{
    if (key == nullptr)
        key = "";
    if (m_buckets == nullptr) {  // the constructor found no memory: try again
        m_buckets = make_bucket_array(m_size);
        if (m_buckets == nullptr)
            return overflow();
    }
    TREE*& tree = m_buckets[bucket_index(key, m_size)];
    if (tree == nullptr) {
        tree = make_tree();
        if (tree == nullptr)
            return overflow();
    } else if (NODE* found = tree->find(key)) {
        return found->value();
    }
    NODE* node = tree->make_node(key);
    if (node == nullptr)
        return overflow();
    tree->insert(node);
    append(node);
    return node->value();
}

template <class T>
void GEN_STRING_HASH<T>::append(NODE* node)
{
    node->m_next = nullptr;
    node->m_prev = m_last;
    if (m_last == nullptr)
        m_first = node;
    else
        m_last->m_next = node;
    m_last = node;
    ++m_count;
    if (m_grow && m_count >= m_size) {
        std::uint32_t next = next_size(2u * static_cast<std::uint32_t>(m_count));
        if (next <= static_cast<std::uint32_t>(INT32_MAX))
            enlarge(static_cast<std::int32_t>(next));
    }
}

template <class T>
void GEN_STRING_HASH<T>::enlarge(std::int32_t new_size)
{
    if (new_size <= m_size)
        return;
    TREE** buckets = make_bucket_array(new_size);
    if (buckets == nullptr)
        return;  // keep the current size; a later insertion tries again
    for (std::int32_t i = 0; i < m_size; ++i)
        buckets[i] = m_buckets[i];

    // Make every tree the nodes will need before touching any node, so that
    // running out of memory leaves the table as it was.
    for (NODE* n = m_first; n != nullptr; n = n->m_next) {
        TREE*& tree = buckets[bucket_index(n->key().c_str(), new_size)];
        if (tree != nullptr)
            continue;
        tree = make_tree();
        if (tree != nullptr)
            continue;
        for (std::int32_t i = 0; i < new_size; ++i)
            if (buckets[i] != (i < m_size ? m_buckets[i] : nullptr))
                release_tree(buckets[i]);
        MEM_MANAGER::delete_wrapper(buckets, "RDB_XML");
        return;
    }

    for (std::int32_t i = 0; i < m_size; ++i)
        if (m_buckets[i] != nullptr)
            m_buckets[i]->forget_all();
    MEM_MANAGER::delete_wrapper(m_buckets, "RDB_XML");
    m_buckets = buckets;
    m_size = new_size;

    for (NODE* n = m_first; n != nullptr; n = n->m_next) {
        TREE* tree = m_buckets[bucket_index(n->key().c_str(), m_size)];
        n->m_parent = tree->nil();
        n->m_left = tree->nil();
        n->m_right = tree->nil();
        n->m_tree = tree;
        tree->insert(n);
    }
}

template <class T>
void GEN_STRING_HASH<T>::clear()
{
    // Through the insertion-order list, which holds every node: the cost is
    // that of the entries, not of the buckets, which stay as large as the
    // largest table ever was (a thread that once read a report of a million
    // folders clears every later, small index at the small index's cost).
    for (NODE* node = m_first; node != nullptr;) {
        NODE* next = node->m_next;
        node->m_tree->forget_all();
        TREE::release_node(node);
        node = next;
    }
    m_count = 0;
    m_first = nullptr;
    m_last = nullptr;
}
