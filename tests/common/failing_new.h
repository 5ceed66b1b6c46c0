// A global operator new that fails on demand, for the test programs that
// link it in (the model's, and the out-of-memory sweep of whole parses). It
// stands in for the process running out of memory and reaches every C++
// allocation: the model's containers (which grow through it, not through
// the memory manager), the manager's own blocks, the standard library's and
// the XML parser's. One countdown covers every allocation of a call.
#pragma once

#include <gtest/gtest.h>

#include "allocation_sweep.h"

// The n-th allocation that this thread makes through global operator new
// from now (1 = the next one) fails: std::bad_alloc, or null from the
// nothrow forms. 0 switches failures off. Other threads neither fail nor
// count, so a sweep cannot hit gtest's or another test's work.
void test_fail_new_after(unsigned long n);

// Whether an allocation failed since the last test_fail_new_after.
bool test_new_failed();

// Allocations this thread made through global operator new so far.
unsigned long test_new_count();

// This hook for the sweep driver (allocation_sweep.h).
inline const TEST_ALLOCATION_HOOK& test_new_hook()
{
    static const TEST_ALLOCATION_HOOK hook{&test_fail_new_after, &test_new_failed, &test_new_count};
    return hook;
}

// Calls `call` (which returns whether its object was taken) with the
// first, the second, ... allocation failing, until a run in which none
// failed. A run in which one failed must refuse, and `after_refusal` then
// checks that nothing changed; the last run must take the object. Returns
// the number of refused runs.
template <class CALL, class CHECK>
unsigned long test_each_allocation_failing(CALL call, CHECK after_refusal)
{
    // Not counted first: a whole run would take the object.
    TEST_SWEEP_PLAN plan;
    plan.counted = false;
    return test_allocation_sweep(
        test_new_hook(), plan, [] { return false; }, [&](bool& taken) { taken = call(); },
        [&](bool taken, bool refused) {
            if (!refused) {
                EXPECT_TRUE(taken) << "refused with no allocation failing";
                return;
            }
            EXPECT_FALSE(taken) << "taken although an allocation failed";
            after_refusal();
        });
}
