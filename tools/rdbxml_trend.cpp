#include "rdbxml_trend.h"

#include <unistd.h>

#include <cstdio>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_trend_writer.h>
#include "rdb_index_trend.h"
#include "rdbxml_options.h"
#include "rdbxml_output.h"
#include "rdbxml_parse.h"
#include "rdbxml_write_file.h"

namespace {

const char* const TOOL = "rdbxml trend";

const char* const DESCRIPTION =
    "rdbxml trend follows values over the runs of an index that rdbxml index\n"
    "keeps: one line per run and path, in time order.";

const char* const FOOTER =
    "A SELECTOR is a rule of rdbxml check without OP and VALUE:\n"
    "\n"
    "  PATH : NAME [COLUMN = TEXT]\n"
    "\n"
    "In each run, at each path that PATH matches (or that lies below a folder it\n"
    "matches), NAME is a gauge (its value and percent), else a summary row (its\n"
    "text), else the column headed NAME, of which --stat says what is shown.\n"
    "[COLUMN = TEXT] asks instead for the cell in column NAME of the first row\n"
    "whose COLUMN reads TEXT. Names compare ignoring case and surrounding blanks.\n"
    "Delays are in picoseconds (ps), whatever unit each report showed them in.\n"
    "\n"
    "Each line: TIME LABEL PATH VALUE. A run where the selector finds nothing is\n"
    "a gap: \"-\" (empty in CSV, null in JSON), never a zero; a failed run is a\n"
    "gap marked \"(failed)\". Several selectors: each one's lines under a line\n"
    "naming it. --csv and --json give the same records: selector, time, label,\n"
    "path, status, kind (gauge, summary_row, column, cell), value, unit,\n"
    "percent, text. --html OUT writes a page with a line chart per selector\n"
    "instead of the text (a regular file OUT is replaced whole or not at all, a\n"
    "FIFO or device written through; - is stdout).\n"
    "\n"
    "An index keeps every row of a speed table, and of a slack table only the\n"
    "worst; a row filter on any other table needs the runs indexed with --cells.\n"
    "Where some runs lack those rows, stderr says so (not with -q).\n"
    "\n"
    "Exit status:\n"
    "  0  the values were printed\n"
    "  1  DB could not be opened or read, or an output could not be written\n"
    "  2  usage error: a SELECTOR that does not parse, or that finds nothing in\n"
    "     any run (its PATH matches nothing, no object has NAME, no row reads\n"
    "     TEXT, or the rows it needs were not kept: index with --cells)\n"
    "\n"
    "Examples:\n"
    "  rdbxml trend runs.db '**/Flow summary : Logic elements'\n"
    "  rdbxml trend runs.db 'main/timing/Setup slack : Slack' --stat min --csv\n"
    "  rdbxml trend runs.db 'main/timing/Fmax : Fmax [Clock = clk_core]' --html trend.html\n";

struct TREND_OPTIONS {
    std::string db;
    std::vector<std::string> selectors;
    std::string stat = "min";
    bool csv = false;
    bool json = false;
    std::string html;
    bool quiet = false;
};

int usage_error(const std::string& reason) { return rdbxml_usage_error(TOOL, reason); }

// -1 to go on, else the exit status.
int read_options(int argc, char** argv, TREND_OPTIONS& options, std::vector<RDB_SELECTOR>& selectors,
                 RDB_TREND_STAT& stat)
{
    CLI::App app{DESCRIPTION, TOOL};
    app.get_formatter()->column_width(26);
    app.add_option("DB", options.db, "the index (rdbxml index), opened read-only")->required()->type_name("");
    app.add_option("SELECTOR", options.selectors, "'PATH : NAME [COLUMN = TEXT]' (one or more)")
        ->required()
        ->type_name("");
    std::map<std::string, RDB_TREND_STAT> stats;
    for (RDB_TREND_STAT s : {RDB_TREND_MIN, RDB_TREND_MAX, RDB_TREND_SUM, RDB_TREND_COUNT, RDB_TREND_NEGATIVES})
        stats[rdb_trend_stat_name(s)] = s;
    app.add_option("--stat", options.stat, "of a column: min (default), max, sum, count or negatives")
        ->type_name("S")
        ->check(CLI::IsMember({"min", "max", "sum", "count", "negatives"}));
    app.add_flag("--csv", options.csv, "CSV on stdout: a heading line, then one line per record");
    app.add_flag("--json", options.json, "one JSON object per record and line on stdout");
    app.add_option("--html", options.html, "write a page of line charts to OUT (- for stdout)")->type_name("OUT");
    app.add_flag("-q,--quiet", options.quiet, "say nothing of runs that lack the rows a filter needs");
    app.set_help_flag("-h,--help", "print this help and exit");
    app.footer(FOOTER);
    if (int status = rdbxml_parse_command_line(app, argc, argv, TOOL); status >= 0)
        return status;
    if (options.csv && options.json)
        return usage_error("--csv and --json exclude each other");
    if (options.html == "-" && (options.csv || options.json))
        return usage_error("--html - takes stdout: leave out --csv and --json");
    stat = stats[options.stat];
    for (const std::string& text : options.selectors) {
        selectors.emplace_back(text);
        if (!selectors.back().is_valid())
            return usage_error(text + ": " + selectors.back().get_error());
    }
    return -1;
}

int run(int argc, char** argv)
{
    TREND_OPTIONS opt;
    std::vector<RDB_SELECTOR> selectors;
    RDB_TREND_STAT stat = RDB_TREND_MIN;
    int status = read_options(argc, argv, opt, selectors, stat);
    if (status >= 0)
        return status;

    RDBXML_OUTPUT out(STDOUT_FILENO, "standard output");
    RDBXML_OUTPUT err(STDERR_FILENO, "standard error");
    std::string error;
    std::unique_ptr<RDB_INDEX_DB> db = RDB_INDEX_DB::open(opt.db, 60, true, error);
    if (!db) {
        err.write(rdbxml_tool_message(TOOL, error));
        return RDBXML_EXIT_SOME_FAILED;
    }
    RDB_INDEX_TREND_QUERY query(*db);
    RDB_TRENDS trends;
    if (!query.load(trends.m_runs, error)) {
        err.write(rdbxml_tool_message(TOOL, error));
        return RDBXML_EXIT_SOME_FAILED;
    }
    std::string unusable, notes;
    for (const RDB_SELECTOR& selector : selectors) {
        RDB_INDEX_TREND_QUERY::FOUND found;
        if (!query.follow(selector, stat, found, error)) {
            err.write(rdbxml_tool_message(TOOL, error));
            return RDBXML_EXIT_SOME_FAILED;
        }
        if (!found.m_unusable.empty())
            unusable += rdbxml_tool_message(TOOL, selector.get_text() + ": " + found.m_unusable);
        if (!found.m_note.empty())
            notes += rdbxml_tool_message(TOOL, selector.get_text() + ": " + found.m_note);
        trends.m_trends.push_back(std::move(found.m_trend));
    }
    // Nothing is printed of a question that cannot be answered whole.
    if (!unusable.empty()) {
        err.write(unusable);
        return RDBXML_EXIT_USAGE;
    }
    if (!opt.quiet)
        err.write(notes);

    bool written = true;
    if (!opt.html.empty()) {
        std::ostringstream page;
        rdb_write_trend_html(trends, page, "Trends of " + opt.db);
        if (opt.html == "-") {
            written = out.write(page.str());
        } else if (!rdbxml_write_file(opt.html, page.str(), error)) {
            err.write(rdbxml_tool_message(TOOL, error));
            written = false;
        }
    }
    // The page stands for the text; CSV or JSON may go with it.
    if (opt.html.empty() || (opt.html != "-" && (opt.csv || opt.json))) {
        std::ostringstream text;
        if (opt.csv)
            rdb_write_trend_csv(trends, text);
        else if (opt.json)
            rdb_write_trend_json(trends, text);
        else
            rdb_write_trend_text(trends, text);
        out.write(text.str());
    }
    if (out.failed()) {
        rdbxml_say_failure(out);
        return RDBXML_EXIT_SOME_FAILED;
    }
    return written && !err.failed() ? RDBXML_EXIT_ALL_READ : RDBXML_EXIT_SOME_FAILED;
}

}  // namespace

int rdbxml_trend_main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "rdbxml trend: out of memory\n");
        return RDBXML_EXIT_SOME_FAILED;
    }
}
