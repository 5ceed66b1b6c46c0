// Threads the library starts for itself (reading ahead, faulting pages in
// ahead): signals sent to the process are left to the host's threads, so a
// worker starts with them blocked. Those a fault raises in the worker itself
// stay open, so that a fault there is reported like anywhere else.
#pragma once

#include <signal.h>

#include <thread>
#include <utility>

class GEN_SIGNALS_BLOCKED {
public:
    GEN_SIGNALS_BLOCKED();
    ~GEN_SIGNALS_BLOCKED();
    GEN_SIGNALS_BLOCKED(const GEN_SIGNALS_BLOCKED&) = delete;
    GEN_SIGNALS_BLOCKED& operator=(const GEN_SIGNALS_BLOCKED&) = delete;

private:
    sigset_t m_previous;
    bool m_changed = false;
};

// Starts `body` on `thread`. False when no thread can be had (no thread left
// to the process, or no memory for its start); the caller then does the
// work itself or goes without.
template <class BODY>
bool gen_start_worker(std::thread& thread, BODY&& body)
{
    try {
        GEN_SIGNALS_BLOCKED blocked;
        thread = std::thread(std::forward<BODY>(body));
        return true;
    } catch (...) {
        return false;
    }
}
