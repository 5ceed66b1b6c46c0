// Work that must stay within a bound of resources, run in a child process
// under setrlimit: CPU seconds, and (but under the sanitizers, which reserve
// far more address space than any such bound leaves) address space. Work
// whose cost grows faster than its input, at a size chosen for that, runs
// into the bound and fails the test clearly, instead of taking minutes or
// the machine's memory. The bounds are generous: many times what the work
// needs on a loaded machine, so that only a cost of the wrong order meets
// them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct BOUNDED_RUN {
    bool ok = false;      // `work` returned true within the bounds
    std::string outcome;  // what happened otherwise: exit status or signal
};

BOUNDED_RUN bounded_run(const std::function<bool()>& work, unsigned cpu_seconds, std::size_t address_bytes);

// The bound of address space that a run gets, or 0 where none is set.
std::size_t bounded_run_address_limit(std::size_t address_bytes);
