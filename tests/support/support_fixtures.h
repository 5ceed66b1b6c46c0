// Shared helpers of the support library's tests: scratch files and counts
// of the memory manager's blocks.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <rdbxml/mem_manager.h>

// A new path in the tests' scratch directory ending in `suffix`; with
// `bytes` the file is written with them, else none is there.
std::string support_temp_path(const std::string& suffix);
std::string support_temp_file(const std::string& suffix, const std::string& bytes);

// Blocks of the memory manager allocated and not released since this
// object was made.
struct SUPPORT_ALLOCATIONS {
    long m_start = outstanding_now();
    static long outstanding_now()
    {
        return static_cast<long>(MEM_MANAGER::allocation_count()) - static_cast<long>(MEM_MANAGER::release_count());
    }
    long outstanding() const { return outstanding_now() - m_start; }
};

// Tests that make allocations fail: the failure hook is reset when each ends.
class FailingAllocationTest : public ::testing::Test {
protected:
    void TearDown() override { MEM_MANAGER::fail_allocation_after(0); }
};
