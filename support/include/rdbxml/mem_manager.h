// The memory manager: every allocation of the parser and the report model
// goes through it, tagged with its module.
//
// While a thread has a pool in use (MEM_POOL_SCOPE, mem_pool.h), small
// blocks come from that pool; every other block is a plain global-allocator
// block (no hidden header). delete_wrapper tells the two apart by address,
// so it also releases memory that came from ::operator new, such as the
// strings Xerces-C returns from its transcoding.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

// One record per allocation site: what is allocated there, and by whom.
class MEM_TRACKER {
public:
    MEM_TRACKER(const char* type_name, std::size_t size, int line, const char* tag);
    MEM_TRACKER(const MEM_TRACKER&) = delete;
    MEM_TRACKER& operator=(const MEM_TRACKER&) = delete;

    const char* m_type_name;
    std::size_t m_size;
    int m_line;
    const char* m_tag;
};

class MEM_POOL;

class MEM_MANAGER {
public:
    // Storage of `size` bytes, or null when none could be obtained. `source`
    // names the file that allocates, for diagnostics.
    static void* new_wrapper(std::size_t size, MEM_TRACKER& tracker, const char* source);
    // Releases storage from new_wrapper or from the global allocator; null is ignored.
    static void delete_wrapper(void* pointer, const char* tag);

    // Test hook: the n-th allocation that this thread makes from now (1 =
    // the next one) fails and returns null; 0 switches failures off. Other
    // threads' allocations neither fail nor count. A chunk that the thread's
    // pool takes to serve a block counts as an allocation of its own.
    static void fail_allocation_after(unsigned long n);
    // Whether an allocation of this thread failed by fail_allocation_after
    // since it was last called.
    static bool allocation_failed();
    // Allocations this thread asked for so far, each one of the count
    // fail_allocation_after counts down.
    static unsigned long thread_allocation_count();

    // Totals over the whole process, for tests and diagnostics. A pool's
    // blocks are added when the scope that used it ends and when it is let
    // go.
    static unsigned long allocation_count();
    static unsigned long release_count();

private:
    friend class MEM_POOL;
    friend class MEM_POOL_SCOPE;
    // Makes `pool` the current thread's (null: none); returns the one before.
    static MEM_POOL* use_pool(MEM_POOL* pool);
    // Counts a pool's chunk as an allocation of the thread; false when the
    // failure hook refuses it.
    static bool chunk_allowed();
    static void add_to_totals(unsigned long allocations, unsigned long releases);
};

// A module's registration with the memory manager, alive while the module is loaded.
class MEM_INITIALIZER {
public:
    explicit MEM_INITIALIZER(const char* tag);
    ~MEM_INITIALIZER();
    MEM_INITIALIZER(const MEM_INITIALIZER&) = delete;
    MEM_INITIALIZER& operator=(const MEM_INITIALIZER&) = delete;

    const char* tag() const { return m_tag; }

private:
    const char* m_tag;
};

// Memory segments name a lifetime class for bulk data.
class MEM_SEGMENT {
public:
    explicit MEM_SEGMENT(const char* name) : m_name(name) {}
    virtual ~MEM_SEGMENT() = default;
    const char* name() const { return m_name; }

private:
    const char* m_name;
};

class MEM_TRANSIENT_SEGMENT : public MEM_SEGMENT {
public:
    explicit MEM_TRANSIENT_SEGMENT(const char* name) : MEM_SEGMENT(name) {}
};

extern MEM_TRANSIENT_SEGMENT mem_default_segment;

// Allocates through the manager and constructs a T there; null when no
// memory was obtained. If the constructor throws, the memory is released.
template <class T, class... ARGS>
T* mem_new(MEM_TRACKER& tracker, const char* source, ARGS&&... args)
{
    void* p = MEM_MANAGER::new_wrapper(sizeof(T), tracker, source);
    if (p == nullptr)
        return nullptr;
    try {
        return new (p) T(std::forward<ARGS>(args)...);
    } catch (...) {
        MEM_MANAGER::delete_wrapper(p, tracker.m_tag);
        throw;
    }
}

// Destroys an object made by mem_new (through its virtual destructor when it
// has one) and releases its memory.
template <class T>
void mem_delete(T* object, const char* tag)
{
    if (object == nullptr)
        return;
    void* storage;
    if constexpr (std::is_polymorphic<T>::value)
        storage = dynamic_cast<void*>(object);
    else
        storage = static_cast<void*>(object);
    object->~T();
    MEM_MANAGER::delete_wrapper(storage, tag);
}

// The tracker record of the allocation site where the macro stands.
#define MEM_SITE_TRACKER(TYPE, TAG)                                                  \
    ([]() -> MEM_TRACKER& {                                                          \
        static MEM_TRACKER mem_site_tracker_(#TYPE, sizeof(TYPE), __LINE__, TAG);    \
        return mem_site_tracker_;                                                    \
    }())

// MEM_NEW(tag, source, TYPE, constructor arguments...)
#define MEM_NEW(TAG, SOURCE, TYPE, ...) \
    mem_new<TYPE>(MEM_SITE_TRACKER(TYPE, TAG), SOURCE, ##__VA_ARGS__)
