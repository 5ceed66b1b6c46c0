#include "rdbxml_ls.h"

#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include <rdbxml/msg.h>
#include <rdbxml/rdb_path.h>
#include <rdbxml/rdb_text_writer.h>
#include "rdbxml_inputs.h"
#include "rdbxml_ls_job.h"
#include "rdbxml_options.h"
#include "rdbxml_output.h"
#include "rdbxml_parse.h"
#include "rdbxml_reading.h"
#include "rdbxml_runner.h"
#include "rdbxml_select.h"
#include "rdbxml_summary.h"

namespace {

const char* const DESCRIPTION =
    "rdbxml ls lists the objects of reports, one a line: the path that --select\n"
    "matches, the kind, and the size (a table's data rows, a summary's rows and\n"
    "gauges, a chart's points, a folder's objects, a text's lines).";

const char* const FOOTER =
    "Several files: each file's objects under a line naming the file. With --json,\n"
    "one JSON object per object and line: {\"file\", \"path\", \"kind\"} and, as the\n"
    "kind has them, \"objects\", \"rows\", \"gauges\", \"points\", \"lines\". A\n"
    "directory stands for the report files below it, - for standard input.\n"
    "Warnings and errors of the files go to stderr as FILE:LINE:COL: error: MESSAGE\n"
    "(none with -q).\n"
    "\n"
    "Exit status (as rdbxml's):\n"
    "  0  every FILE gave a report\n"
    "  1  some FILE gave no report, or an output could not be written\n"
    "  2  usage error; or a --select PATTERN that matched nothing in any FILE\n"
    "\n"
    "Examples:\n"
    "  rdbxml ls run.xml.gz\n"
    "  rdbxml ls --select 'main/timing/**' runs/\n"
    "  rdbxml ls --json run.xml | jq -r 'select(.kind==\"tan_slack_table\") | .path'\n";

int usage_error(const std::string& reason) { return rdbxml_usage_error("rdbxml ls", reason); }

// -1 to go on, else the exit status.
int read_options(int argc, char** argv, RDBXML_OPTIONS& options)
{
    CLI::App app{DESCRIPTION, "rdbxml ls"};
    app.get_formatter()->column_width(26);
    app.add_option("FILE", options.files, "report files, each read on its own")->required()->type_name("");
    app.add_flag("--json", options.json, "one JSON line per object: {\"file\",\"path\",\"kind\",...}");
    app.add_option("--select", options.select, "list the objects whose path matches (may be repeated)")
        ->type_name("PATTERN")
        ->allow_extra_args(false);
    app.add_flag("--schema", options.schema, "validate against rdb_schema.xsd (and namespaces)");
    app.add_flag("--no-namespaces", options.no_namespaces, "switch namespace processing off");
    app.add_flag("--strict", options.strict, "fail a file that has any warning (exit 1)");
    app.add_flag("-q,--quiet", options.quiet, "print no warnings or errors of the files");
    app.set_help_flag("-h,--help", "print this help and exit");
    app.footer(FOOTER);
    if (int status = rdbxml_parse_command_line(app, argc, argv, "rdbxml ls"); status >= 0)
        return status;
    if (std::string error = rdbxml_select_error(options.select); !error.empty())
        return usage_error(error);
    return -1;
}

int run(int argc, char** argv)
{
    RDBXML_OPTIONS opt;
    int status = read_options(argc, argv, opt);
    if (status >= 0)
        return status;
    msg_set_enabled(false);
    RDBXML_JOB_SETTINGS settings(opt);
    RDBXML_READING reading;
    status = rdbxml_prepare_reading("rdbxml ls", opt, opt.files, settings, reading);
    if (status >= 0)
        return status;
    const std::vector<RDBXML_INPUT_FILE>& inputs = reading.inputs;
    std::vector<RDBXML_JOB> jobs;
    for (const RDBXML_INPUT_FILE& input : inputs)
        jobs.push_back(RDBXML_JOB{input, std::string(), std::string(), false});

    RDBXML_OUTPUT out(STDOUT_FILENO, "standard output");
    RDBXML_OUTPUT err(STDERR_FILENO, "standard error");
    RDBXML_RUN result;
    bool listed = false;
    {
        RDBXML_PROGRESS_LINE progress(err, !opt.quiet && isatty(STDERR_FILENO) == 1);
        result = rdbxml_run_jobs(jobs, settings, opt.jobs, out, err, progress, rdbxml_run_ls_job,
                                 [&](std::size_t i, RDBXML_JOB_RESULT& file) {
                                     // A heading per file, its name escaped as the tree escapes texts.
                                     if (inputs.size() > 1 && !opt.json && file.ok) {
                                         file.out.insert(0, (listed ? "\n" : "") + rdb_text_escaped(inputs[i].name) + ":\n");
                                         listed = true;
                                     }
                                 });
    }
    std::string summary = opt.quiet ? std::string() : rdbxml_summary_line(result.tally);
    if (out.failed()) {
        rdbxml_say_failure(out);
        return RDBXML_EXIT_SOME_FAILED;
    }
    std::vector<std::size_t>& matches = result.select_matches;
    std::string unmatched = rdbxml_unmatched_selections("rdbxml ls", opt.select, matches, "in any file");
    if (!unmatched.empty()) {
        err.write(unmatched + summary);
        return RDBXML_EXIT_USAGE;
    }
    err.write(summary);
    return result.all_ok && !err.failed() ? RDBXML_EXIT_ALL_READ : RDBXML_EXIT_SOME_FAILED;
}

}  // namespace

int rdbxml_ls_main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "rdbxml: out of memory while listing\n");
        return RDBXML_EXIT_SOME_FAILED;
    }
}
