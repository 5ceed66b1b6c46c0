#include "rdbxml_diff.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <thread>

#include <CLI/CLI.hpp>

#include <rdbxml/msg.h>
#include <rdbxml/rdb_diff_writer.h>
#include <rdbxml/rdb_report.h>
#include "rdbxml_diff_keys.h"
#include "rdbxml_options.h"
#include "rdbxml_output.h"
#include "rdbxml_parse.h"
#include "rdbxml_select.h"
#include "rdbxml_text.h"
#include "rdbxml_write_file.h"

namespace {

enum { DIFF_SAME = 0, DIFF_DIFFERENT = 1, DIFF_TROUBLE = 2 };

const char* const DESCRIPTION =
    "rdbxml diff shows what changed between two reports: objects added, removed\n"
    "and renamed, changed fields, column titles, rows, cells, gauges and chart\n"
    "points, each as old -> new with the difference of numbers.";

const char* const FOOTER =
    "Objects are paired by path; one removed and one of the same kind added in\n"
    "the same folder with at least 90 % of their rows equal are one renamed\n"
    "object. Rows are paired by key: the columns --key names, else a slack\n"
    "table's endpoints, else the leftmost column whose values are unique in both\n"
    "reports; else they are aligned by their content as diff aligns lines. The\n"
    "heading line of each table says which. Columns are paired by position and\n"
    "named by their titles. Cells compare by value: delays in picoseconds (a\n"
    "changed delay shows both values in their units and the difference in ps),\n"
    "instance names as the file wrote them; a cell's kind is a change of its own.\n"
    "Style-only changes (a cell's colours, a delay of the same picoseconds in\n"
    "another unit) are listed only with --styles; else their count is said on\n"
    "stderr (none with -q) and they do not make the reports differ.\n"
    "\n"
    "--key PATH : COLUMN[, COLUMN...] keys the tables PATH selects (the first\n"
    "--key that selects a table is its key) by those columns, each named by its\n"
    "title in the heading row or by its number from 1. PATH ends at the first\n"
    "\" : \" as in rdbxml check; in the columns a backslash keeps the character\n"
    "after it (\"a\\, b\" is one column). A --key that selects no table in either\n"
    "report is an error before any output; one that cannot key a table it\n"
    "selects (a missing column, a key that repeats) is an error after it, since\n"
    "those rows were aligned by content instead.\n"
    "\n"
    "Colour (--color=auto) is used when stdout is a terminal, NO_COLOR is unset\n"
    "or empty and TERM is not dumb; --color=always colours anyway. --json and\n"
    "--html are never coloured.\n"
    "\n"
    "Either file may be - for standard input. Warnings and errors of the files go\n"
    "to stderr as FILE:LINE:COL: error: MESSAGE (none with -q); an output that\n"
    "cannot be written is said even with -q.\n"
    "\n"
    "Exit status (as diff's):\n"
    "  0  the reports are the same (in what --select selects; style-only changes\n"
    "     count only with --styles)\n"
    "  1  they differ\n"
    "  2  trouble: a file that gives no report (with --strict: one with any\n"
    "     warning), a usage error, a --select PATTERN or a --key that selects\n"
    "     nothing in either report, a --key that cannot key a table it selects,\n"
    "     a failed write\n"
    "\n"
    "Examples:\n"
    "  rdbxml diff run1.xml.gz run2.xml.gz\n"
    "  rdbxml diff --stat run1.xml run2.xml\n"
    "  rdbxml diff --key 'main/timing/Paths : From, To' run1.xml run2.xml\n"
    "  rdbxml diff --select 'main/timing/**' --styles run1.xml run2.xml\n"
    "  rdbxml diff --color=always run1.xml run2.xml | less -R\n"
    "  rdbxml diff --json run1.xml run2.xml | jq -r 'select(.kind==\"cell_value\")'\n"
    "  rdbxml diff --html changes.html run1.xml run2.xml\n";

struct DIFF_OPTIONS {
    std::string old_file, new_file;
    bool json = false;
    std::string html;
    std::vector<std::string> select;
    std::vector<std::string> keys;
    std::string color = "auto";
    bool stat = false;
    bool ignore_colours = false;
    bool styles = false;
    bool schema = false;
    bool no_namespaces = false;
    bool quiet = false;
    bool strict = false;
};

int usage_error(const std::string& reason) { return rdbxml_usage_error("rdbxml diff", reason, DIFF_TROUBLE); }

// -1 to go on, else the exit status.
int read_options(int argc, char** argv, DIFF_OPTIONS& options)
{
    CLI::App app{DESCRIPTION, "rdbxml diff"};
    app.get_formatter()->column_width(26);
    app.add_option("OLD", options.old_file, "the earlier report")->required()->type_name("");
    app.add_option("NEW", options.new_file, "the later report")->required()->type_name("");
    app.add_flag("--json", options.json, "one JSON object per change and line");
    app.add_option("--html", options.html, "write the changes as a web page to OUT (- for stdout)")->type_name("OUT");
    app.add_option("--select", options.select, "compare only what PATTERN selects in either report (repeatable)")
        ->type_name("PATTERN")
        ->take_last();
    app.add_option("--key", options.keys, "'PATH : COLUMN[, COLUMN...]': key those tables' rows (repeatable)")
        ->type_name("KEY")
        ->take_last();
    app.add_flag("--stat", options.stat, "one line per changed object with its counts, then the totals");
    app.add_option("--color", options.color, "colour the text: auto (a terminal, no NO_COLOR), always or never")
        ->type_name("WHEN");
    app.add_flag("--styles", options.styles, "list style-only changes too: cell colours, a delay's unit");
    app.add_flag("--ignore-colours", options.ignore_colours, "accepted for older scripts; does nothing");
    app.add_flag("--schema", options.schema, "validate against rdb_schema.xsd (and namespaces)");
    app.add_flag("--no-namespaces", options.no_namespaces, "switch namespace processing off");
    app.add_flag("--strict", options.strict, "a file with any warning gives no report (exit 2)");
    app.add_flag("-q,--quiet", options.quiet, "print no warnings or errors of the files");
    app.set_help_flag("-h,--help", "print this help and exit");
    app.footer(FOOTER);
    if (int status = rdbxml_parse_command_line(app, argc, argv, "rdbxml diff", DIFF_TROUBLE, DIFF_TROUBLE); status >= 0)
        return status;
    if (options.json && !options.html.empty())
        return usage_error("--json and --html exclude each other");
    if (options.color != "auto" && options.color != "always" && options.color != "never")
        return usage_error("--color " + options.color + ": not auto, always or never");
    if (options.stat && (options.json || !options.html.empty()))
        return usage_error("--stat excludes --json and --html");
    if (options.old_file == "-" && options.new_file == "-")
        return usage_error("only one of OLD and NEW can be standard input");
    return -1;
}

// Whether to colour the text: --color, and for auto the terminal and the
// environment.
bool use_colour(const std::string& when)
{
    if (when != "auto")
        return when == "always";
    const char* no_color = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    return isatty(STDOUT_FILENO) == 1 && (no_color == nullptr || *no_color == '\0') &&
        !(term != nullptr && std::strcmp(term, "dumb") == 0);
}

// Hands what the writers made to `out` in blocks, not all at the end.
class DIFF_PRINTER {
public:
    explicit DIFF_PRINTER(RDBXML_OUTPUT& out) : m_out(out) {}
    std::ostream& stream() { return m_text; }
    void flush_if_full()
    {
        if (m_text.tellp() >= (1 << 16))
            flush();
    }
    void flush() { m_out.write(m_text.take()); }

private:
    RDBXML_OUTPUT& m_out;
    RDBXML_TEXT m_text;
};

int run(int argc, char** argv)
{
    DIFF_OPTIONS opt;
    int status = read_options(argc, argv, opt);
    if (status >= 0)
        return status;
    RDB_DIFF_OPTIONS diff;
    diff.m_styles = opt.styles;
    if (std::string error = rdbxml_select_error(opt.select); !error.empty())
        return usage_error(error);
    for (const std::string& text : opt.select)
        diff.m_select.emplace_back(text);
    if (std::string error = rdbxml_read_diff_keys(opt.keys, diff.m_keys); !error.empty())
        return usage_error(error);
    msg_set_enabled(false);

    RDBXML_OPTIONS parse;
    parse.schema = opt.schema;
    parse.no_namespaces = opt.no_namespaces;
    parse.strict = opt.strict;
    parse.quiet = opt.quiet;
    RDBXML_JOB_SETTINGS settings(parse);
    RDBXML_INPUT_FILE inputs[2] = {{opt.old_file, opt.old_file == "-"}, {opt.new_file, opt.new_file == "-"}};

    // Both files at once: the comparison waits for the slower one only.
    RDBXML_PARSED parsed[2];
    bool old_out_of_memory = false;
    std::thread old_parse([&] {
        try {
            parsed[0] = rdbxml_parse_input(inputs[0], settings, RDB_XML_PROGRESS());
        } catch (const std::bad_alloc&) {
            old_out_of_memory = true;
        }
    });
    try {
        parsed[1] = rdbxml_parse_input(inputs[1], settings, RDB_XML_PROGRESS());
    } catch (...) {
        old_parse.join();
        throw;
    }
    old_parse.join();
    if (old_out_of_memory)
        throw std::bad_alloc();

    RDBXML_OUTPUT out(STDOUT_FILENO, "standard output");
    RDBXML_OUTPUT err(STDERR_FILENO, "standard error");
    err.write(parsed[0].err + parsed[1].err);
    if (!parsed[0].report || !parsed[1].report)
        return DIFF_TROUBLE;
    const RDB_FOLDER_OBJECT* old_top = parsed[0].report->get_main_folder();
    const RDB_FOLDER_OBJECT* new_top = parsed[1].report->get_main_folder();
    // A pattern that selects nothing in either report would compare nothing
    // and say "no differences".
    std::vector<std::size_t> matches;
    rdbxml_count_select_matches(old_top, opt.select, matches);
    rdbxml_count_select_matches(new_top, opt.select, matches);
    std::string unmatched = rdbxml_unmatched_selections("rdbxml diff", opt.select, matches, "in either report");
    unmatched += rdbxml_unmatched_diff_keys(old_top, new_top, opt.keys, diff.m_keys);
    if (!unmatched.empty()) {
        err.write(unmatched);
        return DIFF_TROUBLE;
    }

    std::size_t changes = 0;
    RDB_DIFF_TOTALS totals;
    if (!opt.html.empty()) {
        std::vector<RDB_DIFF_CHANGE> list;
        changes = rdb_diff_reports(
            old_top, new_top, diff, [&](const RDB_DIFF_CHANGE& change) { list.push_back(change); }, totals);
        RDBXML_TEXT page;
        rdb_write_diff_html(list, page, opt.old_file, opt.new_file);
        if (opt.html == "-") {
            out.write(page.take());
        } else if (std::string error; !rdbxml_write_file(opt.html, page.take(), error)) {
            std::cerr << rdbxml_tool_message("rdbxml", error);
            return DIFF_TROUBLE;
        }
    } else if (opt.stat) {
        RDB_DIFF_STAT_WRITER stat;
        changes = rdb_diff_reports(
            old_top, new_top, diff, [&](const RDB_DIFF_CHANGE& change) { stat.add(change); }, totals);
        DIFF_PRINTER printer(out);
        stat.finish(printer.stream(), totals.m_style_only);
        printer.flush();
    } else {
        DIFF_PRINTER printer(out);
        RDB_DIFF_TEXT_WRITER text(printer.stream(), opt.old_file, opt.new_file, use_colour(opt.color));
        changes = rdb_diff_reports(
            old_top, new_top, diff,
            [&](const RDB_DIFF_CHANGE& change) {
                if (opt.json)
                    rdb_write_diff_json(change, printer.stream());
                else
                    text.write(change);
                printer.flush_if_full();
            },
            totals);
        printer.flush();
    }
    if (out.failed()) {
        rdbxml_say_failure(out);
        return DIFF_TROUBLE;
    }
    if (totals.m_style_only != 0 && !opt.quiet)
        err.write(rdbxml_tool_message("rdbxml diff", std::to_string(totals.m_style_only) + " style-only change" +
                                                         (totals.m_style_only == 1 ? "" : "s") +
                                                         " not listed (--styles lists them)"));
    if (std::string unusable = rdbxml_unusable_diff_keys(opt.keys, totals); !unusable.empty()) {
        err.write(unusable);
        return DIFF_TROUBLE;
    }
    return changes == 0 ? DIFF_SAME : DIFF_DIFFERENT;
}

}  // namespace

int rdbxml_diff_main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "rdbxml: out of memory while comparing\n");
        return DIFF_TROUBLE;
    }
}
