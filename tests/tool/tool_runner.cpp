#include "tool_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "scratch_dir.h"

std::string tool_shell_quoted(const std::string& text)
{
    std::string word = "'";
    for (char c : text)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

std::string tool_limits(unsigned cpu_seconds, unsigned long address_mib)
{
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    return "ulimit -t " + std::to_string(cpu_seconds) + "; ulimit -v " + std::to_string(address_mib * 1024) + "; ";
#else
    // A sanitized debug build runs many times slower and maps shadow memory:
    // the limits there only stop a runaway, the normal build holds the figures.
    (void)address_mib;
    return "ulimit -t " + std::to_string(cpu_seconds * 10) + "; ";
#endif
}

TOOL_RUN tool_run(const std::vector<std::string>& args, unsigned columns, bool stdout_too)
{
    TOOL_SCRATCH scratch;
    const std::string out = scratch.dir() + "/out", err = scratch.dir() + "/err";
    std::string command = tool_shell_quoted(RDBXML_OUTPUT_DIR "/rdbxml");
    for (const std::string& arg : args)
        command += " " + tool_shell_quoted(arg);
    command += " </dev/null" + (stdout_too ? std::string() : " >" + tool_shell_quoted(out));
    // `script` runs the tool on a terminal of its own and copies all the
    // terminal shows to its stdout; in raw mode nothing is translated.
    if (columns > 0)
        command = "script -qE never -ec " +
                  tool_shell_quoted("stty raw cols " + std::to_string(columns) + "; " + command) + " /dev/null";
    command += (columns > 0 ? " </dev/null >" : " 2>") + tool_shell_quoted(err);
    int status = std::system(command.c_str());
    TOOL_RUN run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = test_read_file(out);
    run.err = test_read_file(err);
    return run;
}

TOOL_RUN tool_shell(const std::string& script)
{
    TOOL_SCRATCH scratch;
    const std::string out = scratch.dir() + "/out", err = scratch.dir() + "/err";
    std::string command = "RDBXML=" + tool_shell_quoted(RDBXML_OUTPUT_DIR "/rdbxml") + " sh -c " +
                          tool_shell_quoted(script) + " </dev/null >" + tool_shell_quoted(out) + " 2>" +
                          tool_shell_quoted(err);
    int status = std::system(command.c_str());
    TOOL_RUN run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = test_read_file(out);
    run.err = test_read_file(err);
    return run;
}

std::string tool_make_device(const std::string& path, const std::string& like)
{
    struct stat model;
    if (stat(like.c_str(), &model) != 0 || !S_ISCHR(model.st_mode))
        return like + " is no character device here";
    if (mknod(path.c_str(), S_IFCHR | 0600, model.st_rdev) != 0)
        return "cannot make a device node (mknod " + path + "): " + std::strerror(errno);
    int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0)
        return "cannot open a device node made in " + path + ": " + std::strerror(errno);
    close(fd);
    return "";
}

TOOL_SCRATCH::TOOL_SCRATCH()
{
    m_dir = test_scratch_dir("tool");
    if (m_dir.empty())
        throw std::runtime_error("cannot make a scratch directory");
}

TOOL_SCRATCH::~TOOL_SCRATCH()
{
    std::error_code ignored;  // a left-over scratch directory harms no test
    std::filesystem::remove_all(m_dir, ignored);
}

std::string TOOL_SCRATCH::write(const std::string& name, const std::string& content) const
{
    std::string path = m_dir + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::vector<std::string> tool_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::size_t tool_count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

std::string tool_without_nonce(std::string page)
{
    for (const char* mark : {"nonce-", "nonce=\""}) {
        for (std::size_t at = page.find(mark); at != std::string::npos; at = page.find(mark, at + 1)) {
            std::size_t start = at + std::strlen(mark);
            std::size_t end = page.find_first_not_of("0123456789abcdef", start);
            page.replace(start, end - start, "N");
        }
    }
    return page;
}
