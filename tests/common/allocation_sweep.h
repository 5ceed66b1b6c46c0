// The one driver of every allocation sweep: a piece of work run again and
// again with its first, second, ... allocation failing, through one of the
// test hooks that make an allocation fail (the memory manager's, or the
// global operator new of failing_new.cpp).
//
// A sweep proves nothing if its hook stopped firing: every run would simply
// succeed. So the driver checks the hook itself. Where the work can be run
// whole first, it counts the allocations of a whole run, and every point up
// to that count must have been refused; in every sweep, points were refused,
// and the last run, past the last allocation, had nothing refused and
// succeeded.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <rdbxml/mem_manager.h>

// A way of making the n-th allocation of this thread fail.
struct TEST_ALLOCATION_HOOK {
    void (*fail_after)(unsigned long n);  // 1 = the next allocation; 0: none fails
    bool (*failed)();                     // whether one failed since fail_after
    unsigned long (*count)();             // allocations this thread made through it so far
};

// The memory manager's hook (MEM_MANAGER::fail_allocation_after).
inline const TEST_ALLOCATION_HOOK& test_manager_hook()
{
    static const TEST_ALLOCATION_HOOK hook{&MEM_MANAGER::fail_allocation_after, &MEM_MANAGER::allocation_failed,
                                           &MEM_MANAGER::thread_allocation_count};
    return hook;
}

// Which points of a sweep are run.
struct TEST_SWEEP_PLAN {
    unsigned long dense = 0;  // allocations 1 .. dense each in turn,
    unsigned long step = 1;   // then every step-th
    // The work can be run whole before the sweep (prep makes it new each
    // time): its allocations are counted, and each point up to the count
    // must be refused. Otherwise the sweep runs until nothing is refused.
    bool counted = true;
};

// Runs `body(state)` with the n-th allocation failing, for the points of
// `plan`, on a fresh `state = prep()` each time, until a run in which
// nothing was refused. `check(state, refused)` judges each run: a refused
// one, and the last, which must have succeeded. Neither prep nor check runs
// under the hook. Returns the number of refused runs. Stops at the first
// run with a failure.
template <class PREP, class BODY, class CHECK>
unsigned long test_allocation_sweep(const TEST_ALLOCATION_HOOK& hook, const TEST_SWEEP_PLAN& plan, PREP prep,
                                    BODY body, CHECK check)
{
    unsigned long extent = 0;
    if (plan.counted) {
        // Twice: the first run also makes what is made once per process.
        for (int run = 0; run < 2; ++run) {
            auto state = prep();
            unsigned long before = hook.count();
            body(state);
            extent = hook.count() - before;
            check(state, false);
        }
        EXPECT_GT(extent, 0u) << "the work allocated nothing through the hook";
        if (testing::Test::HasFailure())
            return 0;
    }
    unsigned long refused = 0;
    for (unsigned long n = 1;; n += n < plan.dense ? 1 : plan.step) {
        SCOPED_TRACE("allocation " + std::to_string(n) + (plan.counted ? " of " + std::to_string(extent) : ""));
        auto state = prep();
        hook.fail_after(n);
        body(state);
        bool failed = hook.failed();
        hook.fail_after(0);
        if (n <= extent) {
            EXPECT_TRUE(failed) << "not refused, though a whole run makes " << extent << " allocations";
        }
        check(state, failed);
        if (!failed || testing::Test::HasFailure())
            break;
        ++refused;
    }
    EXPECT_GT(refused, 0u) << "no allocation was refused: the hook never fired";
    return refused;
}
