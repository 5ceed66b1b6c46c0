// Runs the built rdbxml tool as a program of its own and collects its exit
// status and everything it wrote.
#pragma once

#include <string>
#include <vector>

#include "read_file.h"

struct TOOL_RUN {
    int status = -1;       // the exit status, as the shell gives it
    std::string out, err;  // everything written to stdout and to stderr
};

// The tool with `args`; stdin is /dev/null, stdout and stderr are files.
// With `columns` stderr is instead a raw terminal that wide and `err` every
// byte it received; with `stdout_too` as well stdout goes there, as for a
// person running the tool, and `out` stays empty.
TOOL_RUN tool_run(const std::vector<std::string>& args, unsigned columns = 0, bool stdout_too = false);

// A shell script run with `sh -c`, in which "$RDBXML" is the built tool:
// stdout and stderr of the whole script are collected unless it sends them
// elsewhere itself. The status is the script's, 128 + N for signal N.
TOOL_RUN tool_shell(const std::string& script);

// Makes a character device at `path` with the numbers of `like`
// ("/dev/full"), for the tool to write to. Empty when it did; else why it
// cannot here (no permission to make devices, or none usable in the file
// system), for a test to skip with.
std::string tool_make_device(const std::string& path, const std::string& like);

// A directory of its own, removed with everything in it when the object goes.
class TOOL_SCRATCH {
public:
    TOOL_SCRATCH();
    ~TOOL_SCRATCH();
    TOOL_SCRATCH(const TOOL_SCRATCH&) = delete;
    TOOL_SCRATCH& operator=(const TOOL_SCRATCH&) = delete;
    const std::string& dir() const { return m_dir; }
    // Writes `content` to the file `name` in the directory (making the
    // directories it names); returns its path.
    std::string write(const std::string& name, const std::string& content) const;

private:
    std::string m_dir;
};

inline std::string tool_example_report() { return RDBXML_SOURCE_DIR "/examples/report.xml"; }
inline std::string tool_example_hierarchy() { return RDBXML_SOURCE_DIR "/examples/hierarchy.txt"; }

// Shell commands that bound what the rest of a script may take: CPU seconds,
// and address space but under the sanitizers (which reserve far more than
// any such bound leaves). Generous bounds, many times what the work needs on
// a loaded machine, so that only a cost that grows faster than its input
// meets them, and fails the test at once instead of taking minutes.
std::string tool_limits(unsigned cpu_seconds, unsigned long address_mib);

// `text` as one word of the shell.
std::string tool_shell_quoted(const std::string& text);

// The lines of `text`, without their line ends.
std::vector<std::string> tool_lines(const std::string& text);
// How often `part` occurs in `text`, not overlapping.
std::size_t tool_count(const std::string& text, const std::string& part);

// A page with its script nonce, fresh in every page, blanked out.
std::string tool_without_nonce(std::string page);
