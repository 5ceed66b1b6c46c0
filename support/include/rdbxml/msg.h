// Messages: every debug line and internal-error report goes through one sink
// that the host application may replace. The default sink writes
// "TAG: text" as one line to stderr.
#pragma once

#include <cstdarg>
#include <functional>

using MSG_SINK = std::function<void(const char* tag, const char* text)>;

// Installs the sink; an empty MSG_SINK restores the default stderr sink.
// It may be called on any thread at any time, also while parses deliver
// messages on others: each message reaches either the sink it replaces or
// the new one, whole. A replaced sink is destroyed once no call of it runs
// (on the thread whose call ended last, when that is not this one). The
// sink may be called on several threads at once, and may itself call
// msg_set_sink. Throws std::bad_alloc, keeping the old sink, when memory
// runs out.
void msg_set_sink(MSG_SINK sink);
// Routes this thread's messages to `sink` (not copied: it must outlive its
// use) instead of the process-wide sink, whether output is enabled or not;
// null routes them back. A parse uses it so that its lines reach its own
// caller and no other thread's.
void msg_set_thread_sink(const MSG_SINK* sink);
// Switches all output off (no formatting is done) or back on.
void msg_set_enabled(bool enabled);

// Formats one printf-style message and hands it to the sink.
bool msg_local_vdebug(const char* tag, const char* format, va_list args);
bool msg_local_debug(const char* tag, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

class MSG_INTERNAL_ERROR {
public:
    // Reports a failed internal check as one message and returns.
    static void report(const char* condition, const char* tag, const char* file, int line);
};
