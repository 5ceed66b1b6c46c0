#include <rdbxml/mem_pool.h>

#include <sys/mman.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <thread>

#include <rdbxml/mem_manager.h>
#include "gen_worker.h"
#include "mem_pagemap.h"

#if defined(__SANITIZE_ADDRESS__)
#define MEM_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MEM_POOL_ASAN 1
#endif
#endif

#ifdef MEM_POOL_ASAN
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#define MEM_POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define MEM_POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
// The leak checker scans the heap and nothing mapped apart from it: a
// chunk is one of its roots, as the heap block it once was would be scanned.
#define MEM_POOL_SCAN(p, n) __lsan_register_root_region((p), (n))
#define MEM_POOL_UNSCAN(p, n) __lsan_unregister_root_region((p), (n))
#else
#define MEM_POOL_POISON(p, n) ((void)(p), (void)(n))
#define MEM_POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#define MEM_POOL_SCAN(p, n) ((void)(p), (void)(n))
#define MEM_POOL_UNSCAN(p, n) ((void)(p), (void)(n))
#endif

// Under valgrind a new chunk is undefined, as a heap block is: a block read
// before it was written is still reported, though the kernel zeroes it.
#if defined(__has_include)
#if __has_include(<valgrind/memcheck.h>)
#include <valgrind/memcheck.h>
#define MEM_POOL_UNDEFINED(p, n) VALGRIND_MAKE_MEM_UNDEFINED((p), (n))
#endif
#endif
#ifndef MEM_POOL_UNDEFINED
#define MEM_POOL_UNDEFINED(p, n) ((void)(p), (void)(n))
#endif

namespace {

// A run is the part of a chunk that one size class carves its blocks from.
constexpr std::size_t RUN = 8192;
constexpr std::size_t FIRST_CHUNK = MEM_PAGEMAP_STEP;
constexpr std::size_t LARGEST_CHUNK = 32 * MEM_PAGEMAP_STEP;
// Pages are faulted in ahead from the chunk that follows this much.
constexpr std::size_t PREFAULT_FROM = 16 * MEM_PAGEMAP_STEP;

// Pools that scopes use now, in the whole process: pages are faulted in
// ahead only when a core is left over for it.
std::atomic<unsigned> g_pools_in_use{0};

bool core_to_spare()
{
    unsigned cores = std::thread::hardware_concurrency();
    return g_pools_in_use.load(std::memory_order_relaxed) < cores;
}

#ifdef MEM_POOL_ASAN
// Every block is followed by this many poisoned bytes.
constexpr std::size_t REDZONE = 16;
#else
constexpr std::size_t REDZONE = 0;
#endif

static_assert(REDZONE <= 16, "the pool has classes for 16 bytes of tail at most");

// Bytes of chunks mapped now in the process, and the most mapped at once.
std::atomic<std::size_t> g_mapped{0};
std::atomic<std::size_t> g_most_mapped{0};

void note_most_mapped(std::size_t mapped)
{
    std::size_t most = g_most_mapped.load(std::memory_order_relaxed);
    // A failed exchange reloads `most`: another thread may have raised it.
    while (mapped > most)
        if (g_most_mapped.compare_exchange_weak(most, mapped, std::memory_order_relaxed))
            break;
}

void unmap_chunk(void* chunk, std::size_t size)
{
    MEM_POOL_UNSCAN(chunk, size);
    ::munmap(chunk, size);
    g_mapped.fetch_sub(size, std::memory_order_relaxed);
}

unsigned class_of(std::size_t size) { return static_cast<unsigned>((size + REDZONE + 7) >> 3); }
std::size_t bytes_of(unsigned size_class) { return std::size_t(size_class) << 3; }

}  // namespace

// A chunk starts with this header, in runs of its own: the pool, the chunk
// before it, and the size class of every run.
struct MEM_POOL::CHUNK {
    MEM_POOL* m_pool;
    CHUNK* m_previous;
    std::size_t m_size;

    // One byte per run, after the fields above; 0 for the header's runs.
    unsigned char* classes() { return reinterpret_cast<unsigned char*>(this) + sizeof(CHUNK); }
    static std::size_t header_runs(std::size_t size) { return (sizeof(CHUNK) + size / RUN + RUN - 1) / RUN; }
    char* base() { return reinterpret_cast<char*>(this); }
};

// The thread that faults pages in ahead: it is asked for one range at a
// time (a newer request replaces an older one) and populates it.
struct MEM_POOL::PREFAULT {
    std::mutex m_mutex;
    std::condition_variable m_wake;
    char* m_from = nullptr;
    char* m_to = nullptr;
    bool m_stop = false;
    std::thread m_thread;

    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || m_from != m_to; });
            if (m_stop)
                return;
            char* from = m_from;
            std::size_t size = static_cast<std::size_t>(m_to - m_from);
            m_from = m_to;
            lock.unlock();
#ifdef MADV_POPULATE_WRITE
            // Pages are made present as if written; nothing is written, so
            // the parse may use them at the same time. A kernel without
            // this advice refuses it, and the pages fault in on first use.
            ::madvise(from, size, MADV_POPULATE_WRITE);
#else
            (void)from;
            (void)size;
#endif
            lock.lock();
        }
    }
};

MEM_POOL* MEM_POOL::create() { return new (std::nothrow) MEM_POOL(); }

void MEM_POOL::start_prefault()
{
    m_prefault_tried = true;
    if (!core_to_spare())
        return;
    PREFAULT* prefault = new (std::nothrow) PREFAULT();
    if (prefault == nullptr)
        return;
    if (!gen_start_worker(prefault->m_thread, [prefault] { prefault->run(); })) {
        delete prefault;
        return;
    }
    m_prefault = prefault;
}

void MEM_POOL::stop_prefault()
{
    m_prefault_tried = true;
    if (m_prefault == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lock(m_prefault->m_mutex);
        m_prefault->m_stop = true;
    }
    m_prefault->m_wake.notify_one();
    m_prefault->m_thread.join();
    delete m_prefault;
    m_prefault = nullptr;
}

// Asks for the 2 MiB after the one the current run lies in, once per step.
void MEM_POOL::ask_prefault()
{
    char* step = m_chunk->base() + (static_cast<std::size_t>(m_run - m_chunk->base()) & ~(MEM_PAGEMAP_STEP - 1));
    if (step == m_prefault_step)
        return;
    m_prefault_step = step;
    char* from = step + MEM_PAGEMAP_STEP;
    if (from >= m_chunk_end)
        return;
    {
        std::lock_guard<std::mutex> lock(m_prefault->m_mutex);
        m_prefault->m_from = from;
        m_prefault->m_to = from + MEM_PAGEMAP_STEP;
    }
    m_prefault->m_wake.notify_one();
}

// `size` bytes (a multiple of the step) aligned to MEM_PAGEMAP_STEP, straight
// from the kernel; null when none could be had. Chunks are mapped, not taken
// from the C heap: freeing a block the C library had mapped for itself
// raises the size from which it maps (up to 32 MiB), so the next report's
// chunks came from its heap and, once freed, stayed there, cut up by smaller
// blocks: a process that read report after report grew with each. A mapping
// goes back to the kernel whole when its pool does.
void* MEM_POOL::map_chunk(std::size_t size)
{
    // A chunk is an allocation of the thread for the memory manager's
    // failure hook, as a block is.
    if (!MEM_MANAGER::chunk_allowed())
        return nullptr;
    // A step more than asked for, so that an aligned run of `size` lies in
    // it; what is left over before and after goes back at once.
    std::size_t span = size + MEM_PAGEMAP_STEP;
    void* mapped = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    char* start = static_cast<char*>(mapped);
    std::uintptr_t address = reinterpret_cast<std::uintptr_t>(start);
    char* chunk = start + ((MEM_PAGEMAP_STEP - (address & (MEM_PAGEMAP_STEP - 1))) & (MEM_PAGEMAP_STEP - 1));
    std::size_t before = static_cast<std::size_t>(chunk - start);
    if (before != 0)
        ::munmap(start, before);
    ::munmap(chunk + size, span - before - size);
    note_most_mapped(g_mapped.fetch_add(size, std::memory_order_relaxed) + size);
    MEM_POOL_SCAN(chunk, size);
    MEM_POOL_UNDEFINED(chunk, size);
    return chunk;
}

MEM_POOL::~MEM_POOL()
{
    stop_prefault();
    while (m_chunk != nullptr) {
        CHUNK* chunk = m_chunk;
        m_chunk = chunk->m_previous;
        std::size_t size = chunk->m_size;
        mem_pagemap_set(chunk, size, nullptr);
        MEM_POOL_UNPOISON(chunk, size);
        unmap_chunk(chunk, size);
    }
}

std::size_t MEM_POOL::mapped_bytes() { return g_mapped.load(std::memory_order_relaxed); }

std::size_t MEM_POOL::most_mapped_bytes() { return g_most_mapped.load(std::memory_order_relaxed); }

void MEM_POOL::reset_most_mapped()
{
    g_most_mapped.store(g_mapped.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

void MEM_POOL::release()
{
    if (m_holders.fetch_sub(1, std::memory_order_acq_rel) != 1)
        return;
    unsigned long allocations, releases;
    take_counts(allocations, releases);
    MEM_MANAGER::add_to_totals(allocations, releases);
    delete this;
}

void MEM_POOL::take_counts(unsigned long& allocations, unsigned long& releases)
{
    allocations = m_allocations;
    releases = m_releases;
    m_allocations = 0;
    m_releases = 0;
}

void* MEM_POOL::allocate(std::size_t size)
{
    unsigned size_class = class_of(size);
    std::size_t bytes = bytes_of(size_class);
    char* block;
    if (FREE_BLOCK* free_block = m_free[size_class]) {
        MEM_POOL_UNPOISON(free_block, sizeof(FREE_BLOCK));
        m_free[size_class] = free_block->m_next;
        block = reinterpret_cast<char*>(free_block);
    } else if (static_cast<std::size_t>(m_end[size_class] - m_next[size_class]) >= bytes) {
        block = m_next[size_class];
        m_next[size_class] += bytes;
    } else {
        block = static_cast<char*>(allocate_slow(size_class));
        if (block == nullptr)
            return nullptr;
    }
    MEM_POOL_UNPOISON(block, size);
    ++m_allocations;
    return block;
}

void* MEM_POOL::allocate_slow(unsigned size_class)
{
    if (static_cast<std::size_t>(m_chunk_end - m_run) < RUN && !add_chunk())
        return nullptr;
    m_chunk->classes()[static_cast<std::size_t>(m_run - m_chunk->base()) / RUN] = static_cast<unsigned char>(size_class);
    if (m_prefault != nullptr)
        ask_prefault();
    char* block = m_run;
    m_next[size_class] = m_run + bytes_of(size_class);
    m_end[size_class] = m_run + RUN;
    m_run += RUN;
    return block;
}

bool MEM_POOL::add_chunk()
{
    // Each chunk is as large as all before it together, within bounds, and
    // from the second on the report is large enough for huge pages.
    std::size_t size = m_reserved < FIRST_CHUNK ? FIRST_CHUNK : m_reserved;
    if (size > LARGEST_CHUNK)
        size = LARGEST_CHUNK;
    void* storage = map_chunk(size);
    if (storage == nullptr && size > FIRST_CHUNK) {
        size = FIRST_CHUNK;
        storage = map_chunk(size);
    }
    if (storage == nullptr)
        return false;
    if (!mem_pagemap_set(storage, size, storage)) {
        unmap_chunk(storage, size);
        return false;
    }
    if (m_reserved != 0)
        ::madvise(storage, size, MADV_HUGEPAGE);  // advice only: without it, ordinary pages
    // Faulting ahead keeps up to 2 MiB more present than is used: worth it
    // only for a report where that is a small part.
    if (m_reserved >= PREFAULT_FROM && !m_prefault_tried)
        start_prefault();
    CHUNK* chunk = static_cast<CHUNK*>(storage);
    std::size_t header = CHUNK::header_runs(size) * RUN;
    chunk->m_pool = this;
    chunk->m_previous = m_chunk;
    chunk->m_size = size;
    MEM_POOL_POISON(chunk->base() + header, size - header);
    m_chunk = chunk;
    m_run = chunk->base() + header;
    m_chunk_end = chunk->base() + size;
    m_reserved += size;
    return true;
}

bool MEM_POOL::release_block(void* block)
{
    CHUNK* chunk = static_cast<CHUNK*>(mem_pagemap_find(block));
    if (chunk == nullptr)
        return false;
    std::size_t run = static_cast<std::size_t>(static_cast<char*>(block) - chunk->base()) / RUN;
    chunk->m_pool->free(block, chunk->classes()[run]);
    return true;
}

void MEM_POOL::free(void* block, unsigned size_class)
{
    MEM_POOL_POISON(block, bytes_of(size_class));
    MEM_POOL_UNPOISON(block, sizeof(FREE_BLOCK));
    FREE_BLOCK* free_block = static_cast<FREE_BLOCK*>(block);
    free_block->m_next = m_free[size_class];
    MEM_POOL_POISON(block, sizeof(FREE_BLOCK));
    m_free[size_class] = free_block;
    ++m_releases;
}

MEM_POOL_SCOPE::MEM_POOL_SCOPE(MEM_POOL* pool) : m_pool(pool), m_previous(MEM_MANAGER::use_pool(pool))
{
    if (m_pool != nullptr)
        g_pools_in_use.fetch_add(1, std::memory_order_relaxed);
}

MEM_POOL_SCOPE::~MEM_POOL_SCOPE()
{
    MEM_MANAGER::use_pool(m_previous);
    if (m_pool != nullptr) {
        g_pools_in_use.fetch_sub(1, std::memory_order_relaxed);
        m_pool->stop_prefault();
        unsigned long allocations, releases;
        m_pool->take_counts(allocations, releases);
        MEM_MANAGER::add_to_totals(allocations, releases);
    }
}

void MEM_POOL_HOLDER::share(MEM_POOL* pool)
{
    if (pool != nullptr)
        pool->retain();
    reset(pool);
}

void MEM_POOL_HOLDER::reset(MEM_POOL* pool)
{
    MEM_POOL* previous = m_pool;
    m_pool = pool;
    if (previous != nullptr)
        previous->release();
}
