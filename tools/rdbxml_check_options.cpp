#include "rdbxml_check_options.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include <CLI/CLI.hpp>

#include "rdbxml_output.h"
#include "rdbxml_parse.h"

namespace {

const char* const DESCRIPTION =
    "rdbxml check reads report files and fails when a rule breaks in any of\n"
    "them, printing only the rows that break it: a pass or fail for CI.";

const char* const FOOTER =
    "A rule names objects by a path pattern (as --select takes them) and asks\n"
    "a question of their rows:\n"
    "\n"
    "  PATH : NAME [COLUMN = TEXT] OP VALUE\n"
    "\n"
    "OP is <, <=, >, >=, == or !=. VALUE is a number with an optional unit (ps,\n"
    "ns or us for delays; MHz or GHz for the frequency a delay stands for; % for\n"
    "a gauge's percent or a \"87 %\" cell), or a text for == and !=. NAME is a\n"
    "table's column (a chart's axis), or a summary's gauges or rows of that name;\n"
    "[COLUMN = TEXT] keeps the rows whose COLUMN reads TEXT. A backslash stands\n"
    "for the character after it: \"a\\ : b\" is the name \"a : b\". A row whose\n"
    "value cannot be compared breaks the rule. In a --rules file each line is a\n"
    "rule; blank lines and lines starting with # are comments.\n"
    "\n"
    "For each rule that fails in a file, stdout says so and lists the worst 10\n"
    "rows that break it (FILE: PATH: NAME = VALUE (row N: CELLS)) and how many\n"
    "more there are; -v also names the rules that hold. Warnings and errors of\n"
    "the files go to stderr as FILE:LINE:COL: error: MESSAGE (none with -q); a\n"
    "rule that finds nothing in one file but does in others is a warning there.\n"
    "After several files, the last line on stderr counts them: N files: G good,\n"
    "F failed, W with warnings (none with -q).\n"
    "\n"
    "--junit writes a JUnit XML report: a testsuite per file, a testcase per rule\n"
    "(failure: the rows; skipped: it found nothing there), and a testcase \"read\"\n"
    "with an error for a file that gave no report. A regular file OUT is replaced\n"
    "whole or not at all, a FIFO or device written through; - is stdout, which\n"
    "then holds the report alone.\n"
    "\n"
    "Exit status:\n"
    "  0  every rule holds in every FILE\n"
    "  1  a rule fails in some FILE, or some FILE gave no report (with --strict:\n"
    "     had a warning), or an output could not be written\n"
    "  2  usage error: a rule that does not parse, or no rule; a rule whose PATH\n"
    "     matches nothing, or whose NAME no object it matches has, in every FILE\n"
    "     read; a VALUE whose unit does not fit what NAME finds\n"
    "\n"
    "Examples:\n"
    "  rdbxml check --fail-if 'main/timing/Setup slack : Slack < 0ps' run.xml.gz\n"
    "  rdbxml check --fail-if '**/Flow summary : Logic elements > 90%' runs/\n"
    "  rdbxml check --fail-if 'main/timing/Fmax : Fmax [Clock = clk_core] < 400MHz' \\\n"
    "               --junit results.xml --strict runs/\n"
    "  rdbxml check --rules ci/report.rules -q runs/\n";

int usage_error(const std::string& reason) { return rdbxml_usage_error("rdbxml check", reason); }

// `text` without its surrounding blanks.
std::string trimmed(const std::string& text)
{
    std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

// Adds the rules of the file `path`; -1, or the usage status having said why.
int read_rules_file(const std::string& path, std::vector<RDB_RULE>& rules)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return usage_error("--rules " + path + ": cannot read: " + std::strerror(errno));
    std::string line;
    for (unsigned number = 1; std::getline(in, line); ++number) {
        std::string text = trimmed(line);
        if (text.empty() || text[0] == '#')
            continue;
        rules.emplace_back(text);
        if (!rules.back().is_valid())
            return usage_error(path + ":" + std::to_string(number) + ": " + text + ": " + rules.back().get_error());
    }
    if (in.bad())
        return usage_error("--rules " + path + ": cannot read: " + std::strerror(errno));
    return -1;
}

}  // namespace

int rdbxml_read_check_options(int argc, char** argv, RDBXML_CHECK_OPTIONS& options)
{
    CLI::App app{DESCRIPTION, "rdbxml check"};
    app.get_formatter()->column_width(26);
    RDBXML_OPTIONS& reading = options.reading;
    app.add_option("FILE", reading.files, "report files, each checked on its own")->type_name("")->required();

    const char* const rules = "Rules (at least one)";
    app.add_option("--fail-if", options.fail_if, "fail when RULE breaks in a file (may be repeated)")
        ->type_name("RULE")
        ->allow_extra_args(false)
        ->group(rules);
    app.add_option("--rules", options.rules_files, "the rules in FILE, one a line (may be repeated)")
        ->type_name("FILE")
        ->allow_extra_args(false)
        ->group(rules);
    app.add_option("--junit", options.junit, "write a JUnit XML report to OUT (- for stdout)")
        ->type_name("OUT")
        ->group(rules);

    rdbxml_add_reading_options(app, reading);
    app.add_flag("-v,--verbose", reading.verbose, "name the rules that hold too")->group(RDBXML_OTHER_GROUP);
    app.add_flag("-q,--quiet", reading.quiet, "print no warnings or errors of the files, nor the count")
        ->group(RDBXML_OTHER_GROUP);
    app.set_help_flag("-h,--help", "print this help and exit")->group(RDBXML_OTHER_GROUP);
    app.footer(FOOTER);

    if (int status = rdbxml_parse_command_line(app, argc, argv, "rdbxml check"); status >= 0)
        return status;
    if (reading.verbose && reading.quiet)
        return usage_error("-v and -q exclude each other");
    for (const std::string& text : options.fail_if) {
        options.rules.emplace_back(text);
        if (!options.rules.back().is_valid())
            return usage_error("--fail-if " + text + ": " + options.rules.back().get_error());
    }
    for (const std::string& path : options.rules_files) {
        int status = read_rules_file(path, options.rules);
        if (status >= 0)
            return status;
    }
    if (options.rules.empty())
        return usage_error("no rule: give --fail-if RULE or --rules FILE");
    return -1;
}
