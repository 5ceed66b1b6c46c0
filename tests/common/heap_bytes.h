// Bytes allocated on the heap and not yet released: the sanitizer's count
// when it runs (memory in its quarantine is not counted), else the C
// library's.
#pragma once

#include <malloc.h>

#include <cstddef>

extern "C" std::size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

inline long test_heap_bytes()
{
    if (__sanitizer_get_current_allocated_bytes != nullptr)
        return static_cast<long>(__sanitizer_get_current_allocated_bytes());
    struct mallinfo2 info = mallinfo2();
    return static_cast<long>(info.uordblks + info.hblkhd);
}
