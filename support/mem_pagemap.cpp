#include "mem_pagemap.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>

namespace {

// Two levels over the 47 bits of user addresses: 2^13 leaves of 2^13 steps.
constexpr unsigned STEP_BITS = 21;
constexpr unsigned LEAF_BITS = 13;
constexpr unsigned TOP_BITS = 47 - STEP_BITS - LEAF_BITS;

struct LEAF {
    std::atomic<void*> m_owner[std::size_t(1) << LEAF_BITS];
};

std::atomic<LEAF*> g_top[std::size_t(1) << TOP_BITS];
std::mutex g_grow;

std::uintptr_t step_of(const void* address) { return reinterpret_cast<std::uintptr_t>(address) >> STEP_BITS; }

// The leaf for `step`, made when `make` is set; null when there is none.
LEAF* leaf_of(std::uintptr_t step, bool make)
{
    std::atomic<LEAF*>& slot = g_top[step >> LEAF_BITS];
    LEAF* leaf = slot.load(std::memory_order_acquire);
    if (leaf != nullptr || !make)
        return leaf;
    std::lock_guard<std::mutex> lock(g_grow);
    leaf = slot.load(std::memory_order_acquire);
    if (leaf == nullptr) {
        // Zeroed storage is a leaf of null owners. Leaves stay for the life
        // of the process; one covers 16 GiB of address space.
        leaf = static_cast<LEAF*>(std::calloc(1, sizeof(LEAF)));
        if (leaf != nullptr)
            slot.store(leaf, std::memory_order_release);
    }
    return leaf;
}

}  // namespace

bool mem_pagemap_set(const void* base, std::size_t size, void* owner)
{
    std::uintptr_t first = step_of(base), count = size >> STEP_BITS;
    if (((first + count) >> (LEAF_BITS + TOP_BITS)) != 0)
        return false;  // beyond the map: the chunk is not used
    for (std::uintptr_t step = first; step < first + count; ++step)
        if (leaf_of(step, owner != nullptr) == nullptr && owner != nullptr)
            return false;
    for (std::uintptr_t step = first; step < first + count; ++step) {
        LEAF* leaf = leaf_of(step, false);
        if (leaf != nullptr)
            leaf->m_owner[step & ((std::uintptr_t(1) << LEAF_BITS) - 1)].store(owner, std::memory_order_release);
    }
    return true;
}

void* mem_pagemap_find(const void* address)
{
    std::uintptr_t step = step_of(address);
    if ((step >> (LEAF_BITS + TOP_BITS)) != 0)
        return nullptr;
    LEAF* leaf = g_top[step >> LEAF_BITS].load(std::memory_order_acquire);
    if (leaf == nullptr)
        return nullptr;
    return leaf->m_owner[step & ((std::uintptr_t(1) << LEAF_BITS) - 1)].load(std::memory_order_acquire);
}
