// Memory of the report model: every model object and cell is allocated and
// released through the memory manager, so that deleting an object through
// its virtual destructor returns its storage to the manager, whoever made it
// (a plain new, or the parser's MEM_NEW placement into manager storage).
#pragma once

#include <cstddef>

#include <rdbxml/mem_manager.h>

// The module tag of every model allocation and release.
#define RDB_MODEL_TAG "RDB_XML"

// Manager storage of `size` bytes counted against `tracker`; throws
// std::bad_alloc when the manager has none, as operator new must.
void* rdb_model_allocate(std::size_t size, MEM_TRACKER& tracker);
// Returns storage to the manager; null is ignored.
void rdb_model_release(void* pointer) noexcept;

// Class-level allocation through the manager. Stands first in a class body;
// it leaves the access at public. The placement forms keep MEM_NEW (which
// constructs into manager storage) working for the class.
#define RDB_MEMORY_MANAGED                                                      \
public:                                                                        \
    static void* operator new(std::size_t size);                               \
    static void operator delete(void* pointer) noexcept;                       \
    static void* operator new(std::size_t, void* place) noexcept { return place; } \
    static void operator delete(void*, void*) noexcept {}

// The definitions that go with RDB_MEMORY_MANAGED, one per class, in its
// source file; each class counts its allocations under its own name.
#define RDB_MEMORY_MANAGED_DEFINE(TYPE)                                         \
    void* TYPE::operator new(std::size_t size)                                 \
    {                                                                          \
        return rdb_model_allocate(size, MEM_SITE_TRACKER(TYPE, RDB_MODEL_TAG)); \
    }                                                                          \
    void TYPE::operator delete(void* pointer) noexcept { rdb_model_release(pointer); }
