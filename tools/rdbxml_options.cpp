#include "rdbxml_options.h"

#include <iostream>

#include <CLI/CLI.hpp>

namespace {

const char* const DESCRIPTION =
    "rdbxml reads report description files (XML; plain, gzip, zstd or xz) and\n"
    "prints the report each one holds. With no FILE it reads the bundled example.";

const char* const FOOTER =
    "Reports go to stdout. Messages go to stderr, one \"RDB_XML: ...\" line each,\n"
    "and so does a progress line while a file of 8 MB or more is read and stderr\n"
    "is a terminal.\n"
    "\n"
    "A --hierarchy file holds one '/'-separated instance path per line, all from\n"
    "the same top instance ('#' lines are comments); instance-name cells resolve\n"
    "against it. Without one they have no instance (\"-\" in text, null in JSON).\n"
    "\n"
    "Exit status:\n"
    "  0  every FILE gave a report\n"
    "  1  some FILE gave no report (the others are still read and reported)\n"
    "  2  usage error (unknown option, bad --hierarchy file, ...): nothing read\n"
    "\n"
    "Examples:\n"
    "  rdbxml -q run.xml.gz                    print a report as an indented tree\n"
    "  rdbxml -q --json --hierarchy design.txt a.xml b.xml > reports.jsonl\n"
    "                                          one JSON line per file\n"
    "  rdbxml --noout --schema *.xml           check files against the schema\n"
    "  rdbxml -q --html run.html run.xml       one self-contained page to open in a browser\n"
    "  rdbxml -q --html pages/ a.xml b.xml     pages/a.html and pages/b.html\n";

// A usage error: one line on stderr.
int usage_error(const std::string& reason)
{
    std::cerr << "rdbxml: " << reason << " (see rdbxml --help)\n";
    return RDBXML_EXIT_USAGE;
}

}  // namespace

int rdbxml_read_options(int argc, char** argv, RDBXML_OPTIONS& options)
{
    CLI::App app{DESCRIPTION, "rdbxml"};
    app.get_formatter()->column_width(26);
    app.add_option("FILE", options.files, "report files, each read on its own")->type_name("");

    const char* const output = "Output (at most one)";
    app.add_flag("--text", options.text, "each report as an indented tree (default)")->group(output);
    app.add_flag("--json", options.json, "one JSON line per file: {\"file\",\"report\"}")->group(output);
    app.add_flag("--noout", options.noout, "no report: only messages and exit status")->group(output);
    app.add_option("--html", options.html, "write a web page: OUT for one FILE, OUT/<name>.html for several")
        ->type_name("OUT")
        ->group(output);

    const char* const parsing = "Parsing";
    app.add_option("--hierarchy", options.hierarchy, "instance hierarchy to resolve instance names")
        ->type_name("FILE")
        ->check(CLI::Validator(CLI::ExistingFile).description(""))
        ->group(parsing);
    app.add_flag("--schema", options.schema, "validate against rdb_schema.xsd (and namespaces)")->group(parsing);
    app.add_flag("--no-namespaces", options.no_namespaces, "switch namespace processing off")->group(parsing);
    app.add_flag("--dynamic-buffers", options.dynamic_buffers, "transcode attributes on the heap")->group(parsing);
    app.add_flag("--dead-parser", options.dead_parser, "check each file but build an empty report")
        ->group(parsing);
    app.add_flag("--stream-flag", options.stream_flag, "set the input stream's flag")->group(parsing);

    const char* const other = "Other";
    app.add_flag("-q,--quiet", options.quiet, "silence the RDB_XML messages")->group(other);
    app.set_help_flag("-h,--help", "print this help and exit")->group(other);
    app.set_version_flag("--version", std::string("rdbxml ") + RDBXML_VERSION, "print the version and exit")
        ->group(other);
    app.footer(FOOTER);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return usage_error(e.what());
    }
    if (options.text + options.json + options.noout + !options.html.empty() > 1)
        return usage_error("--text, --json, --noout and --html exclude each other");
    return -1;
}
