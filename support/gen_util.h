// General utilities: case-blind comparison, module path.
#pragma once

#include <cstddef>

#include <rdbxml/stl_string.h>

// The ASCII lower case of a character of any width (char, XMLCh, ...),
// whatever the process locale says: 'A'..'Z' give 'a'..'z', every other
// character is itself. Inline: the parser's hot paths use it.
template <class C>
constexpr C gen_ascii_lower(C c)
{
    return c >= C('A') && c <= C('Z') ? static_cast<C>(c - C('A') + C('a')) : c;
}

// The index where the zero-terminated `a` and `b` first differ ignoring
// ASCII case, or where both end.
template <class C>
inline std::size_t gen_ascii_icase_mismatch(const C* a, const C* b)
{
    std::size_t i = 0;
    while (gen_ascii_lower(a[i]) == gen_ascii_lower(b[i]) && a[i] != 0)
        ++i;
    return i;
}

// 0 when the two texts are equal ignoring ASCII case; otherwise the sign of
// the first difference of the lower-cased bytes.
int gen_stricmp(const char* a, const char* b);

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
