// Many files into the index: parsed on several threads, written by the one
// connection in the order given, so that the database is written as one
// thread would write it. A file is parsed only while fewer than twice the
// threads are parsed or waiting to be written, so that memory holds a few
// files' figures, not all of them.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include <rdbxml/rdb_text_writer.h>

#include "rdb_index.h"

namespace {

struct TASK {
    RDB_INDEX_RUN m_run;
    bool m_parse = false;  // not skipped, not unreadable
    RDB_INDEX_OUTCOME m_outcome;
    RDB_INDEX_PARSED m_parsed;
    bool m_done = false;
};

// Where the file is and what it is now; false with `why` when it cannot be
// read.
bool look_at(const std::string& path, RDB_INDEX_RUN& run, std::string& why)
{
    char* resolved = realpath(path.c_str(), nullptr);
    struct stat status;
    if (!resolved || stat(resolved, &status) != 0) {
        why = std::strerror(errno);
        std::free(resolved);
        return false;
    }
    run.m_file = resolved;
    std::free(resolved);
    if (S_ISDIR(status.st_mode)) {
        why = std::strerror(EISDIR);
        return false;
    }
    run.m_size = status.st_size;
    run.m_mtime_ns = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return true;
}

class PARSERS {
public:
    PARSERS(std::vector<TASK>& tasks, const RDB_INDEX_OPTIONS& options) : m_tasks(tasks), m_options(options) {}
    ~PARSERS() { stop(); }

    void start(unsigned threads)
    {
        m_window = 2 * static_cast<std::size_t>(threads);
        for (unsigned i = 0; i < threads; ++i) {
            try {
                m_threads.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break;  // those started do the work; none: the caller's thread
            }
        }
    }

    // Task `i` parsed, by a thread or else here.
    TASK& wait_for(std::size_t i)
    {
        if (m_threads.empty()) {
            parse(m_tasks[i]);
            return m_tasks[i];
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_tasks[i].m_done; });
        return m_tasks[i];
    }

    // Task `i` is written and its memory let go.
    void written(std::size_t i)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_written = i + 1;
        }
        m_changed.notify_all();
    }

    void stop()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
        m_threads.clear();
    }

private:
    void work()
    {
        for (;;) {
            std::size_t i;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] {
                    return m_stopping || m_next >= m_tasks.size() || m_next < m_written + m_window;
                });
                while (m_next < m_tasks.size() && !m_tasks[m_next].m_parse)
                    ++m_next;
                if (m_stopping || m_next >= m_tasks.size())
                    return;
                if (m_next >= m_written + m_window)
                    continue;
                i = m_next++;
            }
            parse(m_tasks[i]);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_tasks[i].m_done = true;
            }
            m_changed.notify_all();
        }
    }

    void parse(TASK& task)
    {
        const RDB_INDEX_FILE& file = *task.m_outcome.m_file;
        try {
            task.m_parsed = m_options.m_parse ? m_options.m_parse(file.m_path, m_options.m_cells)
                                              : rdb_index_parse_file(file.m_path, m_options.m_cells,
                                                                     m_options.m_strict);
        } catch (const std::bad_alloc&) {
            task.m_parsed = RDB_INDEX_PARSED();
            task.m_parsed.m_error = rdb_text_escaped(file.m_path) + ": error: out of memory";
            task.m_parsed.m_messages = task.m_parsed.m_error + "\n";
        }
    }

    std::vector<TASK>& m_tasks;
    const RDB_INDEX_OPTIONS& m_options;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_next = 0;
    std::size_t m_written = 0;
    std::size_t m_window = 2;
    bool m_stopping = false;
};

}  // namespace

bool rdb_index_add(RDB_INDEX_DB& db, const std::vector<RDB_INDEX_FILE>& files, const RDB_INDEX_OPTIONS& options,
                   const std::function<void(const RDB_INDEX_OUTCOME&)>& told)
{
    // What each file is now, and so whether it is read at all: asked on
    // this thread, the connection's.
    std::vector<TASK> tasks(files.size());
    std::size_t to_parse = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        TASK& task = tasks[i];
        const RDB_INDEX_FILE& file = files[i];
        task.m_outcome.m_file = &file;
        std::string why;
        if (!look_at(file.m_path, task.m_run, why)) {
            task.m_outcome.m_what = RDB_INDEX_OUTCOME::UNREADABLE;
            task.m_outcome.m_error = rdb_text_escaped(file.m_path) + ": error: cannot read: " + why;
            task.m_outcome.m_messages = task.m_outcome.m_error + "\n";
            continue;
        }
        bool good = false;
        if (db.is_current(task.m_run.m_file, task.m_run.m_size, task.m_run.m_mtime_ns, options.m_cells, &good,
                          &task.m_outcome.m_warnings)) {
            task.m_outcome.m_what = RDB_INDEX_OUTCOME::SKIPPED;
            task.m_outcome.m_good = good;
            continue;
        }
        task.m_run.m_label = file.m_label.empty() ? file.m_path : file.m_label;
        task.m_run.m_time = rdb_index_time_text(file.m_time_ns >= 0 ? file.m_time_ns : task.m_run.m_mtime_ns);
        task.m_run.m_cells = options.m_cells;
        task.m_parse = true;
        ++to_parse;
    }
    unsigned threads = options.m_threads ? options.m_threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, to_parse));
    PARSERS parsers(tasks, options);
    parsers.start(threads);
    bool all_written = true;
    for (std::size_t i = 0; i < tasks.size() && all_written; ++i) {
        TASK& task = tasks[i];
        if (task.m_parse) {
            parsers.wait_for(i);
            RDB_INDEX_PARSED& parsed = task.m_parsed;
            task.m_run.m_warnings = parsed.m_warnings;
            task.m_run.m_error = parsed.m_error;
            task.m_outcome.m_messages = std::move(parsed.m_messages);
            task.m_outcome.m_warnings = parsed.m_warnings;
            task.m_outcome.m_good = parsed.m_metrics != nullptr;
            task.m_outcome.m_what = parsed.m_metrics ? RDB_INDEX_OUTCOME::GOOD : RDB_INDEX_OUTCOME::FAILED;
            if (!parsed.m_metrics)
                task.m_outcome.m_error = parsed.m_error;
            std::string error;
            if (!db.put(task.m_run, parsed.m_metrics.get(), error)) {
                task.m_outcome.m_what = RDB_INDEX_OUTCOME::WRITE_FAILED;
                task.m_outcome.m_error = error;
                all_written = false;
            }
            parsed.m_metrics.reset();
        }
        told(task.m_outcome);
        task.m_outcome.m_messages.clear();
        parsers.written(i);
    }
    parsers.stop();
    return all_written;
}
