// The report's pool: blocks by size class from large chunks, released one by
// one to be used again, found by address on any thread, returned wholesale.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <rdbxml/mem_manager.h>
#include <rdbxml/mem_pool.h>
#include <rdbxml/stl_string.h>
#include "allocation_sweep.h"
#include "mem_pagemap.h"
#include "support_fixtures.h"

#if defined(__SANITIZE_ADDRESS__)
#define POOL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define POOL_TEST_ASAN 1
#endif
#endif
#ifdef POOL_TEST_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

struct BLOCK {
    unsigned char* m_data;
    std::size_t m_size;
};

MEM_TRACKER& tracker()
{
    static MEM_TRACKER t("test block", 1, __LINE__, "TEST");
    return t;
}

struct POOL {
    MEM_POOL_HOLDER m_holder{MEM_POOL::create()};
    MEM_POOL* operator->() const { return m_holder.get(); }
};

}  // namespace

TEST(MemPool, BlocksOfEverySizeAreDistinctAlignedAndKeepTheirBytes)
{
    POOL pool;
    ASSERT_NE(pool.m_holder.get(), nullptr);
    std::vector<BLOCK> blocks;
    // Every size, many times, so that classes fill several runs and chunks.
    for (int round = 0; round < 500; ++round) {
        for (std::size_t size = 1; size <= MEM_POOL::MAX_BLOCK; size += 1 + (size / 16)) {
            auto* p = static_cast<unsigned char*>(pool->allocate(size));
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % (size % 16 == 0 ? 16 : 8), 0u) << size;
            std::memset(p, static_cast<int>(blocks.size() & 0xFF), size);
            blocks.push_back({p, size});
        }
    }
    EXPECT_GE(pool->reserved_bytes(), 2u * MEM_PAGEMAP_STEP) << "the test should reach a second chunk";
    std::vector<BLOCK> sorted = blocks;
    std::sort(sorted.begin(), sorted.end(), [](const BLOCK& a, const BLOCK& b) { return a.m_data < b.m_data; });
    for (std::size_t i = 1; i < sorted.size(); ++i)
        ASSERT_LE(sorted[i - 1].m_data + sorted[i - 1].m_size, sorted[i].m_data) << "blocks overlap";
    for (std::size_t i = 0; i < blocks.size(); ++i)
        for (std::size_t k = 0; k < blocks[i].m_size; ++k)
            ASSERT_EQ(blocks[i].m_data[k], static_cast<unsigned char>(i & 0xFF)) << "block " << i << " overwritten";
}

TEST(MemPool, ReleasedBlocksAreUsedAgainByTheirOwnSize)
{
    POOL pool;
    std::vector<void*> blocks;
    for (int i = 0; i < 100000; ++i)
        blocks.push_back(pool->allocate(40));
    std::size_t reserved = pool->reserved_bytes();
    for (void* p : blocks)
        EXPECT_TRUE(MEM_POOL::release_block(p));
    // The same number again takes no new chunk, and gets the same blocks.
    std::vector<void*> again;
    for (int i = 0; i < 100000; ++i)
        again.push_back(pool->allocate(33));  // the same class as 40
    EXPECT_EQ(pool->reserved_bytes(), reserved);
    std::sort(blocks.begin(), blocks.end());
    std::sort(again.begin(), again.end());
    EXPECT_EQ(blocks, again);
    // Another class does not take them.
    void* other = pool->allocate(48);
    EXPECT_FALSE(std::binary_search(blocks.begin(), blocks.end(), other));
}

TEST(MemPool, BlocksAreFoundByAddressOnAnyThreadUntilThePoolIsLetGo)
{
    MEM_POOL* pool = MEM_POOL::create();
    ASSERT_NE(pool, nullptr);
    void* block = pool->allocate(24);
    void* heap = ::operator new(24);
    EXPECT_NE(mem_pagemap_find(block), nullptr);
    EXPECT_EQ(mem_pagemap_find(heap), nullptr);
    EXPECT_FALSE(MEM_POOL::release_block(heap));
    ::operator delete(heap);

    // A second holder keeps the chunks; a block is released on another thread.
    MEM_POOL_HOLDER second;
    second.share(pool);
    pool->release();
    bool released = false;
    std::thread([&] { released = MEM_POOL::release_block(block); }).join();
    EXPECT_TRUE(released);
    EXPECT_NE(mem_pagemap_find(block), nullptr);
    second.reset(nullptr);
    EXPECT_EQ(mem_pagemap_find(block), nullptr) << "the chunks outlived the last holder";
}

TEST(MemPool, TheManagerDrawsSmallBlocksFromTheScopesPoolAndCountsThem)
{
    POOL pool;
    SUPPORT_ALLOCATIONS counts;
    unsigned long before = MEM_MANAGER::allocation_count();
    void *small, *large, *outside, *string_text;
    {
        MEM_POOL_SCOPE scope(pool.m_holder.get());
        small = MEM_MANAGER::new_wrapper(MEM_POOL::MAX_BLOCK, tracker(), "test");
        large = MEM_MANAGER::new_wrapper(MEM_POOL::MAX_BLOCK + 1, tracker(), "test");
        {
            MEM_POOL_SCOPE none(nullptr);
            outside = MEM_MANAGER::new_wrapper(16, tracker(), "test");
        }
        STL_STRING text("a text too long to be kept inside the string itself");
        string_text = const_cast<char*>(text.c_str());
        EXPECT_NE(mem_pagemap_find(string_text), nullptr) << "string storage is not in the pool";
    }
    EXPECT_NE(mem_pagemap_find(small), nullptr);
    EXPECT_EQ(mem_pagemap_find(large), nullptr);
    EXPECT_EQ(mem_pagemap_find(outside), nullptr);
    // The pool's blocks are in the totals once its scope has ended.
    EXPECT_EQ(MEM_MANAGER::allocation_count() - before, 4u);
    MEM_MANAGER::delete_wrapper(small, "TEST");
    MEM_MANAGER::delete_wrapper(large, "TEST");
    MEM_MANAGER::delete_wrapper(outside, "TEST");
    pool.m_holder.reset(nullptr);
    EXPECT_EQ(counts.outstanding(), 0);
}

namespace {

// Whether the page that holds `address` is mapped in the process.
bool mapped(const void* address)
{
    unsigned char present;
    void* page = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(address) & ~std::uintptr_t(4095));
    return ::mincore(page, 1, &present) == 0 || errno != ENOMEM;
}

}  // namespace

TEST(MemPool, ChunksAreMappedWhileThePoolLivesAndCountedProcessWide)
{
    std::size_t before = MEM_POOL::mapped_bytes();
    MEM_POOL::reset_most_mapped();
    EXPECT_EQ(MEM_POOL::most_mapped_bytes(), before);
    MEM_POOL* pool = MEM_POOL::create();
    ASSERT_NE(pool, nullptr);
    void* first = pool->allocate(64);
    while (pool->reserved_bytes() < 3 * MEM_PAGEMAP_STEP)
        ASSERT_NE(pool->allocate(MEM_POOL::MAX_BLOCK), nullptr);
    std::size_t reserved = pool->reserved_bytes();
    EXPECT_EQ(reserved, 4 * MEM_PAGEMAP_STEP) << "two chunks of 2 MiB";
    EXPECT_EQ(MEM_POOL::mapped_bytes(), before + reserved);
    EXPECT_EQ(MEM_POOL::most_mapped_bytes(), before + reserved);
    EXPECT_TRUE(mapped(first));

    // A second pool while the first lives raises the most at once.
    MEM_POOL* second = MEM_POOL::create();
    ASSERT_NE(second->allocate(8), nullptr);
    EXPECT_EQ(MEM_POOL::most_mapped_bytes(), before + reserved + MEM_PAGEMAP_STEP);
    second->release();
    EXPECT_EQ(MEM_POOL::mapped_bytes(), before + reserved);

    pool->release();
    EXPECT_EQ(MEM_POOL::mapped_bytes(), before);
    EXPECT_FALSE(mapped(first)) << "the chunks are still mapped";
    EXPECT_EQ(MEM_POOL::most_mapped_bytes(), before + reserved + MEM_PAGEMAP_STEP);
    MEM_POOL::reset_most_mapped();
    EXPECT_EQ(MEM_POOL::most_mapped_bytes(), before);
}

// Every allocation of a run of blocks, the chunks they are carved from
// included, refused in turn through the memory manager's hook: the request
// that was refused gets null, and nothing else does.
TEST_F(FailingAllocationTest, APoolsBlocksAndChunksFailLikeAnyOther)
{
    struct RUN {
        POOL pool;
        std::vector<void*> blocks;
        bool got_null = false;
        unsigned long counted_for_null = 0;  // allocations the refused request counted
    };
    unsigned long chunks_refused = 0;
    test_allocation_sweep(
        test_manager_hook(), TEST_SWEEP_PLAN(), [] { return std::make_unique<RUN>(); },
        [](std::unique_ptr<RUN>& run) {
            MEM_POOL_SCOPE scope(run->pool.m_holder.get());
            // Into a second chunk.
            while (run->pool->reserved_bytes() < 2 * MEM_PAGEMAP_STEP) {
                unsigned long before = MEM_MANAGER::thread_allocation_count();
                void* block = MEM_MANAGER::new_wrapper(MEM_POOL::MAX_BLOCK, tracker(), "test");
                if (block == nullptr) {
                    run->got_null = true;
                    run->counted_for_null = MEM_MANAGER::thread_allocation_count() - before;
                    return;
                }
                run->blocks.push_back(block);
            }
        },
        [&](const std::unique_ptr<RUN>& run, bool refused) {
            EXPECT_EQ(run->got_null, refused) << "a refusal that went unseen, or null without one";
            // The block and the chunk it asked for count two.
            if (run->got_null && run->counted_for_null == 2)
                ++chunks_refused;
            for (void* block : run->blocks)
                MEM_MANAGER::delete_wrapper(block, "TEST");
        });
    EXPECT_EQ(chunks_refused, 2u) << "both chunks should have been refused once";
}

TEST_F(FailingAllocationTest, ALargerChunkRefusedGivesWayToAFirstSizeOne)
{
    POOL pool;
    // Two chunks of 2 MiB; the next would be 4 MiB.
    while (pool->reserved_bytes() < 2 * MEM_PAGEMAP_STEP)
        ASSERT_NE(pool->allocate(MEM_POOL::MAX_BLOCK), nullptr);
    // The pool's own allocations count only its chunks: the next is refused.
    MEM_MANAGER::fail_allocation_after(1);
    while (pool->reserved_bytes() == 2 * MEM_PAGEMAP_STEP)
        ASSERT_NE(pool->allocate(MEM_POOL::MAX_BLOCK), nullptr);
    EXPECT_TRUE(MEM_MANAGER::allocation_failed());
    EXPECT_EQ(pool->reserved_bytes(), 3 * MEM_PAGEMAP_STEP);
}

#ifdef POOL_TEST_ASAN
TEST(MemPool, UnusedAndReleasedMemoryIsPoisoned)
{
    POOL pool;
    auto* p = static_cast<char*>(pool->allocate(20));
    EXPECT_FALSE(__asan_address_is_poisoned(p));
    EXPECT_FALSE(__asan_address_is_poisoned(p + 19));
    EXPECT_TRUE(__asan_address_is_poisoned(p + 20)) << "an overflow past the block goes unseen";
    EXPECT_TRUE(__asan_address_is_poisoned(p + 4096)) << "the unused rest of the run is open";
    ASSERT_TRUE(MEM_POOL::release_block(p));
    EXPECT_TRUE(__asan_address_is_poisoned(p)) << "a use after release goes unseen";
    EXPECT_TRUE(__asan_address_is_poisoned(p + 8));
}
#endif
