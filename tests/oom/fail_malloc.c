/* A stand-in for the process running out of memory, loaded with LD_PRELOAD
 * into a program run whole (the tool, the Python interpreter): the n-th call
 * of the process to malloc, calloc, realloc, memalign, posix_memalign,
 * aligned_alloc or valloc returns null with ENOMEM. operator new, the
 * standard library's and every library's allocations come here through
 * malloc, so one count covers them all. An anonymous mmap (a report's
 * storage is mapped so) counts as a call too, and fails with ENOMEM; the
 * C library's own mappings (its large blocks, thread stacks) never come
 * here.
 *
 *   RDBXML_FAIL_MALLOC_AT    n: the call that fails (1 = the first); unset or
 *                            0: none fails, the calls are only counted
 *   RDBXML_FAIL_MALLOC_ONCE  1: only the n-th call fails, the ones after it
 *                            get memory again; otherwise every call from the
 *                            n-th on fails
 *   RDBXML_FAIL_MALLOC_FROM_MARK
 *                            1: n counts the calls after the program's call
 *                            of rdbxml_fail_malloc_mark(), and none fails
 *                            before it: for a program whose start-up does
 *                            not allocate the same number of times on
 *                            every run (an interpreter)
 *   RDBXML_FAIL_MALLOC_TRACE 1: the refused call's stack goes to stderr, and
 *                            so does the stack of a crash (SIGSEGV, SIGABRT)
 *                            after it: to find what a point of a sweep hit
 *   RDBXML_FAIL_MALLOC_LOG   a file the shim appends its lines to: "fired N"
 *                            when call N is refused (written at once, so it
 *                            is there even when the process then dies),
 *                            "mapping N" when call N is an anonymous mmap,
 *                            "main N" as main starts (N calls before it, in
 *                            the loader and the static constructors), and
 *                            "calls N" at exit
 *
 * The program may read the count itself: rdbxml_fail_malloc_calls() (found
 * with dlsym, or ctypes in Python) gives the calls so far, and
 * rdbxml_fail_malloc_mark() the calls so far, from which n counts from then
 * on. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* pointer, size_t size);
extern void* __libc_memalign(size_t alignment, size_t size);
extern void* __libc_valloc(size_t size);

static atomic_ulong g_calls;
static unsigned long g_fail_at;
static int g_once;
static int g_from_mark;
static atomic_int g_marked;
static atomic_ulong g_mark;
static int g_trace;
static int g_log = -1;

static void write_line(const char* what, unsigned long n)
{
    char line[64];
    int length;
    if (g_log < 0)
        return;
    length = snprintf(line, sizeof line, "%s %lu\n", what, n);
    if (length > 0 && write(g_log, line, (size_t)length) < 0) {
        /* Nothing to be done: the sweep sees the line missing. */
    }
}

__attribute__((constructor(101))) static void read_settings(void)
{
    /* getenv and open allocate nothing. Calls made before this runs (by the
     * loader) are counted, and none of them fails. */
    const char* at = getenv("RDBXML_FAIL_MALLOC_AT");
    const char* once = getenv("RDBXML_FAIL_MALLOC_ONCE");
    const char* log = getenv("RDBXML_FAIL_MALLOC_LOG");
    const char* trace = getenv("RDBXML_FAIL_MALLOC_TRACE");
    const char* from_mark = getenv("RDBXML_FAIL_MALLOC_FROM_MARK");
    g_from_mark = from_mark != NULL && strcmp(from_mark, "1") == 0;
    if (log != NULL && log[0] != '\0')
        g_log = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    g_trace = trace != NULL && strcmp(trace, "1") == 0;
    g_once = once != NULL && strcmp(once, "1") == 0;
    g_fail_at = at != NULL ? strtoul(at, NULL, 10) : 0;
}

__attribute__((destructor)) static void write_count(void) { write_line("calls", atomic_load(&g_calls)); }

unsigned long rdbxml_fail_malloc_calls(void) { return atomic_load(&g_calls); }

unsigned long rdbxml_fail_malloc_mark(void)
{
    unsigned long calls = atomic_load(&g_calls);
    atomic_store(&g_mark, calls);
    atomic_store(&g_marked, 1);
    return calls;
}

/* The program's main, called through main_counted, which notes where it
 * starts. */
typedef int (*MAIN)(int, char**, char**);
static MAIN g_main;

static int main_counted(int argc, char** argv, char** envp)
{
    write_line("main", atomic_load(&g_calls));
    return g_main(argc, argv, envp);
}

typedef int (*START_MAIN)(MAIN, int, char**, void (*)(void), void (*)(void), void (*)(void), void*);

int __libc_start_main(MAIN main, int argc, char** argv, void (*init)(void), void (*fini)(void),
                      void (*rtld_fini)(void), void* stack_end)
{
    START_MAIN start = (START_MAIN)dlsym(RTLD_NEXT, "__libc_start_main");
    g_main = main;
    return start(main_counted, argc, argv, init, fini, rtld_fini, stack_end);
}

static void trace_crash(int signal_number)
{
    void* frames[64];
    backtrace_symbols_fd(frames, backtrace(frames, 64), 2);
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

/* Counts the call; true when it is to fail. A mapping is noted in the log. */
static int refuse_call(int mapping)
{
    unsigned long n = atomic_fetch_add(&g_calls, 1) + 1;
    if (mapping)
        write_line("mapping", n);
    if (g_from_mark) {
        if (!atomic_load(&g_marked))
            return 0;
        n -= atomic_load(&g_mark);
    }
    if (g_fail_at == 0 || n < g_fail_at || (g_once && n != g_fail_at))
        return 0;
    if (n == g_fail_at) {
        write_line("fired", n);
        if (g_trace) {
            /* backtrace allocates when first called: those calls are
             * counted after this one, and get memory. */
            void* frames[64];
            backtrace_symbols_fd(frames, backtrace(frames, 64), 2);
            signal(SIGSEGV, trace_crash);
            signal(SIGABRT, trace_crash);
        }
    }
    errno = ENOMEM;
    return 1;
}

static int refuse(void) { return refuse_call(0); }

void* malloc(size_t size) { return refuse() ? NULL : __libc_malloc(size); }
void* calloc(size_t count, size_t size) { return refuse() ? NULL : __libc_calloc(count, size); }
void* realloc(void* pointer, size_t size) { return refuse() ? NULL : __libc_realloc(pointer, size); }
void* memalign(size_t alignment, size_t size) { return refuse() ? NULL : __libc_memalign(alignment, size); }
void* valloc(size_t size) { return refuse() ? NULL : __libc_valloc(size); }

void* aligned_alloc(size_t alignment, size_t size)
{
    return refuse() ? NULL : __libc_memalign(alignment, size);
}

int posix_memalign(void** result, size_t alignment, size_t size)
{
    void* p;
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    if (refuse())
        return ENOMEM;
    p = __libc_memalign(alignment, size);
    if (p == NULL)
        return ENOMEM;
    *result = p;
    return 0;
}

/* Straight to the kernel: the next definition in the loader's order would
 * have to be looked up, and looking up may allocate. */
static void* map(void* address, size_t length, int protection, int flags, int fd, off_t offset)
{
    if ((flags & MAP_ANONYMOUS) != 0 && refuse_call(1))
        return MAP_FAILED;
    return (void*)syscall(SYS_mmap, address, length, protection, flags, fd, offset);
}

void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset)
{
    return map(address, length, protection, flags, fd, offset);
}

void* mmap64(void* address, size_t length, int protection, int flags, int fd, off_t offset)
{
    return map(address, length, protection, flags, fd, offset);
}
