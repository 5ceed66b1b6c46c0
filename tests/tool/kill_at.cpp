// Preloaded into the tool by the tests (LD_PRELOAD) to stop or kill it at
// one chosen step of writing a file, so that a test knows exactly what was
// on disk when the tool died, rather than guessing from how long it ran.
// RDBXML_TEST_KILL_AT names the step:
//   write        SIGKILL at the first write to a file (not stdout or stderr)
//   rename       SIGKILL just before a file is renamed into place
//   renamed      SIGKILL just after it was
//   stop-rename  SIGSTOP just before the rename, which follows on SIGCONT
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool at(const char* step)
{
    const char* chosen = std::getenv("RDBXML_TEST_KILL_AT");
    return chosen != nullptr && std::strcmp(chosen, step) == 0;
}

template <typename FUNCTION>
FUNCTION next(const char* name)
{
    return reinterpret_cast<FUNCTION>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t write(int fd, const void* bytes, size_t size)
{
    if (fd > STDERR_FILENO && at("write"))
        raise(SIGKILL);
    static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    return real(fd, bytes, size);
}

extern "C" int rename(const char* from, const char* to)
{
    if (at("rename"))
        raise(SIGKILL);
    if (at("stop-rename"))
        raise(SIGSTOP);
    static auto real = next<int (*)(const char*, const char*)>("rename");
    int result = real(from, to);
    if (at("renamed"))
        raise(SIGKILL);
    return result;
}
