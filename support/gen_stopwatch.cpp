#include "gen_stopwatch.h"

#include <cstdio>

void GEN_STOPWATCH::start()
{
    m_started = CLOCK::now();
    m_running = true;
}

void GEN_STOPWATCH::stop()
{
    if (m_running)
        m_total += CLOCK::now() - m_started;
    m_running = false;
}

void GEN_STOPWATCH::reset()
{
    m_total = CLOCK::duration::zero();
    if (m_running)
        m_started = CLOCK::now();
}

double GEN_STOPWATCH::seconds() const
{
    CLOCK::duration d = m_total;
    if (m_running)
        d += CLOCK::now() - m_started;
    return std::chrono::duration<double>(d).count();
}

STL_STRING GEN_STOPWATCH::lap() const
{
    double s = seconds();
    char text[48];
    if (s < 1.0)
        std::snprintf(text, sizeof text, "%.3f ms", s * 1e3);
    else
        std::snprintf(text, sizeof text, "%.3f s", s);
    return STL_STRING(text);
}
