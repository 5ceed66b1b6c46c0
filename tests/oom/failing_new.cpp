#include "failing_new.h"

#include <cstdlib>
#include <new>

namespace {

thread_local unsigned long t_countdown = 0;
thread_local unsigned long t_count = 0;

bool next_fails()
{
    ++t_count;
    return t_countdown != 0 && --t_countdown == 0;
}

void* allocate(std::size_t size)
{
    return std::malloc(size != 0 ? size : 1);
}

}  // namespace

void failing_new_fail_after(unsigned long n) { t_countdown = n; }
unsigned long failing_new_count() { return t_count; }
void failing_new_reset_count() { t_count = 0; }

void* operator new(std::size_t size)
{
    void* p = next_fails() ? nullptr : allocate(size);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

void* operator new[](std::size_t size) { return operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return next_fails() ? nullptr : allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
