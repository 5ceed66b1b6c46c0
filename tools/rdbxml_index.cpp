#include "rdbxml_index.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include <rdbxml/msg.h>
#include <rdbxml/rdb_text_writer.h>
#include "rdb_index.h"
#include "rdbxml_inputs.h"
#include "rdbxml_options.h"
#include "rdbxml_output.h"
#include "rdbxml_parse.h"
#include "rdbxml_reading.h"
#include "rdbxml_summary.h"

namespace {

const char* const TOOL = "rdbxml index";

const char* const DESCRIPTION =
    "rdbxml index keeps an SQLite database of runs: the figures of each report\n"
    "(objects, gauges, summary rows, chart points, column statistics, the rows of\n"
    "speed tables and the worst row of slack tables), for questions over all runs.";

const char* const FOOTER =
    "A file whose path, size and modification time are unchanged since it was\n"
    "indexed is not read again; a changed one replaces its run. Each run goes in\n"
    "whole or not at all. A file that gives no report is kept as a failed run with\n"
    "its first error. A run's time is its file's modification time (or --time),\n"
    "its label the file's path below the DIR it was found in, or as given.\n"
    "A second rdbxml index on the same DB waits for the first (--wait).\n"
    "Warnings and errors of the files go to stderr as FILE:LINE:COL: error: MESSAGE\n"
    "(none with -q); -v says on stdout what became of each file.\n"
    "\n"
    "Exit status:\n"
    "  0  every FILE gave a report, and all went into DB\n"
    "  1  some FILE gave no report (kept as a failed run) or could not be read;\n"
    "     or DB could not be opened, refused a write (left as it was), or was busy\n"
    "  2  usage error\n"
    "\n"
    "Examples:\n"
    "  rdbxml index runs.db nightly/\n"
    "  rdbxml index --prune -j 8 runs.db nightly/\n"
    "  rdbxml index --label r1042 --time '2026-12-07 02:00' runs.db run.xml.gz\n"
    "  sqlite3 runs.db 'SELECT label, name, percent FROM gauge_trend ORDER BY time'\n";

struct INDEX_OPTIONS {
    RDBXML_OPTIONS reading;
    std::string db;
    bool prune = false;
    bool cells = false;
    std::string time;
    std::string label;
    double wait = 60;
    std::int64_t time_ns = -1;
};

int usage_error(const std::string& reason) { return rdbxml_usage_error(TOOL, reason); }

// -1 to go on, else the exit status.
int read_options(int argc, char** argv, INDEX_OPTIONS& options)
{
    RDBXML_OPTIONS& reading = options.reading;
    CLI::App app{DESCRIPTION, TOOL};
    app.get_formatter()->column_width(26);
    app.add_option("DB", options.db, "the index: an SQLite database, made when missing")->required()->type_name("");
    app.add_option("FILE", reading.files, "report files, or directories of them")->required()->type_name("");
    const char* const runs = "Runs";
    app.add_flag("--prune", options.prune, "drop the runs whose file is gone")->group(runs);
    app.add_flag("--cells", options.cells, "keep every cell of every table too (a larger DB)")->group(runs);
    app.add_option("--time", options.time, "the run's time: YYYY-MM-DD[ HH:MM[:SS]] UTC, or @SECONDS")
        ->type_name("T")
        ->group(runs);
    app.add_option("--label", options.label, "the run's label (one FILE only)")->type_name("L")->group(runs);
    app.add_option("--wait", options.wait, "wait that long for another writer of DB (default 60)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 1e6).description(""))
        ->group(runs);
    rdbxml_add_reading_options(app, reading);
    app.add_flag("-q,--quiet", reading.quiet, "print no warnings or errors of the files")->group(RDBXML_OTHER_GROUP);
    app.add_flag("-v,--verbose", reading.verbose, "say what became of each file, on stdout")
        ->group(RDBXML_OTHER_GROUP);
    app.set_help_flag("-h,--help", "print this help and exit")->group(RDBXML_OTHER_GROUP);
    app.footer(FOOTER);
    if (int status = rdbxml_parse_command_line(app, argc, argv, TOOL); status >= 0)
        return status;
    if (!options.time.empty() && !rdb_index_read_time(options.time, options.time_ns))
        return usage_error("--time " + options.time + ": not a time (YYYY-MM-DD[ HH:MM[:SS]], or @SECONDS)");
    for (const std::string& file : reading.files)
        if (file == "-")
            return usage_error("standard input cannot be indexed: give the report's file");
    return -1;
}

// The files the arguments stand for, each labelled with its path below the
// directory it was found in (a file given: as given).
std::vector<RDB_INDEX_FILE> files_to_index(const std::vector<std::string>& arguments,
                                           std::vector<std::string>& empty_directories)
{
    std::vector<RDB_INDEX_FILE> files;
    for (const std::string& argument : arguments) {
        for (RDBXML_INPUT_FILE& input : rdbxml_expand_inputs({argument})) {
            if (input.empty_directory) {
                empty_directories.push_back(input.name);
                continue;
            }
            std::string label = input.name;
            if (input.name != argument)
                label = std::filesystem::path(input.name).lexically_relative(argument).string();
            files.push_back(RDB_INDEX_FILE{input.name, label, -1});
        }
    }
    return files;
}

const char* outcome_word(const RDB_INDEX_OUTCOME& outcome)
{
    switch (outcome.m_what) {
    case RDB_INDEX_OUTCOME::SKIPPED:
        return "unchanged";
    case RDB_INDEX_OUTCOME::GOOD:
        return "indexed";
    case RDB_INDEX_OUTCOME::FAILED:
        return "failed (kept as a failed run)";
    case RDB_INDEX_OUTCOME::UNREADABLE:
        return "not read";
    case RDB_INDEX_OUTCOME::WRITE_FAILED:
        break;
    }
    return "not written";
}

int run(int argc, char** argv)
{
    INDEX_OPTIONS opt;
    int status = read_options(argc, argv, opt);
    if (status >= 0)
        return status;
    RDBXML_OPTIONS& reading = opt.reading;
    msg_set_enabled(false);
    RDBXML_JOB_SETTINGS settings(reading);
    RDBXML_READING prepared;
    status = rdbxml_prepare_reading(TOOL, reading, reading.files, settings, prepared);
    if (status >= 0)
        return status;
    std::vector<std::string> empty_directories;
    std::vector<RDB_INDEX_FILE> files = files_to_index(reading.files, empty_directories);
    if ((!opt.label.empty() || !opt.time.empty()) && files.size() + empty_directories.size() > 1)
        return usage_error(std::string(opt.label.empty() ? "--time" : "--label") +
                           " names one run: give one FILE");
    if (files.size() == 1) {
        if (!opt.label.empty())
            files[0].m_label = opt.label;
        files[0].m_time_ns = opt.time_ns;
    }

    RDBXML_OUTPUT out(STDOUT_FILENO, "standard output");
    RDBXML_OUTPUT err(STDERR_FILENO, "standard error");
    std::string error;
    std::unique_ptr<RDB_INDEX_DB> db = RDB_INDEX_DB::open(opt.db, opt.wait, false, error);
    if (!db) {
        err.write(rdbxml_tool_message(TOOL, error));
        return RDBXML_EXIT_SOME_FAILED;
    }
    RDBXML_TALLY tally;
    std::size_t unchanged = 0;
    for (const std::string& directory : empty_directories) {
        ++tally.files;
        if (!reading.quiet)
            err.write(rdbxml_file_message(directory, "error",
                                          "no report file below this directory (*.xml, *.xml.gz, *.xml.zst, *.xml.xz)"));
    }
    RDB_INDEX_OPTIONS options;
    options.m_threads = reading.jobs;
    options.m_cells = opt.cells;
    options.m_parse = [&settings](const std::string& path, bool cells) {
        RDBXML_PARSED parsed = rdbxml_parse_input(RDBXML_INPUT_FILE{path, false, false}, settings, RDB_XML_PROGRESS());
        return rdb_index_measure(std::move(parsed.report), std::move(parsed.err), std::move(parsed.failure),
                                 parsed.warnings, cells);
    };
    bool written = rdb_index_add(*db, files, options, [&](const RDB_INDEX_OUTCOME& outcome) {
        if (outcome.m_what == RDB_INDEX_OUTCOME::WRITE_FAILED) {
            err.write(rdbxml_tool_message(TOOL, outcome.m_error));
            return;
        }
        ++tally.files;
        tally.good += outcome.m_good;
        tally.warned += outcome.m_warnings > 0;
        unchanged += outcome.m_what == RDB_INDEX_OUTCOME::SKIPPED;
        if (!reading.quiet)
            err.write(outcome.m_messages);
        if (reading.verbose)
            out.write(rdb_text_escaped(outcome.m_file->m_path) + ": " + outcome_word(outcome) + "\n");
    });
    bool pruned = true;
    if (written && opt.prune) {
        long dropped = db->prune(error);
        pruned = dropped >= 0;
        if (!pruned)
            err.write(rdbxml_tool_message(TOOL, error));
        else if (reading.verbose)
            out.write(rdb_text_escaped(opt.db) + ": " + std::to_string(dropped) + " runs of files gone dropped\n");
    }
    db.reset();
    if (!reading.quiet && written) {
        std::string summary = rdbxml_summary_line(tally);
        if (!summary.empty() && unchanged > 0)
            summary.insert(summary.size() - 1, ", " + std::to_string(unchanged) + " unchanged");
        err.write(summary);
    }
    if (out.failed()) {
        rdbxml_say_failure(out);
        return RDBXML_EXIT_SOME_FAILED;
    }
    bool all_good = tally.good == tally.files;
    return written && pruned && all_good && !err.failed() ? RDBXML_EXIT_ALL_READ : RDBXML_EXIT_SOME_FAILED;
}

}  // namespace

int rdbxml_index_main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "rdbxml index: out of memory\n");
        return RDBXML_EXIT_SOME_FAILED;
    }
}
