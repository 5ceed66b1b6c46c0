// The tool with too little memory: under any address-space limit it either
// prints exactly what it prints without one, or exits 1 naming the file. It
// never aborts and never prints part of a report as if it were all.
//
// Not under the sanitizers: they reserve far more address space than any
// limit here leaves.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tool_runner.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define RDBXML_UNDER_SANITIZER 1
#endif

namespace {

struct LIMITED_RUN {
    int status;  // exit status; 128 + signal for a signal
    std::string out, err;
};

// The tool under `ulimit -v` of `kib` KiB (0: none).
LIMITED_RUN run_limited(const TOOL_SCRATCH& scratch, unsigned long kib, const std::string& args)
{
    std::string out = scratch.dir() + "/out", err = scratch.dir() + "/err";
    std::string command = (kib != 0 ? "ulimit -v " + std::to_string(kib) + "; " : std::string()) + "exec " +
                          tool_shell_quoted(RDBXML_OUTPUT_DIR "/rdbxml") + " " + args + " > " + out + " 2> " + err;
    int raw = std::system(("/bin/sh -c " + tool_shell_quoted(command)).c_str());
    LIMITED_RUN run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    run.out = test_read_file(out);
    run.err = test_read_file(err);
    return run;
}

std::string big_report()
{
    std::string xml = "<report><folders><root name=\"main\"/></folders>";
    for (int t = 0; t < 20; ++t) {
        xml += "<table name=\"t" + std::to_string(t) + "\" parent=\"main\">";
        for (int r = 0; r < 2000; ++r)
            xml += "<row><string_cell>row " + std::to_string(r) + " of the table</string_cell><int_cell>" +
                   std::to_string(r * 7) + "</int_cell><delay_cell><delay>" + std::to_string(r) +
                   "</delay><display_option>ps</display_option></delay_cell></row>";
        xml += "</table>";
    }
    return xml + "</report>";
}

TEST(ToolMemoryLimit, WholeOutputOrExitOneNamingTheFile)
{
#ifdef RDBXML_UNDER_SANITIZER
    GTEST_SKIP() << "address-space limits and sanitizers do not mix";
#endif
    TOOL_SCRATCH scratch;
    std::string file = scratch.write("big.xml", big_report());
    const std::string args = "--json " + tool_shell_quoted(file);
    LIMITED_RUN whole = run_limited(scratch, 0, args);
    ASSERT_EQ(whole.status, 0) << whole.err;

    // The smallest limit the tool starts under at all, and the smallest it
    // reads the file under, each to within 1 MiB.
    auto smallest = [&](unsigned long low, unsigned long high, auto works) {
        while (high - low > 1024) {
            unsigned long middle = (low + high) / 2;
            (works(middle) ? high : low) = middle;
        }
        return high;
    };
    unsigned long starts = smallest(1024, 4UL << 20, [&](unsigned long kib) {
        return run_limited(scratch, kib, "--version").status == 0;
    });
    unsigned long reads = smallest(starts, 4UL << 20, [&](unsigned long kib) {
        return run_limited(scratch, kib, args).status == 0;
    });
    ASSERT_GT(reads, starts + 2048) << "the file needs too little memory to test anything";

    int refused = 0;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        unsigned long kib = starts + (reads + 1024 - starts) * static_cast<unsigned long>(i) / steps;
        LIMITED_RUN run = run_limited(scratch, kib, args);
        SCOPED_TRACE("ulimit -v " + std::to_string(kib) + "\n" + run.err.substr(0, 2000));
        if (run.status == 0) {
            EXPECT_TRUE(run.out == whole.out) << "exit 0 with output that is not the whole report";
        } else {
            ++refused;
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(file), std::string::npos) << "the failure does not name the file";
        }
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
