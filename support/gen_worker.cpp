#include "gen_worker.h"

#include <pthread.h>

GEN_SIGNALS_BLOCKED::GEN_SIGNALS_BLOCKED()
{
    sigset_t all;
    sigfillset(&all);
    for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS})
        sigdelset(&all, fault);
    m_changed = pthread_sigmask(SIG_BLOCK, &all, &m_previous) == 0;
}

GEN_SIGNALS_BLOCKED::~GEN_SIGNALS_BLOCKED()
{
    if (m_changed)
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}
