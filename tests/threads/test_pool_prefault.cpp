// The report's storage faults its pages in ahead of use on a thread of its
// own, from its second chunk on, and only while a scope uses it.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <rdbxml/mem_manager.h>
#include <rdbxml/mem_pool.h>
#include "mem_pagemap.h"
#include "thread_checks.h"

namespace {

MEM_TRACKER& tracker()
{
    static MEM_TRACKER t("test block", 1, __LINE__, "TEST");
    return t;
}

// Blocks of 64 bytes through the manager, written as they come, until
// `bytes` are handed out.
std::vector<char*> fill(std::size_t bytes)
{
    std::vector<char*> blocks;
    for (std::size_t done = 0; done < bytes; done += 64) {
        char* p = static_cast<char*>(MEM_MANAGER::new_wrapper(64, tracker(), "test"));
        if (p == nullptr)
            break;
        std::memset(p, 0x5A, 64);
        blocks.push_back(p);
    }
    return blocks;
}

void release(const std::vector<char*>& blocks)
{
    for (char* p : blocks)
        MEM_MANAGER::delete_wrapper(p, "TEST");
}

// Whether every page of [from, from + size) is present.
bool resident(const char* from, std::size_t size)
{
    std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> present(size / page);
    if (::mincore(const_cast<char*>(from), size, present.data()) != 0)
        return false;
    for (unsigned char p : present)
        if ((p & 1) == 0)
            return false;
    return true;
}

// Whether this kernel populates pages on advice (Linux 5.14 on).
bool kernel_populates()
{
#ifdef MADV_POPULATE_WRITE
    std::size_t size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return false;
    bool ok = ::madvise(p, size, MADV_POPULATE_WRITE) == 0;
    ::munmap(p, size);
    return ok;
#else
    return false;
#endif
}

}  // namespace

TEST(PoolPrefault, APoolPastItsFirstChunkFaultsAheadUntilItsScopeEnds)
{
    if (std::thread::hardware_concurrency() < 2)
        GTEST_SKIP() << "one core: no core to spare for faulting ahead";
    const int at_rest = test_threads_at_rest();
    MEM_POOL_HOLDER pool(MEM_POOL::create());
    ASSERT_NE(pool.get(), nullptr);
    {
        MEM_POOL_SCOPE scope(pool.get());
        std::vector<char*> small = fill(MEM_PAGEMAP_STEP / 2);
        EXPECT_FALSE(pool.get()->prefaulting()) << "a small report needs no thread";
        EXPECT_EQ(test_threads_now(), at_rest);

        // Just past the first 32 MiB, into a new chunk: the 2 MiB after the
        // current ones become present before they are used.
        std::vector<char*> large;
        while (pool.get()->reserved_bytes() <= 16 * MEM_PAGEMAP_STEP) {
            EXPECT_FALSE(pool.get()->prefaulting()) << "faulting ahead for a report of under 32 MiB";
            std::vector<char*> more = fill(64 * 1024);
            ASSERT_FALSE(more.empty());
            large.insert(large.end(), more.begin(), more.end());
        }
        ASSERT_TRUE(pool.get()->prefaulting());
        EXPECT_EQ(test_threads_now(), at_rest + 1);
        char* last = large.back();
        char* next_step = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(last) | (MEM_PAGEMAP_STEP - 1)) + 1);
        ASSERT_EQ(mem_pagemap_find(next_step), mem_pagemap_find(last)) << "the test expects another step in the chunk";
        bool present = !kernel_populates();  // nothing to see on an older kernel
        for (int i = 0; i < 500 && !present; ++i) {
            present = resident(next_step, MEM_PAGEMAP_STEP);
            if (!present)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(present) << "the next 2 MiB were not faulted in ahead";
        release(small);
        release(large);
    }
    EXPECT_FALSE(pool.get()->prefaulting());
    EXPECT_TRUE(test_back_to_threads(at_rest)) << "the thread outlived the scope";
    // Allocating on after the scope starts none again.
    MEM_POOL_SCOPE again(pool.get());
    release(fill(2 * MEM_PAGEMAP_STEP));
    EXPECT_FALSE(pool.get()->prefaulting());
}

TEST(PoolPrefault, WithoutAThreadPagesFaultInOnFirstUse)
{
    MEM_POOL_HOLDER pool(MEM_POOL::create());
    ASSERT_NE(pool.get(), nullptr);
    MEM_POOL_SCOPE scope(pool.get());
    std::vector<char*> blocks;
    {
        TEST_NO_THREADS none;
        ASSERT_TRUE(none.set());
        blocks = fill(20 * MEM_PAGEMAP_STEP);
    }
    EXPECT_FALSE(pool.get()->prefaulting());
    EXPECT_GE(blocks.size() * 64, 20 * MEM_PAGEMAP_STEP);
    for (char* p : blocks)
        ASSERT_EQ(p[63], 0x5A);
    release(blocks);
}

TEST(PoolPrefault, PoolsInUseOnEveryCoreFaultNothingAhead)
{
    const unsigned cores = std::thread::hardware_concurrency();
    std::vector<MEM_POOL_HOLDER> others(cores > 1 ? cores - 1 : 0);
    std::vector<std::unique_ptr<MEM_POOL_SCOPE>> busy;
    for (MEM_POOL_HOLDER& other : others) {
        other.reset(MEM_POOL::create());
        busy.emplace_back(new MEM_POOL_SCOPE(other.get()));  // a scope elsewhere, as another parse has
    }
    MEM_POOL_HOLDER pool(MEM_POOL::create());
    {
        MEM_POOL_SCOPE scope(pool.get());
        std::vector<char*> blocks = fill(20 * MEM_PAGEMAP_STEP);
        EXPECT_FALSE(pool.get()->prefaulting());
        release(blocks);
    }
    while (!busy.empty())
        busy.pop_back();  // the newest scope ends first
}
