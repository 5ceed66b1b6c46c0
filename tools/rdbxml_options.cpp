#include "rdbxml_options.h"

#include <filesystem>
#include <iostream>
#include <sstream>

#include <CLI/CLI.hpp>

#include <rdbxml/rdb_xml.h>
#include "rdbxml_focus.h"
#include "rdbxml_output.h"
#include "rdbxml_parse.h"

namespace {

const char* const DESCRIPTION =
    "rdbxml reads report description files (XML; plain, gzip, zstd or xz) and\n"
    "prints the report each one holds. A directory stands for the report files\n"
    "below it (*.xml, *.xml.gz, *.xml.zst, *.xml.xz), - for standard input. With\n"
    "no FILE it reads the bundled example.";

const char* const FOOTER =
    "Reports go to stdout, in the order of the files, however many threads read\n"
    "them. Each warning and error goes to stderr as FILE:LINE:COL: error: MESSAGE\n"
    "(-v adds the parser's own \"RDB_XML: ...\" lines, -q leaves them all out),\n"
    "and so does a progress line while 8 MB or more are read and stderr is a\n"
    "terminal. A failed write says so, even with -q, and exits 1. After several\n"
    "files the last line on stderr counts them (none with -q): N files: G good\n"
    "(gave a report, and its output was written), F failed, W with warnings.\n"
    "\n"
    "Warnings name content the reader passed over or did not take as written;\n"
    "alone they do not fail a file. With --strict they do: the file gives no\n"
    "report (exit 1), its warnings are printed, and a last error line says that\n"
    "strictness refused it. That is the switch for a CI job.\n"
    "\n"
    "--html and --csv replace a regular file OUT whole or not at all; a device or\n"
    "FIFO there is written to as it is, and - is standard output.\n"
    "\n"
    "A --hierarchy file holds one '/'-separated instance path per line, all from\n"
    "the same top instance ('#' lines are comments); instance-name cells resolve\n"
    "against it. Without one they show the path the file wrote.\n"
    "\n"
    "Objects are named by paths: the folders from the main folder down and the\n"
    "object's name, as in main/timing/Setup slack ('\\/' for a '/' in a name,\n"
    "name[2] for a second object of one name and kind in a folder). --select\n"
    "takes glob patterns of them: * and ? within a step, ** across steps\n"
    "(main/**/Setup*); it keeps what a pattern matches, what a matched folder\n"
    "holds, and the folders on the way. Each object of --json carries its \"path\".\n"
    "\n"
    "--where, --sort and --top narrow and order the data rows of the tables and\n"
    "timing tables kept that have the named column (--top alone: every table),\n"
    "in that order; summaries and charts stay whole. --where takes one condition,\n"
    "NAME [COLUMN = TEXT] OP VALUE, OP one of < <= > >= == !=, VALUE a number with\n"
    "a unit (ps ns us MHz GHz %) or a text: 'Slack < 0ps',\n"
    "'Fmax [Clock = clk_core] < 400MHz'. --sort=-NAME sorts descending. Delays\n"
    "all shown in MHz sort by frequency (the slowest clock first), other delays by\n"
    "picoseconds, texts that read as numbers as numbers before the other texts;\n"
    "missing cells come last.\n"
    "\n"
    "--csv writes tables, timing tables, summaries and charts as CSV: to\n"
    "standard output (-) or a file when there is one, or into a directory (an\n"
    "existing one, or OUT ending in '/'), one file per table named by its path\n"
    "(OUT/main/timing/Clocks.csv; OUT/<file>/main/... for several files), and a\n"
    "summary's gauges beside it (OUT/main/summaries/Flow summary%gauges.csv).\n"
    "\n"
    "Exit status:\n"
    "  0  every FILE gave a report\n"
    "  1  some FILE gave no report (the others are still read and reported; a\n"
    "     directory with no report file below it, too), or an output could not\n"
    "     be written\n"
    "  2  usage error (unknown option, bad --hierarchy file, ...): nothing read;\n"
    "     or a --select PATTERN that matched nothing in any FILE, a --where or\n"
    "     --sort NAME that no table of any FILE has, a --where VALUE that does\n"
    "     not fit a table's column\n"
    "\n"
    "Examples:\n"
    "  rdbxml run.xml.gz                       print a report as an indented tree\n"
    "  rdbxml --json --hierarchy design.txt a.xml b.xml > reports.jsonl\n"
    "                                          one JSON line per file\n"
    "  rdbxml --noout --schema runs/           check every report below runs/\n"
    "  rdbxml -q --noout --strict runs/        ... failing on any warning too\n"
    "  rdbxml --html run.html run.xml          one self-contained page to open in a browser\n"
    "  rdbxml --html pages/ a.xml b.xml        pages/a.html, pages/b.html and their list,\n"
    "                                          pages/index.html\n"
    "  rdbxml --csv - --select '**/Setup slack' run.xml\n"
    "                                          one table as CSV on stdout\n"
    "  rdbxml --select '**/Setup slack' --sort Slack --top 20 run.xml\n"
    "                                          the 20 worst setup paths\n"
    "  rdbxml --where 'Slack < 0ps' --sort Slack run.xml\n"
    "                                          the failing paths, worst first\n"
    "  rdbxml ls FILE...                       every object's path, kind and size\n"
    "                                          (rdbxml ls --help)\n"
    "  rdbxml diff OLD NEW                     what changed between two reports\n"
    "                                          (rdbxml diff --help)\n"
    "  rdbxml check --fail-if 'main/timing/Setup slack : Slack < 0ps' runs/\n"
    "                                          fail on a rule, listing the rows that\n"
    "                                          break it (rdbxml check --help)\n";

int usage_error(const std::string& reason) { return rdbxml_usage_error("rdbxml", reason); }

// The help or the version, written as every output is: checked.
int print_exit(const CLI::App& app, const CLI::Error& asked, int failed)
{
    std::ostringstream text;
    int status = app.exit(asked, text, text);
    return rdbxml_print(text.str()) ? status : failed;
}

}  // namespace

int rdbxml_usage_error(const char* tool, const std::string& reason, int status)
{
    std::cerr << rdbxml_tool_message(tool, reason + " (see " + tool + " --help)");
    return status;
}

int rdbxml_parse_command_line(CLI::App& app, int argc, char** argv, const char* tool, int failed, int usage)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help or --version
        return print_exit(app, e, failed);
    } catch (const CLI::ParseError& e) {
        return rdbxml_usage_error(tool, e.what(), usage);
    }
    return -1;
}

std::string rdbxml_select_error(const std::vector<std::string>& patterns)
{
    for (const std::string& pattern : patterns) {
        RDB_PATH_PATTERN parsed(pattern);
        if (!parsed.is_valid())
            return "--select " + pattern + ": " + parsed.get_error();
    }
    return std::string();
}

void rdbxml_add_reading_options(CLI::App& app, RDBXML_OPTIONS& options)
{
    const char* const parsing = RDBXML_PARSING_GROUP;
    app.add_option("--hierarchy", options.hierarchy, "instance hierarchy to resolve instance names")
        ->type_name("FILE")
        ->check(CLI::Validator(CLI::ExistingFile).description(""))
        ->group(parsing);
    app.add_flag("--schema", options.schema, "validate against rdb_schema.xsd (and namespaces)")->group(parsing);
    app.add_flag("--no-namespaces", options.no_namespaces, "switch namespace processing off")->group(parsing);
    app.add_flag("--dynamic-buffers", options.dynamic_buffers, "transcode attributes on the heap")->group(parsing);
    app.add_flag("--stream-flag", options.stream_flag, "set the input stream's flag")->group(parsing);
    app.add_flag("--strict", options.strict, "fail a file that has any warning (exit 1)")->group(parsing);
    app.add_option("-j,--jobs", options.jobs, "read N files at once (default: one per core)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u).description(""))
        ->group(RDBXML_OTHER_GROUP);
}

int rdbxml_read_options(int argc, char** argv, RDBXML_OPTIONS& options)
{
    CLI::App app{DESCRIPTION, "rdbxml"};
    app.get_formatter()->column_width(26);
    app.add_option("FILE", options.files, "report files, each read on its own")->type_name("");

    const char* const output = "Output (at most one)";
    app.add_flag("--text", options.text, "each report as an indented tree (default)")->group(output);
    app.add_flag("--json", options.json, "one JSON line per file: {\"file\",\"report\"}")->group(output);
    app.add_flag("--noout", options.noout, "no report: only messages and exit status")->group(output);
    app.add_option("--html", options.html, "write a web page: OUT or - for one FILE, OUT/<name>.html for several "
                   "(and OUT/index.html, their list)")
        ->type_name("OUT")
        ->group(output);
    app.add_option("--csv", options.csv, "write tables as CSV: - or a file for one, a directory for each")
        ->type_name("OUT")
        ->group(output);
    app.add_option("--select", options.select, "keep the objects whose path matches (may be repeated)")
        ->type_name("PATTERN")
        ->allow_extra_args(false)
        ->group(output);
    app.add_option("--where", options.where, "keep the rows of tables that meet CONDITION: 'Slack < 0ps'")
        ->type_name("CONDITION")
        ->group(output);
    app.add_option("--sort", options.sort, "sort the rows of tables by column NAME (--sort=-NAME: descending)")
        ->type_name("NAME")
        ->group(output);
    app.add_option("--top", options.top, "keep the first N rows of each table (after --where and --sort)")
        ->type_name("N")
        ->check(CLI::Validator(
            [](std::string& text) {
                bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
                return digits && text.find_first_not_of("0") != std::string::npos ? "" : "N is a number from 1";
            },
            ""))
        ->group(output);

    rdbxml_add_reading_options(app, options);
    app.add_flag("--dead-parser", options.dead_parser, "check each file but build an empty report")
        ->group(RDBXML_PARSING_GROUP);

    const char* const other = RDBXML_OTHER_GROUP;
    app.add_flag("-v,--verbose", options.verbose, "add the parser's RDB_XML lines, and each object's settings to the tree")->group(other);
    app.add_flag("-q,--quiet", options.quiet, "print no warnings or errors of the files")->group(other);
    app.set_help_flag("-h,--help", "print this help and exit")->group(other);
    app.set_version_flag("--version", std::string("rdbxml ") + rdb_xml_version(), "print the version and exit")
        ->group(other);
    app.footer(FOOTER);

    if (int status = rdbxml_parse_command_line(app, argc, argv, "rdbxml"); status >= 0)
        return status;
    if (options.text + options.json + options.noout + !options.html.empty() + !options.csv.empty() > 1)
        return usage_error("--text, --json, --noout, --html and --csv exclude each other");
    if (std::string error = rdbxml_select_error(options.select); !error.empty())
        return usage_error(error);
    if (std::string error = rdbxml_focus_option_error(options); !error.empty())
        return usage_error(error);
    if (options.verbose && options.quiet)
        return usage_error("-v and -q exclude each other");
    return -1;
}

bool rdbxml_csv_is_directory(const std::string& target)
{
    std::error_code code;
    return target != "-" && (target.back() == '/' || std::filesystem::is_directory(target, code));
}
