#include "tool_runner.h"

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace {

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<char*> argv_of(const std::vector<std::string>& args)
{
    static std::string tool = RDBXML_OUTPUT_DIR "/rdbxml";
    std::vector<char*> argv{tool.data()};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Spawns the tool with the file actions given, and waits for it after
// `while_running` has run (it reads a terminal, say, until the tool is done).
template <class WHILE_RUNNING>
int spawn_and_wait(const std::vector<std::string>& args, posix_spawn_file_actions_t* actions,
                   WHILE_RUNNING while_running)
{
    std::vector<char*> argv = argv_of(args);
    pid_t pid = 0;
    int failed = posix_spawn(&pid, argv[0], actions, nullptr, argv.data(), environ);
    if (failed != 0)
        throw std::runtime_error("cannot start " + std::string(argv[0]));
    while_running();
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

}  // namespace

TOOL_RUN tool_run(const std::vector<std::string>& args)
{
    TOOL_SCRATCH scratch;
    std::string out = scratch.dir() + "/stdout", err = scratch.dir() + "/stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    TOOL_RUN run;
    run.status = spawn_and_wait(args, &actions, [] {});
    posix_spawn_file_actions_destroy(&actions);
    run.out = read_file(out);
    run.err = read_file(err);
    return run;
}

TOOL_RUN tool_run_on_terminal(const std::vector<std::string>& args, unsigned columns, bool stdout_too)
{
    int master = -1, slave = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = static_cast<unsigned short>(columns);
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    termios mode{};
    tcgetattr(slave, &mode);
    cfmakeraw(&mode);
    tcsetattr(slave, TCSANOW, &mode);

    TOOL_SCRATCH scratch;
    std::string out = scratch.dir() + "/stdout";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (stdout_too)
        posix_spawn_file_actions_adddup2(&actions, slave, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, slave, 2);
    posix_spawn_file_actions_addclose(&actions, master);
    posix_spawn_file_actions_addclose(&actions, slave);
    TOOL_RUN run;
    run.status = spawn_and_wait(args, &actions, [&] {
        // The terminal is read while the tool writes to it, until the tool
        // has closed its side (the read then fails with EIO).
        close(slave);
        char buffer[4096];
        for (;;) {
            ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0)
                run.err.append(buffer, static_cast<std::size_t>(n));
            else if (!(n < 0 && errno == EINTR))
                break;
        }
    });
    posix_spawn_file_actions_destroy(&actions);
    close(master);
    run.out = read_file(out);
    return run;
}

TOOL_SCRATCH::TOOL_SCRATCH()
{
    const char* base = std::getenv("RDBXML_TEST_TMP");
    std::string root = base != nullptr ? base : "/tmp";
    mkdir(root.c_str(), 0755);
    std::string pattern = root + "/tool-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr)
        throw std::runtime_error("cannot make a scratch directory in " + root);
    m_dir = name.data();
}

TOOL_SCRATCH::~TOOL_SCRATCH()
{
    std::string command = "rm -rf '" + m_dir + "'";
    if (std::system(command.c_str()) != 0) {
        // Nothing to do: a left-over scratch directory harms no test.
    }
}

std::string TOOL_SCRATCH::write(const std::string& name, const std::string& content) const
{
    std::string path = m_dir + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string tool_example_report() { return RDBXML_SOURCE_DIR "/examples/report.xml"; }
std::string tool_example_hierarchy() { return RDBXML_SOURCE_DIR "/examples/hierarchy.txt"; }

std::vector<std::string> tool_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
