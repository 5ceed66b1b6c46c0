// The replacement forms of global operator new and delete, over malloc and
// free. Every form that can pair with another is replaced, so that blocks
// never cross between this allocator and the sanitizer's.
#include "failing_new.h"

#include <cstdlib>
#include <new>

namespace {

thread_local unsigned long t_countdown = 0;
thread_local unsigned long t_count = 0;
thread_local bool t_failed = false;

void* allocate(std::size_t size) noexcept
{
    ++t_count;
    if (t_countdown != 0 && --t_countdown == 0) {
        t_failed = true;
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* allocate_or_throw(std::size_t size)
{
    void* p = allocate(size);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

}  // namespace

void test_fail_new_after(unsigned long n)
{
    t_countdown = n;
    t_failed = false;
}

bool test_new_failed() { return t_failed; }

unsigned long test_new_count() { return t_count; }

void* operator new(std::size_t size) { return allocate_or_throw(size); }
void* operator new[](std::size_t size) { return allocate_or_throw(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
