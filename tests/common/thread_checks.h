// Checks on the threads of the test process: how many there are, a step
// that must return rather than hang, and a scope in which no thread starts.
#pragma once

#include <pthread.h>

#include <functional>

// The threads of this process now.
int test_threads_now();

// The threads of this process once one more was started and has ended: a
// sanitizer starts a thread of its own with the first one.
int test_threads_at_rest();

// Whether the process is back to `n` threads within a few seconds (a joined
// thread leaves the list a moment after it woke its joiner).
bool test_back_to_threads(int n);

// Runs `step` on a thread of its own; a step that has not returned after two
// minutes (a thread waiting for a wake-up that never comes) ends the test
// program with a message naming `what`, rather than leaving it hanging.
void test_must_return(const char* what, const std::function<void()>& step);

// While one lives, no thread can be started in the process: the default
// stack of a new thread is larger than the address space.
class TEST_NO_THREADS {
public:
    TEST_NO_THREADS();
    ~TEST_NO_THREADS();
    TEST_NO_THREADS(const TEST_NO_THREADS&) = delete;
    TEST_NO_THREADS& operator=(const TEST_NO_THREADS&) = delete;
    // Whether the default could be set.
    bool set() const { return m_set; }

private:
    pthread_attr_t m_saved;
    bool m_set = false;
};
