// A global operator new that fails on demand, per thread: the n-th
// allocation this thread makes from now throws std::bad_alloc (the nothrow
// forms return null). It stands in for the process running out of memory,
// and reaches every C++ allocation: the parser's, the model's containers',
// the standard library's and the XML parser's own.
#pragma once

// 0 switches failures off.
void failing_new_fail_after(unsigned long n);
// Allocations this thread has made since the last reset.
unsigned long failing_new_count();
void failing_new_reset_count();
