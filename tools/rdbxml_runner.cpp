#include "rdbxml_runner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "rdbxml_parse.h"

namespace {

class RDBXML_RUNNER {
public:
    RDBXML_RUNNER(const std::vector<RDBXML_JOB>& jobs, const RDBXML_JOB_SETTINGS& settings,
                  const RDBXML_JOB_FUNCTION& function, unsigned window)
        : m_jobs(jobs), m_settings(settings), m_function(function), m_window(window), m_results(jobs.size()),
          m_read(new std::atomic<std::uint64_t>[jobs.size()]), m_sizes(jobs.size(), 0),
          m_out_of_memory(jobs.size())
    {
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            // Made now: when it is needed there may be no memory to make it.
            if (settings.verbosity != RDBXML_QUIET)
                m_out_of_memory[i] =
                    rdbxml_file_message(jobs[i].input.name, "error", "out of memory while printing its report");
            m_read[i] = 0;
            m_sizes[i] = input_size(jobs[i].input);
            m_total += m_sizes[i];
        }
    }

    // Takes jobs until none is left to start.
    void work()
    {
        for (;;) {
            std::size_t i;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_started_room.wait(lock, [this] { return m_next_job >= m_jobs.size() || has_room(); });
                if (m_next_job >= m_jobs.size())
                    return;
                i = m_next_job++;
            }
            RDBXML_JOB_RESULT result = run(i);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_results[i] = std::move(result);
            m_done.notify_all();
        }
    }

    // No job starts any more; those running finish. A worker waiting for
    // room to start one returns.
    void stop()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_next_job = m_jobs.size();
        m_started_room.notify_all();
    }

    // Prints the results in order, drawing the progress line meanwhile;
    // `workers` threads take the jobs (none: this thread runs them too).
    RDBXML_RUN print(unsigned workers, RDBXML_OUTPUT& out, RDBXML_OUTPUT& err, RDBXML_PROGRESS_LINE& progress,
                     const RDBXML_RESULT_SEEN& seen)
    {
        m_one_at_a_time = m_jobs.size() == 1 || workers <= 1;
        RDBXML_RUN run;
        for (std::size_t i = 0; i < m_jobs.size(); ++i) {
            if (workers == 0)
                work_one();
            RDBXML_JOB_RESULT result = wait_for(i, progress);
            progress.erase();
            if (seen)
                seen(i, result);
            run.all_ok = run.all_ok && result.ok;
            ++run.tally.files;
            run.tally.good += result.ok;
            run.tally.warned += result.warnings > 0;
            run.usage = run.usage || result.usage;
            add_counts(result.select_matches, run.select_matches);
            add_counts(result.focus_matches, run.focus_matches);
            // A file's messages come before its report, as one thread prints them.
            err.write(result.err);
            out.write(result.out);
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_printed;
            m_printed_bytes += m_sizes[i];
            if (out.failed()) {
                // Nothing more can reach its reader: no job starts any more.
                run.all_ok = false;
                m_next_job = m_jobs.size();
                m_started_room.notify_all();
                break;
            }
            m_started_room.notify_all();
        }
        return run;
    }

private:
    static void add_counts(const std::vector<std::size_t>& counts, std::vector<std::size_t>& sums)
    {
        if (counts.empty())
            return;
        sums.resize(counts.size(), 0);
        for (std::size_t p = 0; p < counts.size(); ++p)
            sums[p] += counts[p];
    }

    bool has_room() const { return m_next_job - m_printed < m_window; }

    // Job `i`, its progress kept for the line. Memory running out while its
    // report is printed into memory fails that file alone.
    RDBXML_JOB_RESULT run(std::size_t i)
    {
        std::atomic<std::uint64_t>& read = m_read[i];
        try {
            return m_function(m_jobs[i], m_settings, [this, &read](std::uint64_t now, std::uint64_t) {
                read = now;
                m_done.notify_all();  // the printing thread redraws the line
                return true;
            });
        } catch (const std::bad_alloc&) {
            RDBXML_JOB_RESULT failed;
            failed.err.swap(m_out_of_memory[i]);
            return failed;
        }
    }

    // The calling thread's share when no worker could be started.
    void work_one()
    {
        std::size_t i = m_next_job++;
        m_results[i] = run(i);
    }

    // Redraws the progress line whenever a parse reports progress, until
    // result `i` is there.
    RDBXML_JOB_RESULT wait_for(std::size_t i, RDBXML_PROGRESS_LINE& progress)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_results[i].has_value()) {
            show_progress(progress);
            m_done.wait_for(lock, std::chrono::milliseconds(100));
        }
        show_done(i, progress);
        RDBXML_JOB_RESULT result = std::move(*m_results[i]);
        m_results[i].reset();
        return result;
    }

    // How far the reading is, while the file being printed next is read.
    // Called with the lock held.
    void show_progress(RDBXML_PROGRESS_LINE& progress)
    {
        if (m_one_at_a_time) {
            progress.show_file(m_jobs[m_printed].input.name, m_read[m_printed], m_sizes[m_printed]);
            return;
        }
        std::uint64_t read = m_printed_bytes;
        for (std::size_t k = m_printed; k < m_next_job; ++k)
            read += std::min<std::uint64_t>(m_read[k], m_sizes[k]);
        progress.show_files(m_printed, m_jobs.size(), read, m_total);
    }

    // The line once file `i` is done with, before its result is printed:
    // the file (or the files up to it) whole, whatever the other jobs have
    // read meanwhile, so that the last frame of each file is always the same.
    void show_done(std::size_t i, RDBXML_PROGRESS_LINE& progress)
    {
        if (m_one_at_a_time)
            progress.show_file(m_jobs[i].input.name, m_sizes[i], m_sizes[i]);
        else
            progress.show_files(i + 1, m_jobs.size(), m_printed_bytes + m_sizes[i], m_total);
    }

    std::uint64_t input_size(const RDBXML_INPUT_FILE& input) const
    {
        struct stat status;
        int known = input.from_stdin ? fstat(STDIN_FILENO, &status) : stat(input.name.c_str(), &status);
        return known == 0 && S_ISREG(status.st_mode)
                   ? static_cast<std::uint64_t>(status.st_size)
                   : 0;
    }

    const std::vector<RDBXML_JOB>& m_jobs;
    const RDBXML_JOB_SETTINGS& m_settings;
    const RDBXML_JOB_FUNCTION& m_function;
    const std::size_t m_window;
    std::mutex m_mutex;
    std::condition_variable m_started_room;  // a result was printed: room for another job
    std::condition_variable m_done;          // a job finished, or read on
    std::vector<std::optional<RDBXML_JOB_RESULT>> m_results;
    std::unique_ptr<std::atomic<std::uint64_t>[]> m_read;  // bytes each job's parse has read
    std::vector<std::uint64_t> m_sizes;
    std::vector<std::string> m_out_of_memory;  // each job's message should memory run out
    std::uint64_t m_total = 0;
    std::size_t m_next_job = 0;
    std::size_t m_printed = 0;
    std::uint64_t m_printed_bytes = 0;
    // One file is read at a time (one job, or one thread): the line shows
    // that file; else it sums up all of them.
    bool m_one_at_a_time = true;
};

}  // namespace

RDBXML_RUN rdbxml_run_jobs(const std::vector<RDBXML_JOB>& jobs, const RDBXML_JOB_SETTINGS& settings,
                           unsigned threads, RDBXML_OUTPUT& out, RDBXML_OUTPUT& err, RDBXML_PROGRESS_LINE& progress,
                           const RDBXML_JOB_FUNCTION& function, const RDBXML_RESULT_SEEN& seen)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    // Twice as many jobs as threads may be started before their results are
    // printed: a thread that finished a short file goes on while a long one
    // before it is still read. Reports live only while their job runs; what
    // waits is the text to print.
    RDBXML_RUNNER runner(jobs, settings, function, 2 * std::max(threads, 1u));
    // Whatever leaves this function, an exception too, leaves it with the
    // workers joined: a thread still joinable when it is destroyed would end
    // the process.
    struct WORKERS {
        RDBXML_RUNNER& runner;
        std::vector<std::thread> threads;
        ~WORKERS()
        {
            runner.stop();
            for (std::thread& thread : threads)
                thread.join();
        }
    } workers{runner, {}};
    workers.threads.reserve(std::min<std::size_t>(threads, jobs.size()));
    for (unsigned t = 0; t < threads && t < jobs.size(); ++t) {
        try {
            workers.threads.emplace_back([&runner] { runner.work(); });
        } catch (const std::system_error&) {
            break;  // no more threads to be had: those started do the work
        } catch (const std::bad_alloc&) {
            break;  // no memory for another thread's state: the same
        }
    }
    return runner.print(static_cast<unsigned>(workers.threads.size()), out, err, progress, seen);
}
