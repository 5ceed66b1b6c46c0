// The memory manager: per-site trackers, the failure hook, construction and
// destruction through the manager, and release of global-allocator memory.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "mem_manager.h"
#include "support_fixtures.h"

namespace {

struct RECORD {
    double m_values[4];
};

// Every call allocates at the same site.
void* allocate_at_one_site()
{
    return MEM_MANAGER::new_wrapper(sizeof(RECORD), MEM_SITE_TRACKER(RECORD, "TEST_TAG"), "tests/support/test_memory");
}

MEM_TRACKER& the_site()
{
    void* p = allocate_at_one_site();
    MEM_MANAGER::delete_wrapper(p, "TEST_TAG");
    for (const MEM_TRACKER* t = MEM_TRACKER::first(); t != nullptr; t = t->next())
        if (std::string(t->m_tag) == "TEST_TAG" && std::string(t->m_type_name) == "RECORD")
            return const_cast<MEM_TRACKER&>(*t);
    throw std::logic_error("site not tracked");
}

int g_destroyed = 0;

struct FIRST_BASE {
    virtual ~FIRST_BASE() = default;
    long m_first = 1;
};

struct SECOND_BASE {
    virtual ~SECOND_BASE() = default;
    long m_second = 2;
};

struct BOTH : FIRST_BASE, SECOND_BASE {
    explicit BOTH(const char* text) : m_text(text) {}
    ~BOTH() override { ++g_destroyed; }
    std::string m_text;
};

struct THROWS {
    THROWS() { throw std::runtime_error("constructor failed"); }
};

typedef FailingAllocationTest MemoryTest;

}  // namespace

TEST_F(MemoryTest, EachSiteCountsItsOwnAllocationsAndTheHookFailsTheNth)
{
    MEM_TRACKER& site = the_site();
    EXPECT_EQ(site.m_size, sizeof(RECORD));
    EXPECT_GT(site.m_line, 0);
    unsigned long before = site.m_count;
    unsigned long bytes = site.m_bytes;
    MEM_MANAGER::fail_allocation_after(2);
    void* first = allocate_at_one_site();
    void* second = allocate_at_one_site();
    void* third = allocate_at_one_site();
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    // The failed one is not counted, nor one of another site.
    MEM_MANAGER::delete_wrapper(MEM_MANAGER::new_wrapper(8, MEM_SITE_TRACKER(long, "TEST_TAG"), "x"), "TEST_TAG");
    EXPECT_EQ(site.m_count, before + 2);
    EXPECT_EQ(site.m_bytes, bytes + 2 * sizeof(RECORD));
    MEM_MANAGER::delete_wrapper(first, "TEST_TAG");
    MEM_MANAGER::delete_wrapper(third, "TEST_TAG");
    MEM_MANAGER::delete_wrapper(nullptr, "TEST_TAG");  // ignored
}

TEST_F(MemoryTest, ObjectsAreMadeAndReleasedWholeOrNotAtAll)
{
    g_destroyed = 0;
    unsigned long made = MEM_MANAGER::allocation_count();
    unsigned long released = MEM_MANAGER::release_count();
    BOTH* object = MEM_NEW("TEST_TAG", "tests/support/test_memory", BOTH, "through the second base");
    ASSERT_NE(object, nullptr);
    SECOND_BASE* second = object;
    ASSERT_NE(static_cast<void*>(second), static_cast<void*>(object));
    mem_delete(second, "TEST_TAG");  // must free the block at the object's start
    mem_delete(MEM_NEW("TEST_TAG", "tests/support/test_memory", BOTH, "first base"), "TEST_TAG");
    mem_delete<BOTH>(nullptr, "TEST_TAG");
    EXPECT_EQ(g_destroyed, 2);

    // No memory constructs nothing; a throwing constructor gives its memory
    // back.
    MEM_MANAGER::fail_allocation_after(1);
    EXPECT_EQ(MEM_NEW("TEST_TAG", "tests/support/test_memory", BOTH, "never"), nullptr);
    EXPECT_THROW(MEM_NEW("TEST_TAG", "tests/support/test_memory", THROWS), std::runtime_error);
    EXPECT_EQ(MEM_MANAGER::allocation_count() - made, 3u);
    EXPECT_EQ(MEM_MANAGER::release_count() - released, 3u);

    // Memory of the global allocator, as the XML parser's transcoded strings
    // arrive, is released too.
    char* text = static_cast<char*>(::operator new(64));
    std::strcpy(text, "transcoded");
    MEM_MANAGER::delete_wrapper(text, "RDB_XML");
}

TEST_F(MemoryTest, RegistrationLastsAsLongAsItsObject)
{
    EXPECT_FALSE(MEM_INITIALIZER::is_registered("TEST_REGISTRATION"));
    {
        MEM_INITIALIZER registration("TEST_REGISTRATION");
        EXPECT_TRUE(MEM_INITIALIZER::is_registered("TEST_REGISTRATION"));
    }
    EXPECT_FALSE(MEM_INITIALIZER::is_registered("TEST_REGISTRATION"));
}
