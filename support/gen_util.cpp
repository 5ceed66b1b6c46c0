#include "gen_util.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

int gen_stricmp(const char* a, const char* b)
{
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    std::size_t at = gen_ascii_icase_mismatch(x, y);
    return gen_ascii_lower(x[at]) - gen_ascii_lower(y[at]);
}

namespace {

// The canonical form of `path`, or `path` itself when it cannot be resolved.
STL_STRING resolved_path(const char* path)
{
    std::unique_ptr<char, void (*)(void*)> resolved(realpath(path, nullptr), std::free);
    if (resolved == nullptr)
        return STL_STRING(path);
    return STL_STRING(resolved.get());
}

// The running program's own file, as the kernel knows it.
STL_STRING executable_path()
{
    char buffer[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return STL_STRING();
    return STL_STRING(buffer, static_cast<std::size_t>(n));
}

}  // namespace

STL_STRING gen_module_path_of(const void* address)
{
    Dl_info info;
    struct link_map* map = nullptr;
    if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0)
        return STL_STRING();
    // The main program's entry in the loader's list has an empty name, and
    // the file name dladdr gives for it (empty, or the program's argv[0]) is
    // no reliable path: ask the kernel instead.
    bool main_program = map != nullptr && (map->l_name == nullptr || map->l_name[0] == '\0');
    if (main_program || info.dli_fname == nullptr || info.dli_fname[0] == '\0')
        return executable_path();
    return resolved_path(info.dli_fname);
}
