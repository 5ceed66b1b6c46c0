// rdbxml: reads report description files and shows what they hold.
//
// Each input (a file, every report file below a directory, or standard
// input) is parsed on its own and its report, or its failure, printed; one
// failing file does not stop the others. Files are parsed on several
// threads at once, and printed in the order given. Reports go to stdout
// (or, with --html, to page files); each file's warnings and errors, the
// progress line and the tool's own errors to stderr.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <string>

#include <rdbxml/msg.h>
#include "fio_path.h"
#include "gen_util.h"
#include "rdbxml_check.h"
#include "rdbxml_diff.h"
#include "rdbxml_focus.h"
#include "rdbxml_html.h"
#include "rdbxml_index.h"
#include "rdbxml_inputs.h"
#include "rdbxml_ls.h"
#include "rdbxml_names.h"
#include "rdbxml_options.h"
#include "rdbxml_output.h"
#include "rdbxml_parse.h"
#include "rdbxml_progress.h"
#include "rdbxml_reading.h"
#include "rdbxml_runner.h"
#include "rdbxml_select.h"
#include "rdbxml_summary.h"
#include "rdbxml_trend.h"

namespace {

// The bundled example report: where it is installed, relative to the
// tool's own directory, or else in the source tree the tool was built from.
std::string default_example()
{
    FIO_PATH installed(gen_get_module_path());
    installed.filename(RDBXML_INSTALLED_EXAMPLES "/report.xml");
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(installed.fullpath(), nullptr), &std::free);
    if (resolved)
        return resolved.get();
    return RDBXML_SOURCE_EXAMPLES_DIR "/report.xml";
}

int run(int argc, char** argv, std::string& current)
{
    RDBXML_OPTIONS opt;
    int status = rdbxml_read_options(argc, argv, opt);
    if (status >= 0)
        return status;
    // Nothing the parser says reaches stderr but through each file's result.
    msg_set_enabled(false);
    RDBXML_JOB_SETTINGS settings(opt);
    if (opt.verbose)
        settings.verbosity = RDBXML_VERBOSE;

    if (opt.files.empty())
        opt.files.push_back(default_example());
    RDBXML_READING reading;
    status = rdbxml_prepare_reading("rdbxml", opt, opt.files, settings, reading);
    if (status >= 0)
        return status;
    const std::vector<RDBXML_INPUT_FILE>& inputs = reading.inputs;
    std::string error;

    RDBXML_HTML_PAGES pages(opt.html, inputs.size());
    if (!opt.html.empty() && !pages.prepare(error)) {
        std::cerr << rdbxml_tool_message("rdbxml", error);
        return RDBXML_EXIT_USAGE;
    }
    // --csv: into a directory, one of its own per input when there are
    // several; else the one table of the one input.
    bool csv_directory = !opt.csv.empty() && rdbxml_csv_is_directory(opt.csv);
    if (!opt.csv.empty() && !csv_directory && inputs.size() > 1) {
        std::cerr << rdbxml_tool_message("rdbxml",
                                         "--csv " + opt.csv + " takes one table: give one FILE, or a directory (OUT/)");
        return RDBXML_EXIT_USAGE;
    }
    RDBXML_NAMES csv_names;
    std::vector<RDBXML_JOB> jobs;
    for (const RDBXML_INPUT_FILE& input : inputs) {
        RDBXML_JOB job{input, opt.html.empty() ? std::string() : pages.page_path(input.name), opt.csv, csv_directory};
        if (csv_directory && inputs.size() > 1)
            job.csv = (std::filesystem::path(opt.csv) / csv_names.unique(input.name, "")).string();
        jobs.push_back(std::move(job));
    }
    current = inputs.size() == 1 ? inputs[0].name : std::string();

    RDBXML_OUTPUT out(STDOUT_FILENO, "standard output");
    RDBXML_OUTPUT err(STDERR_FILENO, "standard error");
    RDBXML_RUN result;
    // With a directory of pages: what the list of them says of each.
    const std::string index = pages.index_path();
    std::vector<RDB_HTML_LISTED_REPORT> listed;
    {
        RDBXML_PROGRESS_LINE progress(err, !opt.quiet && isatty(STDERR_FILENO) == 1);
        result = rdbxml_run_jobs(jobs, settings, opt.jobs, out, err, progress, rdbxml_run_job,
                                 [&](std::size_t i, RDBXML_JOB_RESULT& job) {
                                     if (index.empty())
                                         return;
                                     std::string page = std::filesystem::path(jobs[i].page).filename().string();
                                     listed.push_back(RDB_HTML_LISTED_REPORT{jobs[i].input.name,
                                                                             job.ok ? page : std::string(), job.ok,
                                                                             job.warnings});
                                 });
    }
    if (!index.empty()) {
        if (!pages.write_index(listed, error)) {
            err.write(rdbxml_tool_message("rdbxml", error));
            result.all_ok = false;
        } else if (!opt.quiet) {
            err.write(rdbxml_tool_message("rdbxml", "list of the pages written to " + index));
        }
    }
    // The last line on stderr, after what is said of the run as a whole.
    std::string summary = opt.quiet ? std::string() : rdbxml_summary_line(result.tally);
    if (out.failed()) {
        rdbxml_say_failure(out);
        return RDBXML_EXIT_SOME_FAILED;
    }
    std::string unmatched = rdbxml_unmatched_selections("rdbxml", opt.select, result.select_matches, "in any file") +
                            rdbxml_unmatched_focus(opt, result.focus_matches);
    if (!unmatched.empty()) {
        err.write(unmatched + summary);
        return RDBXML_EXIT_USAGE;
    }
    err.write(summary);
    if (result.usage)
        return RDBXML_EXIT_USAGE;
    return result.all_ok && !err.failed() ? RDBXML_EXIT_ALL_READ : RDBXML_EXIT_SOME_FAILED;
}

}  // namespace

int main(int argc, char** argv)
{
    // A write past the file-size limit fails with EFBIG and is said, as
    // every failed write is, rather than ending the tool without a word.
    signal(SIGXFSZ, SIG_IGN);
    if (argc > 1 && std::strcmp(argv[1], "check") == 0)
        return rdbxml_check_main(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "diff") == 0)
        return rdbxml_diff_main(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "index") == 0)
        return rdbxml_index_main(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "trend") == 0)
        return rdbxml_trend_main(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "ls") == 0)
        return rdbxml_ls_main(argc - 1, argv + 1);
    // The file being read when memory ran out, for the message.
    std::string current;
    try {
        return run(argc, argv, current);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "rdbxml: out of memory%s%s\n", current.empty() ? "" : " while handling ",
                     current.c_str());
        return RDBXML_EXIT_SOME_FAILED;
    }
}
