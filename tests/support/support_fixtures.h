// Shared helpers of the support library's tests: scratch files and
// compressed copies of test data.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "mem_manager.h"

// A fresh path in the tests' scratch directory, unique to the running test
// and `suffix`; any old file there is removed.
std::string support_temp_path(const std::string& suffix);

void support_write_file(const std::string& path, const std::string& bytes);

// Text that compresses well yet does not repeat in short cycles, `size`
// bytes long, different for each seed.
std::string support_sample_text(std::size_t size, unsigned seed);

// Complete single-member / single-frame / single-stream encodings of `data`.
std::string support_gzip(const std::string& data);
std::string support_zstd(const std::string& data);
std::string support_xz(const std::string& data);

// Blocks of the memory manager allocated and not released since this
// object was made.
struct SUPPORT_ALLOCATIONS {
    unsigned long made = MEM_MANAGER::allocation_count();
    unsigned long released = MEM_MANAGER::release_count();
    long outstanding() const
    {
        return static_cast<long>(MEM_MANAGER::allocation_count() - made) -
               static_cast<long>(MEM_MANAGER::release_count() - released);
    }
};

// Tests that make allocations fail: the failure hook is reset when each ends.
class FailingAllocationTest : public ::testing::Test {
protected:
    void TearDown() override { MEM_MANAGER::fail_allocation_after(0); }
};
