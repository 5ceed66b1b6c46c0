// Runs the built rdbxml tool as a separate program and collects what it
// did: its exit status and everything it wrote to stdout and to stderr.
#pragma once

#include <string>
#include <vector>

struct TOOL_RUN {
    int status = -1;  // the exit status; -1 when the tool did not exit normally
    std::string out;  // everything written to stdout
    std::string err;  // everything written to stderr
};

// The tool with `args`; stdin is /dev/null, stdout and stderr are files.
TOOL_RUN tool_run(const std::vector<std::string>& args);

// The same with stderr on a terminal `columns` wide that passes bytes
// through unchanged (raw mode): `err` is every byte the terminal received.
// With `stdout_too` stdout goes to the same terminal, as for a person
// running the tool, and `out` stays empty.
TOOL_RUN tool_run_on_terminal(const std::vector<std::string>& args, unsigned columns = 80,
                              bool stdout_too = false);

// A directory of its own for one test, removed with everything in it when
// the object goes.
class TOOL_SCRATCH {
public:
    TOOL_SCRATCH();
    ~TOOL_SCRATCH();
    TOOL_SCRATCH(const TOOL_SCRATCH&) = delete;
    TOOL_SCRATCH& operator=(const TOOL_SCRATCH&) = delete;

    const std::string& dir() const { return m_dir; }
    // Writes `content` to the file `name` in the directory; returns its path.
    std::string write(const std::string& name, const std::string& content) const;

private:
    std::string m_dir;
};

// Files of the source tree.
std::string tool_example_report();     // examples/report.xml
std::string tool_example_hierarchy();  // examples/hierarchy.txt

// The lines of `text`, without their line ends (a last line without one
// counts too).
std::vector<std::string> tool_lines(const std::string& text);
