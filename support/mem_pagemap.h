// The page map: which pool chunk owns an address, one entry per 2 MiB of
// the address space. Chunks are aligned to 2 MiB and sized in whole 2 MiB
// steps, so every such step belongs to one chunk or to none. Lookups take
// no lock and touch nothing shared but the map itself, which changes only
// when a chunk comes or goes.
#pragma once

#include <cstddef>

constexpr std::size_t MEM_PAGEMAP_STEP = std::size_t(1) << 21;

// Marks [base, base + size) as owned by `owner` (null: by no chunk). `base`
// and `size` are multiples of MEM_PAGEMAP_STEP. False when the map could not
// grow (no memory); nothing is marked then.
bool mem_pagemap_set(const void* base, std::size_t size, void* owner);
// The owner marked for the step that holds `address`, or null.
void* mem_pagemap_find(const void* address);
