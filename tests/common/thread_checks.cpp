#include "thread_checks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

int test_threads_now()
{
    int n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/task"); it != std::filesystem::directory_iterator(); ++it)
        ++n;
    return n;
}

int test_threads_at_rest()
{
    std::thread([] {}).join();
    return test_threads_now();
}

bool test_back_to_threads(int n)
{
    for (int i = 0; i < 1000 && test_threads_now() != n; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return test_threads_now() == n;
}

void test_must_return(const char* what, const std::function<void()>& step)
{
    std::packaged_task<void()> task(step);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(std::chrono::minutes(2)) != std::future_status::ready) {
        std::fprintf(stderr, "%s did not return\n", what);
        std::abort();
    }
    runner.join();
    done.get();
}

TEST_NO_THREADS::TEST_NO_THREADS()
{
    pthread_getattr_default_np(&m_saved);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, std::size_t(1) << 47);
    m_set = pthread_setattr_default_np(&huge) == 0;
    pthread_attr_destroy(&huge);
}

TEST_NO_THREADS::~TEST_NO_THREADS()
{
    pthread_setattr_default_np(&m_saved);
    pthread_attr_destroy(&m_saved);
}
