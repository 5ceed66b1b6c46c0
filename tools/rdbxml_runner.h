// Runs the tool's jobs on several threads and prints their results in the
// order of the inputs, each file's standard output and standard error
// together, byte for byte what one thread would print. At most `threads`
// reports are alive at once (one per running job), and a job starts only
// while fewer than twice that many are running or waiting to be printed. Threads that cannot be
// started leave the work to those that could, down to the calling thread
// alone.
#pragma once

#include <functional>
#include <vector>

#include "rdbxml_job.h"
#include "rdbxml_output.h"
#include "rdbxml_progress.h"
#include "rdbxml_summary.h"

struct RDBXML_RUN {
    bool all_ok = true;  // every job gave its report (and its page)
    bool usage = false;  // a job could not do what was asked of it
    // Per --select pattern, the objects it matched in all the reports;
    // empty when no file gave a report.
    std::vector<std::size_t> select_matches;
    // The same for the names of --where and --sort: tables.
    std::vector<std::size_t> focus_matches;
    // The files printed: good when their job was ok.
    RDBXML_TALLY tally;
};

// What a job does with its file (the main tool's is rdbxml_run_job); called
// on the runner's threads, several at once.
using RDBXML_JOB_FUNCTION = std::function<RDBXML_JOB_RESULT(const RDBXML_JOB&, const RDBXML_JOB_SETTINGS&,
                                                            const RDB_XML_PROGRESS&)>;
// Sees each job's result (its index in `jobs`) in the order of the jobs,
// on the calling thread, just before its text is printed.
using RDBXML_RESULT_SEEN = std::function<void(std::size_t, RDBXML_JOB_RESULT&)>;

// Prints to `out` and `err` until a write fails; the failure is then in
// their error(). `threads` 0 is one per core.
RDBXML_RUN rdbxml_run_jobs(const std::vector<RDBXML_JOB>& jobs, const RDBXML_JOB_SETTINGS& settings,
                           unsigned threads, RDBXML_OUTPUT& out, RDBXML_OUTPUT& err, RDBXML_PROGRESS_LINE& progress,
                           const RDBXML_JOB_FUNCTION& function = rdbxml_run_job,
                           const RDBXML_RESULT_SEEN& seen = RDBXML_RESULT_SEEN());
