// The memory manager: objects made and released whole through it, or not at
// all. Its failure hook serves every test of running out of memory.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "heap_bytes.h"
#include "support_fixtures.h"

namespace {

struct FIRST_BASE {
    virtual ~FIRST_BASE() = default;
};
struct SECOND_BASE {
    virtual ~SECOND_BASE() = default;
    std::string m_text = "long enough to live on the heap, not in the string";
};
struct BOTH : FIRST_BASE, SECOND_BASE {};
struct THROWS {
    THROWS() { throw std::runtime_error("constructor failed"); }
};

typedef FailingAllocationTest MemoryTest;

}  // namespace

TEST_F(MemoryTest, ObjectsAreMadeAndReleasedWholeOrNotAtAll)
{
    SUPPORT_ALLOCATIONS allocations;
    BOTH* object = MEM_NEW("TEST_TAG", "tests/support/test_memory", BOTH);
    SECOND_BASE* second = object;
    ASSERT_NE(static_cast<void*>(second), static_cast<void*>(object));
    mem_delete(second, "TEST_TAG");  // must free the block at the object's start, and its string
    mem_delete<BOTH>(nullptr, "TEST_TAG");
    // No memory constructs nothing; a throwing constructor gives its memory back.
    MEM_MANAGER::fail_allocation_after(1);
    EXPECT_EQ(MEM_NEW("TEST_TAG", "tests/support/test_memory", BOTH), nullptr);
    EXPECT_THROW(MEM_NEW("TEST_TAG", "tests/support/test_memory", THROWS), std::runtime_error);
    EXPECT_EQ(allocations.outstanding(), 0);
    // Memory of the global allocator, as the XML parser's transcoded strings
    // arrive, is released too.
    const std::size_t size = 4 << 20;
    long heap = test_heap_bytes();
    void* block = std::memset(::operator new(size), 't', size);
    ASSERT_GE(test_heap_bytes() - heap, static_cast<long>(size));
    MEM_MANAGER::delete_wrapper(block, "RDB_XML");
    EXPECT_LT(test_heap_bytes() - heap, static_cast<long>(size / 2));
}
