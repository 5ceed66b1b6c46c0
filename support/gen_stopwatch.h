// GEN_STOPWATCH: measures elapsed wall time across start/stop intervals.
#pragma once

#include <chrono>

#include <rdbxml/stl_string.h>

class GEN_STOPWATCH {
public:
    GEN_STOPWATCH() = default;

    void start();  // starts (or restarts) an interval
    void stop();   // ends the interval and adds it to the total
    void reset();  // total back to zero; a running interval restarts now

    double seconds() const;  // total so far, the running interval included
    // The elapsed time as readable text, e.g. "1.234 ms" or "2.500 s".
    STL_STRING lap() const;

private:
    typedef std::chrono::steady_clock CLOCK;
    CLOCK::time_point m_started{};
    CLOCK::duration m_total{};
    bool m_running = false;
};
