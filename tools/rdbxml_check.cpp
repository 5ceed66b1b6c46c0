#include "rdbxml_check.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include <rdbxml/msg.h>
#include "rdbxml_check_job.h"
#include "rdbxml_check_options.h"
#include "rdbxml_check_text.h"
#include "rdbxml_check_verdict.h"
#include "rdbxml_junit.h"
#include "rdbxml_output.h"
#include "rdbxml_parse.h"
#include "rdbxml_reading.h"
#include "rdbxml_runner.h"
#include "rdbxml_summary.h"
#include "rdbxml_write_file.h"

namespace {

// What is said on stderr once every file is read: a warning in each file
// where a usable rule found nothing, then each unusable rule.
std::string run_messages(const RDBXML_CHECK_OPTIONS& opt, const std::vector<RDBXML_CHECKED_FILE>& files,
                         const std::vector<std::string>& unusable)
{
    std::string said;
    for (const RDBXML_CHECKED_FILE& file : files) {
        if (opt.reading.quiet || !file.read)
            continue;
        for (std::size_t r = 0; r < opt.rules.size(); ++r)
            if (unusable[r].empty() && rdbxml_rule_skipped(file.rules[r]))
                said += rdbxml_file_message(
                    file.name, "warning",
                    opt.rules[r].get_text() + ": " +
                        rdbxml_rule_unasked_text(opt.rules[r], file.rules[r].m_status, "in this file"));
    }
    for (std::size_t r = 0; r < opt.rules.size(); ++r)
        if (!unusable[r].empty())
            said += rdbxml_tool_message("rdbxml check", opt.rules[r].get_text() + ": " + unusable[r]);
    return said;
}

int run(int argc, char** argv)
{
    RDBXML_CHECK_OPTIONS opt;
    int status = rdbxml_read_check_options(argc, argv, opt);
    if (status >= 0)
        return status;
    // Nothing the parser says reaches stderr but through each file's result.
    msg_set_enabled(false);
    RDBXML_JOB_SETTINGS settings(opt.reading);
    RDBXML_READING reading;
    status = rdbxml_prepare_reading("rdbxml check", opt.reading, opt.reading.files, settings, reading);
    if (status >= 0)
        return status;

    std::vector<RDBXML_JOB> jobs;
    std::vector<RDBXML_CHECKED_FILE> files(reading.inputs.size());
    for (std::size_t i = 0; i < reading.inputs.size(); ++i) {
        jobs.push_back(RDBXML_JOB{reading.inputs[i], std::string(), std::string(), false});
        files[i].name = reading.inputs[i].name;
    }
    RDBXML_CHECK_SETTINGS check;
    check.rules = &opt.rules;
    check.rows_out = opt.junit != "-";
    check.holds_out = opt.reading.verbose;

    RDBXML_OUTPUT out(STDOUT_FILENO, "standard output");
    RDBXML_OUTPUT err(STDERR_FILENO, "standard error");
    RDBXML_RUN result;
    {
        RDBXML_PROGRESS_LINE progress(err, !opt.reading.quiet && isatty(STDERR_FILENO) == 1);
        result = rdbxml_run_jobs(
            jobs, settings, opt.reading.jobs, out, err, progress,
            [&check](const RDBXML_JOB& job, const RDBXML_JOB_SETTINGS& job_settings,
                     const RDB_XML_PROGRESS& job_progress) {
                return rdbxml_check_job(job, job_settings, job_progress, check);
            },
            [&files, &opt](std::size_t i, RDBXML_JOB_RESULT& file) {
                // Every rule has its outcome once the file gave a report.
                files[i].read = file.rules.size() == opt.rules.size();
                files[i].warnings = file.warnings;
                files[i].failure = std::move(file.failure);
                files[i].rules = std::move(file.rules);
                // Memory ran out in the job, with no word of its own kept.
                if (!files[i].read && files[i].failure.empty())
                    files[i].failure = rdbxml_file_message(files[i].name, "error", "out of memory");
            });
    }
    if (out.failed()) {
        rdbxml_say_failure(out);
        return RDBXML_EXIT_SOME_FAILED;
    }
    std::vector<std::string> unusable = rdbxml_unusable_rules(opt.rules, files);
    err.write(run_messages(opt, files, unusable));

    bool written = true;
    if (!opt.junit.empty()) {
        std::string junit = rdbxml_junit(opt.rules, files, unusable);
        std::string error;
        if (opt.junit == "-") {
            written = out.write(junit);
            if (!written)
                rdbxml_say_failure(out);
        } else if (!rdbxml_write_file(opt.junit, junit, error)) {
            err.write(rdbxml_tool_message("rdbxml check", error));
            written = false;
        }
    }
    if (!opt.reading.quiet)
        err.write(rdbxml_summary_line(rdbxml_check_tally(files, unusable)));
    if (std::any_of(unusable.begin(), unusable.end(), [](const std::string& why) { return !why.empty(); }))
        return RDBXML_EXIT_USAGE;
    return result.all_ok && written && !err.failed() ? RDBXML_EXIT_ALL_READ : RDBXML_EXIT_SOME_FAILED;
}

}  // namespace

int rdbxml_check_main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "rdbxml check: out of memory\n");
        return RDBXML_EXIT_SOME_FAILED;
    }
}
