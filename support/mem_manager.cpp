#include <rdbxml/mem_manager.h>

#include <rdbxml/mem_pool.h>

namespace {

std::atomic<unsigned long> g_allocations{0};
std::atomic<unsigned long> g_releases{0};
// Per thread, so that one thread's failure sweep never hits another's work.
thread_local unsigned long t_fail_countdown __attribute__((tls_model("initial-exec"))) = 0;
thread_local bool t_failed __attribute__((tls_model("initial-exec"))) = false;
thread_local unsigned long t_requests __attribute__((tls_model("initial-exec"))) = 0;
// The pool this thread allocates from, if any.
thread_local MEM_POOL* t_pool __attribute__((tls_model("initial-exec"))) = nullptr;

// Counts one allocation of this thread; true when the failure hook refuses it.
inline bool refused_by_hook()
{
    ++t_requests;
    if (t_fail_countdown != 0 && --t_fail_countdown == 0) {
        t_failed = true;
        return true;
    }
    return false;
}

}  // namespace

MEM_TRANSIENT_SEGMENT mem_default_segment("default");

MEM_TRACKER::MEM_TRACKER(const char* type_name, std::size_t size, int line, const char* tag)
    : m_type_name(type_name), m_size(size), m_line(line), m_tag(tag)
{
}

void* MEM_MANAGER::new_wrapper(std::size_t size, MEM_TRACKER& /*tracker*/, const char* /*source*/)
{
    if (refused_by_hook())
        return nullptr;
    if (t_pool != nullptr && size != 0 && size <= MEM_POOL::MAX_BLOCK)
        return t_pool->allocate(size);
    void* p = ::operator new(size, std::nothrow);
    if (p != nullptr)
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    return p;
}

void MEM_MANAGER::delete_wrapper(void* pointer, const char* /*tag*/)
{
    if (pointer == nullptr || MEM_POOL::release_block(pointer))
        return;
    g_releases.fetch_add(1, std::memory_order_relaxed);
    ::operator delete(pointer);
}

MEM_POOL* MEM_MANAGER::use_pool(MEM_POOL* pool)
{
    MEM_POOL* previous = t_pool;
    t_pool = pool;
    return previous;
}

bool MEM_MANAGER::chunk_allowed() { return !refused_by_hook(); }

void MEM_MANAGER::add_to_totals(unsigned long allocations, unsigned long releases)
{
    g_allocations.fetch_add(allocations, std::memory_order_relaxed);
    g_releases.fetch_add(releases, std::memory_order_relaxed);
}

void MEM_MANAGER::fail_allocation_after(unsigned long n)
{
    t_fail_countdown = n;
    t_failed = false;
}

bool MEM_MANAGER::allocation_failed() { return t_failed; }
unsigned long MEM_MANAGER::thread_allocation_count() { return t_requests; }
unsigned long MEM_MANAGER::allocation_count() { return g_allocations.load(); }
unsigned long MEM_MANAGER::release_count() { return g_releases.load(); }

MEM_INITIALIZER::MEM_INITIALIZER(const char* tag) : m_tag(tag) {}

MEM_INITIALIZER::~MEM_INITIALIZER() = default;
