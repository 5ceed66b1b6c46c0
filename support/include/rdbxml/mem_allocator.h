// MEM_ALLOCATOR: the standard-allocator face of the memory manager, so that
// the storage of strings and vectors comes from the report's pool while a
// report is read, like the objects that hold them. Memory that cannot be
// had throws std::bad_alloc, as the standard containers expect.
#pragma once

#include <cstddef>
#include <new>

#include <rdbxml/mem_manager.h>

template <class T>
class MEM_ALLOCATOR {
public:
    typedef T value_type;

    MEM_ALLOCATOR() noexcept = default;
    template <class U>
    MEM_ALLOCATOR(const MEM_ALLOCATOR<U>&) noexcept
    {
    }

    T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        void* p = MEM_MANAGER::new_wrapper(n * sizeof(T), MEM_SITE_TRACKER(T, "RDB_XML"), "support/mem_allocator");
        if (p == nullptr)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept { MEM_MANAGER::delete_wrapper(p, "RDB_XML"); }

    template <class U>
    bool operator==(const MEM_ALLOCATOR<U>&) const noexcept
    {
        return true;
    }
    template <class U>
    bool operator!=(const MEM_ALLOCATOR<U>&) const noexcept
    {
        return false;
    }
};
