// The rdbxml command line: what it asks for, and the help that explains it.
#pragma once

#include <string>
#include <vector>

// The exit statuses of the tool.
enum RDBXML_EXIT { RDBXML_EXIT_ALL_READ = 0, RDBXML_EXIT_SOME_FAILED = 1, RDBXML_EXIT_USAGE = 2 };

// Whether --csv OUT writes one file per table into a directory: an
// existing one, or a path ending in '/'.
bool rdbxml_csv_is_directory(const std::string& target);

struct RDBXML_OPTIONS {
    std::vector<std::string> files;
    bool json = false;
    bool text = false;
    bool noout = false;
    bool schema = false;
    bool no_namespaces = false;
    bool dynamic_buffers = false;
    bool dead_parser = false;
    bool strict = false;  // any warning fails the file
    bool stream_flag = false;
    bool quiet = false;
    bool verbose = false;
    unsigned jobs = 0;  // threads; 0: one per core
    std::string hierarchy;
    std::string html;  // page (one file) or directory of pages (several, or ending in '/')
    std::string csv;   // -, a file for one table, or a directory of one file per table
    std::vector<std::string> select;  // path patterns; empty: everything
    std::string where;                // a condition on the rows of tables; empty: every row
    std::string sort;                 // NAME, or -NAME for descending; empty: as written
    std::size_t top = 0;              // the data rows kept of each table; 0: all
};

namespace CLI {
class App;
}

// The groups of options in the help.
inline constexpr const char* RDBXML_PARSING_GROUP = "Parsing";
inline constexpr const char* RDBXML_OTHER_GROUP = "Other";

// Adds the options that say how files are read, which every command that
// reads reports shares: --hierarchy, --schema, --no-namespaces,
// --dynamic-buffers, --stream-flag, --strict, and -j.
void rdbxml_add_reading_options(CLI::App& app, RDBXML_OPTIONS& options);

// "TOOL: REASON (see TOOL --help)" on stderr, one line; returns `status`.
int rdbxml_usage_error(const char* tool, const std::string& reason, int status = RDBXML_EXIT_USAGE);

// Parses the command line into what `app` was given, as every command of
// the tool does. Returns -1 to go on; else the exit status: after the help
// or the version on stdout (`failed` when that write failed), or after a
// usage error said in `tool`'s name (`usage`).
int rdbxml_parse_command_line(CLI::App& app, int argc, char** argv, const char* tool,
                              int failed = RDBXML_EXIT_SOME_FAILED, int usage = RDBXML_EXIT_USAGE);

// "--select PATTERN: why" for the first malformed pattern; empty when each
// is well formed.
std::string rdbxml_select_error(const std::vector<std::string>& patterns);

// Reads the command line into `options`. Returns -1 when the tool should go
// on; otherwise the exit status, after printing the help or the version on
// stdout, or a one-line usage error on stderr.
int rdbxml_read_options(int argc, char** argv, RDBXML_OPTIONS& options);
