// General utilities: case-blind comparison, hash-table sizes, module path.
#pragma once

#include <rdbxml/stl_string.h>

// 0 when the two texts are equal ignoring ASCII case; otherwise the sign of
// the first difference of the lower-cased bytes.
int gen_stricmp(const char* a, const char* b);

// The next prime above n (2042 gives 2053); the largest 32-bit prime for
// any n at or above it.
unsigned gen_hash_next_size(unsigned n);

// The full path of the executable or shared library whose code contains
// `address`.
STL_STRING gen_module_path_of(const void* address);

// The full path of the shared library (or executable) that the calling code
// is linked into. Internal linkage on purpose: every module gets its own
// copy, so the address looked up lies in the caller's module.
static inline STL_STRING gen_get_module_path()
{
    return gen_module_path_of(reinterpret_cast<const void*>(&gen_get_module_path));
}
