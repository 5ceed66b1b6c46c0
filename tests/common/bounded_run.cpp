#include "bounded_run.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define BOUNDED_RUN_UNDER_SANITIZER 1
#endif

std::size_t bounded_run_address_limit(std::size_t address_bytes)
{
#ifdef BOUNDED_RUN_UNDER_SANITIZER
    (void)address_bytes;
    return 0;
#else
    return address_bytes;
#endif
}

BOUNDED_RUN bounded_run(const std::function<bool()>& work, unsigned cpu_seconds, std::size_t address_bytes)
{
    BOUNDED_RUN run;
    pid_t child = fork();
    if (child < 0) {
        run.outcome = std::string("fork: ") + std::strerror(errno);
        return run;
    }
    if (child == 0) {
        rlimit cpu{cpu_seconds, cpu_seconds};
        setrlimit(RLIMIT_CPU, &cpu);
        if (std::size_t bytes = bounded_run_address_limit(address_bytes)) {
            rlimit space{bytes, bytes};
            setrlimit(RLIMIT_AS, &space);
        }
        int status = 3;
        try {
            status = work() ? 0 : 1;
        } catch (...) {
            status = 2;
        }
        _exit(status);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        run.ok = true;
    } else if (WIFEXITED(status)) {
        static const char* const WHY[] = {"", "the work failed", "an exception (out of memory?)", ""};
        int code = WEXITSTATUS(status);
        run.outcome = "exit " + std::to_string(code) + (code < 3 ? std::string(": ") + WHY[code] : std::string());
    } else if (WIFSIGNALED(status)) {
        int signal = WTERMSIG(status);
        run.outcome = std::string("signal ") + std::to_string(signal) + " (" + strsignal(signal) + ")" +
                      (signal == SIGXCPU || signal == SIGKILL ? ": out of CPU time" : "");
    }
    return run;
}
