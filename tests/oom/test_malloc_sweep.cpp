// Memory running out at one allocation anywhere in a whole run of the tool,
// or of Python parsing and walking a report: the run says so (and only so),
// nothing crashes, and what comes after with memory back works. Each run is
// a process of its own with tests/oom/fail_malloc.c preloaded, which refuses
// the n-th malloc (or calloc, realloc, ...) of the process once.
//
// Every point after main is swept when RDBXML_FULL_MALLOC_SWEEP=1 is set
// (ten minutes on two cores); otherwise a stride over each run, finer over
// the XML parser's set-up, where one refusal used to break every later
// parse, and every point of Python's walk, where one used to crash. The
// tool's sweep also refuses every anonymous mapping of the run: each
// report's storage.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "read_file.h"
#include "scratch_dir.h"

extern char** environ;

namespace {

#ifdef RDBXML_MALLOC_SWEEP_SKIP

TEST(MallocSweep, ToolOverThreeFilesSaysOutOfMemoryAndReadsTheOthers) { GTEST_SKIP() << RDBXML_MALLOC_SWEEP_SKIP; }
TEST(MallocSweep, ToolWhoseMemoryRunsOutForGoodSaysSoOnEveryThread) { GTEST_SKIP() << RDBXML_MALLOC_SWEEP_SKIP; }
TEST(MallocSweep, PythonParseAndWalkRaiseMemoryErrorAndNothingBreaksLater)
{
    GTEST_SKIP() << RDBXML_MALLOC_SWEEP_SKIP;
}

#else

// One run of a program with the shim.
struct SHIM_RUN {
    unsigned long fail_at = 0;  // 0: none refused
    int status = -1;            // as waitpid gives it
    std::string out, err;
    bool fired = false;            // the refusal happened
    unsigned long main_calls = 0;  // allocations before main
    unsigned long calls = 0;       // allocations of the whole run (0 if it never ended)
    std::vector<unsigned long> mappings;  // the allocations that were anonymous mappings
};


std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Runs `argv` with the shim failing each point of `points` in turn, two
// processes at a time (the machine's cores).
class SHIM_RUNNER {
public:
    // `for_good`: from the refused call on, every call is refused (memory
    // ran out and stays out); else only that one call.
    SHIM_RUNNER(std::vector<std::string> argv, std::vector<std::string> env, bool for_good = false)
        : m_argv(std::move(argv)), m_env(std::move(env)), m_for_good(for_good), m_dir(test_scratch_dir("malloc-sweep"))
    {
        // A run that crashes fails the test; its core file is no use here.
        rlimit no_core = {0, 0};
        setrlimit(RLIMIT_CORE, &no_core);
    }
    ~SHIM_RUNNER()
    {
        std::error_code code;
        std::filesystem::remove_all(m_dir, code);
    }
    const std::string& dir() const { return m_dir; }

    std::vector<SHIM_RUN> run(const std::vector<unsigned long>& points)
    {
        std::vector<SHIM_RUN> runs(points.size());
        std::map<pid_t, std::size_t> running;  // process -> index into runs
        std::vector<int> free_slots = {0, 1};
        std::map<pid_t, int> slot_of;
        std::size_t next = 0;
        while (next < points.size() || !running.empty()) {
            if (next < points.size() && !free_slots.empty()) {
                int slot = free_slots.back();
                free_slots.pop_back();
                runs[next].fail_at = points[next];
                pid_t pid = start(points[next], slot);
                if (pid <= 0) {
                    ADD_FAILURE() << "cannot start " << m_argv[0];
                    return runs;
                }
                running[pid] = next++;
                slot_of[pid] = slot;
                continue;
            }
            int status = 0;
            pid_t pid = waitpid(-1, &status, 0);
            if (pid <= 0 || running.count(pid) == 0)
                continue;
            finish(runs[running[pid]], status, slot_of[pid]);
            free_slots.push_back(slot_of[pid]);
            running.erase(pid);
            slot_of.erase(pid);
        }
        return runs;
    }

private:
    std::string file(int slot, const char* what) const { return m_dir + "/" + what + std::to_string(slot); }

    pid_t start(unsigned long fail_at, int slot)
    {
        std::filesystem::remove(file(slot, "log"));
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            std::string entry = *e;
            if (entry.rfind("LD_PRELOAD=", 0) != 0 && entry.rfind("RDBXML_FAIL_MALLOC", 0) != 0)
                env.push_back(entry);
        }
        env.insert(env.end(), m_env.begin(), m_env.end());
        env.push_back("LD_PRELOAD=" RDBXML_FAIL_MALLOC_SHIM);
        env.push_back("RDBXML_FAIL_MALLOC_AT=" + std::to_string(fail_at));
        env.push_back(m_for_good ? "RDBXML_FAIL_MALLOC_ONCE=0" : "RDBXML_FAIL_MALLOC_ONCE=1");
        env.push_back("RDBXML_FAIL_MALLOC_LOG=" + file(slot, "log"));
        // Always set, to the same length: with RDBXML_FAIL_MALLOC_TRACE=1 in
        // the test's environment each run's stderr has the refused call's
        // stack (to find what a failing point hit; the checks of stderr then
        // fail), and the run allocates as it does without.
        const char* trace = std::getenv("RDBXML_FAIL_MALLOC_TRACE");
        env.push_back(std::string("RDBXML_FAIL_MALLOC_TRACE=") + (trace != nullptr && trace[0] == '1' ? "1" : "0"));
        std::vector<char*> envp, argv;
        for (std::string& e : env)
            envp.push_back(&e[0]);
        envp.push_back(nullptr);
        for (std::string& a : m_argv)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, file(slot, "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, file(slot, "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return failed == 0 ? pid : -1;
    }

    void finish(SHIM_RUN& run, int status, int slot) const
    {
        run.status = status;
        run.out = test_read_file(file(slot, "out"));
        run.err = test_read_file(file(slot, "err"));
        for (const std::string& line : lines_of(test_read_file(file(slot, "log")))) {
            std::istringstream words(line);
            std::string what;
            unsigned long n = 0;
            words >> what >> n;
            if (what == "fired")
                run.fired = true;
            else if (what == "main")
                run.main_calls = n;
            else if (what == "calls")
                run.calls = n;
            else if (what == "mapping")
                run.mappings.push_back(n);
        }
    }

    std::vector<std::string> m_argv, m_env;
    bool m_for_good;
    std::string m_dir;
};

bool full_sweep()
{
    const char* full = std::getenv("RDBXML_FULL_MALLOC_SWEEP");
    return full != nullptr && std::string(full) == "1";
}

// The points to fail in (first, last]: all of them in a full sweep, else
// every `stride`-th, and every `dense_stride`-th in `dense` (first, last).
std::vector<unsigned long> sweep_points(unsigned long first, unsigned long last, unsigned long stride,
                                        std::pair<unsigned long, unsigned long> dense, unsigned long dense_stride)
{
    std::set<unsigned long> points;
    if (full_sweep())
        stride = dense_stride = 1;
    for (unsigned long n = first + 1; n <= last; n += stride)
        points.insert(n);
    for (unsigned long n = std::max(dense.first, first + 1); n <= std::min(dense.second, last); n += dense_stride)
        points.insert(n);
    return std::vector<unsigned long>(points.begin(), points.end());
}

std::string described(const SHIM_RUN& run)
{
    std::ostringstream text;
    text << "allocation " << run.fail_at << ": ";
    if (WIFSIGNALED(run.status))
        text << "signal " << WTERMSIG(run.status);
    else
        text << "exit " << WEXITSTATUS(run.status);
    text << "\nstdout: " << run.out.substr(0, 2000) << "\nstderr: " << run.err.substr(0, 2000);
    return text.str();
}

// The one allocation after which the XML platform stays half set up: the
// transcoding library's own, for the local code page's transcoder, which the
// platform cannot undo or make again (rdb_xml_platform.h). The parse it hit
// says it ran out of memory; the later ones, why they cannot be read.
bool left_half_set_up(const std::string& err)
{
    std::vector<std::string> lines = lines_of(err);
    if (lines.empty() || !contains(lines[0], "Out of memory while reading the XML parser's set-up"))
        return false;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (!contains(lines[i], "the XML platform could not be set up: memory ran out during its set-up"))
            return false;
    return lines.size() > 1;
}

// What a refusal may be called; and what it was called when it was taken
// for something else.
bool says_out_of_memory(const std::string& line) { return contains(lower(line), "out of memory"); }
bool says_something_else_broke(const std::string& text)
{
    return contains(text, "Xerces Exception: Unknown reason") || contains(text, "could not be set up") ||
           contains(text, "Could not load a local code page transcoder");
}

// stderr without its last line when that is the count of files after a
// run of several ("3 files: 2 good, 1 failed, 0 with warnings").
std::string without_count_line(const std::string& err, std::string* count = nullptr)
{
    static const std::regex COUNT("(^|\n)([0-9]+ files: [0-9]+ good, [0-9]+ failed, [0-9]+ with warnings\n)$");
    std::smatch found;
    if (!std::regex_search(err, found, COUNT))
        return err;
    if (count != nullptr)
        *count = found[2];
    return err.substr(0, found.position(2));
}

// Three names for the example report in `dir`, so that stderr tells which
// file failed.
std::vector<std::string> three_copies_of_the_example(const std::string& dir)
{
    std::string report = test_read_file(RDBXML_SOURCE_DIR "/examples/report.xml");
    std::vector<std::string> files;
    for (const char* name : {"first.xml", "second.xml", "third.xml"}) {
        files.push_back(dir + "/" + name);
        std::ofstream(files.back()) << report;
    }
    return files;
}

TEST(MallocSweep, ToolOverThreeFilesSaysOutOfMemoryAndReadsTheOthers)
{
    SHIM_RUNNER runner({RDBXML_TOOL}, {});
    std::vector<std::string> files = three_copies_of_the_example(runner.dir());
    SHIM_RUNNER tool({RDBXML_TOOL, "-j", "1", "--noout", files[0], files[1], files[2]}, {});

    SHIM_RUN whole = tool.run({0})[0];
    ASSERT_TRUE(WIFEXITED(whole.status) && WEXITSTATUS(whole.status) == 0) << described(whole);
    ASSERT_EQ(whole.err, "3 files: 3 good, 0 failed, 0 with warnings\n");
    ASSERT_GT(whole.main_calls, 0u);
    ASSERT_GT(whole.calls, whole.main_calls + 1000);

    // The first file's parse sets the XML parser up: its allocations are
    // most of the first half of the run after main.
    unsigned long span = whole.calls - whole.main_calls;
    std::vector<unsigned long> points =
        sweep_points(whole.main_calls, whole.calls, 29, {whole.main_calls, whole.main_calls + span / 2}, 4);
    // Each file's report takes its storage in a mapping of its own.
    std::set<unsigned long> mappings;
    for (unsigned long n : whole.mappings)
        if (n > whole.main_calls)
            mappings.insert(n);
    ASSERT_GE(mappings.size(), 3u);
    points.insert(points.end(), mappings.begin(), mappings.end());
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    unsigned long refused = 0, half_set_up = 0, mappings_refused = 0;
    for (const SHIM_RUN& run : tool.run(points)) {
        SCOPED_TRACE(described(run));
        // Every point lies in the run: the refusal happened.
        ASSERT_TRUE(run.fired);
        ASSERT_TRUE(WIFEXITED(run.status));
        ASSERT_EQ(run.out, "");
        std::string count;
        std::string err = without_count_line(run.err, &count);
        if (left_half_set_up(err)) {
            ++half_set_up;
            continue;
        }
        ASSERT_FALSE(says_something_else_broke(err));
        if (WEXITSTATUS(run.status) == 0) {
            ASSERT_EQ(err, "");
            continue;
        }
        ASSERT_EQ(WEXITSTATUS(run.status), 1);
        ++refused;
        mappings_refused += mappings.count(run.fail_at);
        // Out of memory is all it says, and of one file at most: the next
        // parse had memory back.
        std::set<std::string> failed;
        for (const std::string& line : lines_of(err)) {
            ASSERT_TRUE(says_out_of_memory(line)) << line;
            for (const std::string& file : files)
                if (line.rfind(file + ":", 0) == 0)
                    failed.insert(file);
        }
        ASSERT_LE(failed.size(), 1u);
        // The count, when memory was left to say it, tells the same.
        if (!count.empty()) {
            ASSERT_EQ(count, "3 files: " + std::to_string(3 - failed.size()) + " good, " + std::to_string(failed.size()) +
                                 " failed, 0 with warnings\n");
        }
    }
    EXPECT_GT(refused, 50u);  // the failures reached the work, not only what absorbs them
    EXPECT_LE(half_set_up, 1u);
    // A report whose storage could not be mapped is refused, not read.
    EXPECT_GE(mappings_refused, 3u);
}

TEST(MallocSweep, ToolWhoseMemoryRunsOutForGoodSaysSoOnEveryThread)
{
    // Memory that stays out from some point on: the threads that read the
    // files, and starting them, run out too. The tool says so and ends; it
    // never aborts (a worker left joinable when memory ran out while the
    // next one was started ended the process in std::terminate).
    SHIM_RUNNER runner({RDBXML_TOOL}, {});
    std::vector<std::string> files = three_copies_of_the_example(runner.dir());
    SHIM_RUNNER tool({RDBXML_TOOL, "-j", "3", "--noout", files[0], files[1], files[2]}, {}, true);

    SHIM_RUN whole = tool.run({0})[0];
    ASSERT_TRUE(WIFEXITED(whole.status) && WEXITSTATUS(whole.status) == 0) << described(whole);
    ASSERT_GT(whole.calls, whole.main_calls + 1000);

    unsigned long stride = (whole.calls - whole.main_calls) / 400 + 1;
    unsigned long set_up = whole.main_calls + (whole.calls - whole.main_calls) / 20;
    for (const SHIM_RUN& run : tool.run(sweep_points(whole.main_calls, whole.calls, stride,
                                                     {whole.main_calls, set_up}, 7))) {
        SCOPED_TRACE(described(run));
        ASSERT_TRUE(run.fired);
        ASSERT_TRUE(WIFEXITED(run.status));
        ASSERT_EQ(run.out, "");
        std::string err = without_count_line(run.err);
        if (left_half_set_up(err))
            continue;
        ASSERT_FALSE(says_something_else_broke(err));
        ASSERT_EQ(WEXITSTATUS(run.status), 1);
        for (const std::string& line : lines_of(err))
            ASSERT_TRUE(says_out_of_memory(line)) << line;
    }
}

TEST(MallocSweep, PythonParseAndWalkRaiseMemoryErrorAndNothingBreaksLater)
{
#ifndef RDBXML_PYTHON
    GTEST_SKIP() << "the Python module is not built (RDBXML_BUILD_PYTHON)";
#else
    // No site: its start-up hooks are no part of what is swept. A fixed hash
    // seed, so that every run allocates in the same order.
    SHIM_RUNNER python({RDBXML_PYTHON, "-S", RDBXML_SOURCE_DIR "/tests/oom/malloc_sweep_walk.py",
                        RDBXML_SOURCE_DIR "/examples/report.xml"},
                       {"PYTHONPATH=" RDBXML_PYTHON_PATH, "PYTHONHASHSEED=0", "PYTHONDONTWRITEBYTECODE=1",
                        "RDBXML_FAIL_MALLOC_FROM_MARK=1"});
    SHIM_RUN whole = python.run({0})[0];
    ASSERT_TRUE(WIFEXITED(whole.status) && WEXITSTATUS(whole.status) == 0) << described(whole);
    std::istringstream fields(whole.out);
    std::string outcome;
    unsigned long first = 0, last = 0, objects = 0;
    fields >> outcome >> first >> last >> objects;
    ASSERT_EQ(outcome, "whole:" + std::to_string(objects)) << whole.out;
    ASSERT_GT(objects, 5u);
    ASSERT_GT(last, first + 500);

    // The walk is the end of the swept part: every point of it (it wraps
    // each object, the summary's gauges too).
    std::vector<unsigned long> points = sweep_points(first, last, 13, {last - 300, last}, 1);
    unsigned long refused = 0, half_set_up = 0;
    for (const SHIM_RUN& run : python.run(points)) {
        SCOPED_TRACE(described(run));
        ASSERT_TRUE(run.fired);
        ASSERT_TRUE(WIFEXITED(run.status));
        if (WEXITSTATUS(run.status) == 1 &&
            contains(run.err, "the XML platform could not be set up: memory ran out during its set-up")) {
            // The second parse's ParseError, after the first said it ran out of memory.
            ++half_set_up;
            continue;
        }
        ASSERT_EQ(WEXITSTATUS(run.status), 0);
        std::istringstream line(run.out);
        std::string first_outcome;
        unsigned long again = 0;
        line >> first_outcome;
        if (first_outcome.rfind("parse-error:", 0) == 0) {
            // The message runs to the end of the line: the counts follow it.
            std::string rest = run.out.substr(0, run.out.find('\n'));
            ASSERT_TRUE(says_out_of_memory(rest));
            ASSERT_FALSE(says_something_else_broke(rest));
            std::istringstream tail(rest.substr(rest.find_last_of(' ') + 1));
            tail >> again;
            ++refused;
        } else {
            unsigned long from = 0, to = 0;
            line >> from >> to >> again;
            if (first_outcome == "memory")
                ++refused;
            else
                ASSERT_EQ(first_outcome, "whole:" + std::to_string(objects));
        }
        // With memory back the same report is read whole.
        ASSERT_EQ(again, objects);
    }
    EXPECT_GT(refused, 50u);  // the failures reached the work, not only what absorbs them
    EXPECT_LE(half_set_up, 1u);
#endif
}

#endif

}  // namespace
