// MEM_POOL: the storage of one report. Small blocks (up to MAX_BLOCK bytes)
// are carved from large chunks, by size class, without a header per block;
// a released block goes back to its class and is used again. The chunks are
// returned wholesale when the last holder lets the pool go.
//
// A thread allocates from a pool while a MEM_POOL_SCOPE names it: the
// memory manager's new_wrapper then draws from that pool. delete_wrapper
// finds the pool of any block by its address (see mem_pagemap.h), on any
// thread, so a block can be released one by one as before. A pool is used by
// one thread at a time.
//
// Chunks are mapped from the kernel and unmapped when the pool goes, so a
// process that reads one report after another never holds more than the
// largest of them needed (see map_chunk in mem_pool.cpp).
//
// Chunks are aligned to 2 MiB and, from the second on, advised as huge
// pages: a large report then takes one page fault per 2 MiB instead of 512.
// Chunks grow geometrically, so a report of any size has few of them. Past
// its first 32 MiB, a thread of the pool's own faults the next 2 MiB in
// while the current 2 MiB fill (the kernel clears every new page, which
// costs as much as a good part of a parse); it stops when the scope that
// uses the pool ends. It is started only while fewer pools are in use in
// the process than there are cores: parses on every core have no core to
// spare for it. Without it, pages fault in as they are first used.
//
// In an AddressSanitizer build every block carries a poisoned tail and
// everything not handed out (free blocks, the unused rest of a chunk) is
// poisoned, so overflows and uses after release are caught as with the
// plain allocator.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class MEM_POOL {
public:
    // Larger requests are served by the global allocator.
    static constexpr std::size_t MAX_BLOCK = 512;

    // A new pool, held once; null when there is no memory for it.
    static MEM_POOL* create();
    // Another holder; release() once per create() and per retain().
    void retain() { m_holders.fetch_add(1, std::memory_order_relaxed); }
    // The last release returns every chunk: no block of the pool may be
    // used after that.
    void release();

    // A block of `size` bytes (1 to MAX_BLOCK), aligned to 8, or to 16 when
    // the size is a multiple of 16; null when no chunk could be obtained.
    void* allocate(std::size_t size);
    // Returns `block` to the pool it came from, whichever that is. False,
    // with nothing done, when no pool holds it.
    static bool release_block(void* block);

    // Blocks handed out and released since the last take_counts(), which
    // resets them (the memory manager adds them to its process totals).
    void take_counts(unsigned long& allocations, unsigned long& releases);

    // Bytes of chunks obtained so far.
    std::size_t reserved_bytes() const { return m_reserved; }

    // Bytes of chunks mapped now by every pool of the process, and the most
    // mapped at once since the start or the last reset_most_mapped(), which
    // sets it to what is mapped now (for tests and diagnostics).
    static std::size_t mapped_bytes();
    static std::size_t most_mapped_bytes();
    static void reset_most_mapped();

    // Ends the thread that faults pages in ahead, if there is one, and waits
    // for it. Allocating on starts none again.
    void stop_prefault();
    // Whether that thread runs (for tests).
    bool prefaulting() const { return m_prefault != nullptr; }

    MEM_POOL(const MEM_POOL&) = delete;
    MEM_POOL& operator=(const MEM_POOL&) = delete;

private:
    MEM_POOL() = default;
    ~MEM_POOL();

    // Classes of 8, 16, ... bytes, with room for the poisoned tail that an
    // AddressSanitizer build adds to every block.
    static constexpr unsigned CLASSES = (MAX_BLOCK + 16) / 8;

    struct FREE_BLOCK {
        FREE_BLOCK* m_next;
    };
    struct CHUNK;

    struct PREFAULT;

    // A chunk of `size` bytes aligned to 2 MiB; null when none could be had.
    static void* map_chunk(std::size_t size);
    void* allocate_slow(unsigned size_class);
    bool add_chunk();
    void free(void* block, unsigned size_class);
    void start_prefault();
    void ask_prefault();

    std::atomic<unsigned> m_holders{1};
    FREE_BLOCK* m_free[CLASSES + 1] = {};
    // The run each class is carving from: next block, end of the run.
    char* m_next[CLASSES + 1] = {};
    char* m_end[CLASSES + 1] = {};
    // The chunk runs are taken from: the next run, the end of the chunk.
    CHUNK* m_chunk = nullptr;
    char* m_run = nullptr;
    char* m_chunk_end = nullptr;
    std::size_t m_reserved = 0;
    unsigned long m_allocations = 0;
    unsigned long m_releases = 0;
    PREFAULT* m_prefault = nullptr;
    bool m_prefault_tried = false;
    char* m_prefault_step = nullptr;  // the 2 MiB step whose successor was asked for
};

// Makes `pool` the one the current thread allocates from (null: the global
// allocator) until the scope ends, then restores the previous one. The
// pool's counts reach the memory manager's totals when the scope ends.
class MEM_POOL_SCOPE {
public:
    explicit MEM_POOL_SCOPE(MEM_POOL* pool);
    ~MEM_POOL_SCOPE();
    MEM_POOL_SCOPE(const MEM_POOL_SCOPE&) = delete;
    MEM_POOL_SCOPE& operator=(const MEM_POOL_SCOPE&) = delete;

private:
    MEM_POOL* m_pool;
    MEM_POOL* m_previous;
};

// Holds a pool for as long as it lives.
class MEM_POOL_HOLDER {
public:
    MEM_POOL_HOLDER() = default;
    explicit MEM_POOL_HOLDER(MEM_POOL* pool) : m_pool(pool) {}
    ~MEM_POOL_HOLDER() { reset(nullptr); }
    MEM_POOL_HOLDER(const MEM_POOL_HOLDER&) = delete;
    MEM_POOL_HOLDER& operator=(const MEM_POOL_HOLDER&) = delete;

    MEM_POOL* get() const { return m_pool; }
    // Holds `pool` too (retained) and lets the earlier one go.
    void share(MEM_POOL* pool);
    void reset(MEM_POOL* pool);

private:
    MEM_POOL* m_pool = nullptr;
};
