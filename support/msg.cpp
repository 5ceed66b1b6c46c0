#include <rdbxml/msg.h>

#include <rdbxml/mem_pool.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

void default_sink(const char* tag, const char* text)
{
    std::fprintf(stderr, "%s: %s\n", tag, text);
}

// The sink is shared: a delivery holds it for as long as it runs, so that
// replacing it on another thread never destroys it under a running call.
// The lock guards only the pointer, never a call of the sink.
struct SINK_STATE {
    std::mutex lock;
    std::shared_ptr<const MSG_SINK> sink;
    std::atomic<bool> enabled{true};
};

SINK_STATE& state()
{
    static SINK_STATE s;
    return s;
}

thread_local const MSG_SINK* t_thread_sink = nullptr;

std::shared_ptr<const MSG_SINK> current_sink()
{
    SINK_STATE& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.sink;
}

void deliver(const char* tag, const char* text)
{
    // A sink is the host's code: what it allocates is its own, never in
    // the storage of a report being read.
    MEM_POOL_SCOPE outside(nullptr);
    if (t_thread_sink != nullptr) {
        (*t_thread_sink)(tag, text);
        return;
    }
    std::shared_ptr<const MSG_SINK> sink = current_sink();
    if (sink)
        (*sink)(tag, text);
    else
        default_sink(tag, text);
}

}  // namespace

void msg_set_sink(MSG_SINK sink)
{
    // Made (and the one it replaces released) outside any report's storage.
    MEM_POOL_SCOPE outside(nullptr);
    std::shared_ptr<const MSG_SINK> replacement;
    if (sink)
        replacement = std::make_shared<const MSG_SINK>(std::move(sink));
    SINK_STATE& s = state();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.sink.swap(replacement);
    }
    // `replacement` now holds the old sink: it goes here, unless a delivery
    // still runs it, which then releases it when it returns.
}
void msg_set_thread_sink(const MSG_SINK* sink) { t_thread_sink = sink; }
void msg_set_enabled(bool enabled) { state().enabled = enabled; }

bool msg_local_vdebug(const char* tag, const char* format, va_list args)
{
    if (!state().enabled && t_thread_sink == nullptr)
        return true;
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return false;
    if (static_cast<std::size_t>(n) < sizeof small) {
        deliver(tag, small);
        return true;
    }
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, args);
    deliver(tag, big.data());
    return true;
}

bool msg_local_debug(const char* tag, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    bool ok = msg_local_vdebug(tag, format, args);
    va_end(args);
    return ok;
}

void MSG_INTERNAL_ERROR::report(const char* condition, const char* tag, const char* file, int line)
{
    msg_local_debug(tag, "Internal error: check \"%s\" failed at %s:%d", condition, file, line);
}
