// The progress line: drawn on stderr only while a large file is read and
// stderr is a terminal, shortened to its width, and erased before every
// message and when the parse ends. Its text and the bytes that draw it are
// tested in-process; the tool run on a terminal, for what holds however
// fast the files are read.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "rdbxml_progress.h"
#include "tool_runner.h"

namespace {

// What a terminal shows for `bytes`: "\r" returns to the start of the line,
// later characters overwrite earlier ones, "\n" ends the line; blanks at the
// ends of lines are dropped. The last line is the one the cursor stands on.
std::vector<std::string> screen(const std::string& bytes)
{
    std::vector<std::string> lines(1);
    std::size_t column = 0;
    for (char c : bytes) {
        if (c == '\n')
            lines.emplace_back();
        if (c == '\n' || c == '\r')
            column = 0;
        else if (column < lines.back().size())
            lines.back()[column++] = c;
        else
            lines.back() += std::string(1, c), ++column;
    }
    for (std::string& line : lines)
        line.erase(line.find_last_not_of(' ') + 1);
    return lines;
}

// A pipe that a progress line draws into, and what it received.
class DRAWN {
public:
    DRAWN()
    {
        EXPECT_EQ(pipe2(m_fds, O_NONBLOCK), 0);
    }
    ~DRAWN()
    {
        close(m_fds[0]);
        close(m_fds[1]);
    }
    int fd() const { return m_fds[1]; }
    // The bytes received since the last call.
    std::string bytes()
    {
        std::string got;
        char buffer[4096];
        for (ssize_t n; (n = read(m_fds[0], buffer, sizeof buffer)) > 0;)
            got.append(buffer, static_cast<std::size_t>(n));
        return got;
    }

private:
    int m_fds[2] = {-1, -1};
};

}  // namespace

TEST(ToolProgress, TheLineSaysHowFarInTheTerminalsWidth)
{
    using LINE = RDBXML_PROGRESS_LINE;
    EXPECT_EQ(LINE::format("big.xml.gz", 12'345'678, 456'700'000, 80), "reading big.xml.gz: 12.3 MB of 456.7 MB");
    EXPECT_EQ(LINE::format("big.xml", 0, 8'000'000, 80), "reading big.xml: 0.0 MB of 8.0 MB");
    EXPECT_EQ(LINE::format_files(3, 30, 12'345'678, 456'700'000), "reading: 3 of 30 files, 12.3 MB of 456.7 MB");
    // A name too long for the width loses its start, so that the line takes
    // one column less than the terminal has and never wraps.
    std::string line = LINE::format("/runs/2024/nightly/top/report-of-the-whole-chip.xml", 1'000'000, 9'000'000, 44);
    EXPECT_EQ(line, "reading ...whole-chip.xml: 1.0 MB of 9.0 MB");
    EXPECT_EQ(line.size(), 43u);
    // Columns are characters, not bytes: a name in UTF-8 is cut between
    // characters. Control characters would break the line: they show as '?'.
    const std::string wide = "\xe6\xb8\xac\xe5\xae\x9a";  // two characters of three bytes
    line = LINE::format("dir/" + wide + wide + wide + wide + ".xml", 1'000'000, 9'000'000, 36);
    EXPECT_EQ(line, "reading ..." + wide + ".xml: 1.0 MB of 9.0 MB");
    EXPECT_EQ(LINE::format("a\nb\tc.xml", 0, 9'000'000, 80), "reading a?b?c.xml: 0.0 MB of 9.0 MB");
}

TEST(ToolProgress, DrawnInPlaceAndErasedWhole)
{
    DRAWN terminal;
    RDBXML_OUTPUT output(terminal.fd(), "the terminal");
    {
        // Not on a terminal: never drawn.
        RDBXML_PROGRESS_LINE line(output, false);
        line.show_file("big.xml", 1'000'000, 9'000'000);
        line.show_files(0, 2, 1'000'000, 18'000'000);
    }
    EXPECT_EQ(terminal.bytes(), "");
    {
        RDBXML_PROGRESS_LINE line(output, true);
        // Less than 8 MB in all: not worth a line.
        line.show_file("small.xml", 1'000'000, 7'999'999);
        line.show_files(0, 2, 1'000'000, 7'999'999);
        EXPECT_EQ(terminal.bytes(), "");
        line.show_file("big.xml", 1'000'000, 9'000'000);
        EXPECT_EQ(terminal.bytes(), "\rreading big.xml: 1.0 MB of 9.0 MB");
        // The same text is not drawn again; a longer one over it.
        line.show_file("big.xml", 1'000'001, 9'000'000);
        EXPECT_EQ(terminal.bytes(), "");
        line.show_files(1, 2, 10'000'000, 18'000'000);
        EXPECT_EQ(terminal.bytes(), "\rreading: 1 of 2 files, 10.0 MB of 18.0 MB");
        // A shorter one blanks what the longer one leaves.
        line.show_file("b.xml", 1'000'000, 9'000'000);
        EXPECT_EQ(terminal.bytes(), "\rreading b.xml: 1.0 MB of 9.0 MB" + std::string(10, ' ') +
                                        "\rreading b.xml: 1.0 MB of 9.0 MB");
        // Erased: blanks over it, the cursor at the start; once.
        line.erase();
        EXPECT_EQ(terminal.bytes(), "\r" + std::string(31, ' ') + "\r");
        line.erase();
        EXPECT_EQ(terminal.bytes(), "");
        line.show_file("b.xml", 2'000'000, 9'000'000);
        terminal.bytes();
    }
    // A line still drawn when the run ends goes with it.
    EXPECT_EQ(terminal.bytes(), "\r" + std::string(31, ' ') + "\r");
    EXPECT_FALSE(output.failed());
}

TEST(ToolProgress, DrawnOnATerminalOnlyAndErasedBeforeMessagesAndAtTheEnd)
{
    // About 9 MB, nearly all of it one comment; the broken end tag stops the
    // parse with a message while the line stands. One file at a time: the
    // line names the file.
    TOOL_SCRATCH scratch;
    std::string large = "<report><folders><root name=\"main\"/></folders>\n<!--" + std::string(9000000, 'x') + "-->\n";
    std::string good = scratch.write("a-rather-long-name-of-a-large-report.xml", large + "</report>\n");
    std::string broken = scratch.write("broken.xml", large + "</repor>\n");
    TOOL_RUN run = tool_run({"-v", "-j", "1", "--noout", good, broken}, 50);
    EXPECT_EQ(run.status, 1);
    for (std::size_t at = run.err.find("\rreading "); at != std::string::npos; at = run.err.find("\rreading ", at + 1))
        EXPECT_LE(run.err.find_first_of("\r\n", at + 1) - at, 50u) << run.err.substr(at, 80);
    // Whatever was drawn while a file was read, its last frame says it
    // whole, before its messages.
    for (const char* drawn : {"\rreading ...", "-report.xml: 9.0 MB of 9.0 MB", "broken.xml: 9.0 MB of 9.0 MB"})
        EXPECT_NE(run.err.find(drawn), std::string::npos) << drawn;
    EXPECT_EQ(run.err.find(" files, "), std::string::npos) << "one file is read at a time";
    // Each line on the screen is the message written for it, with nothing
    // of the progress line; the cursor ends on an empty line.
    std::vector<std::string> lines = screen(run.err), written = tool_lines(run.err);
    ASSERT_GE(written.size() + 1, lines.size());
    EXPECT_EQ(lines.back(), "");
    // The count of the files comes last, after the line is gone.
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "2 files: 1 good, 1 failed, 0 with warnings");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].rfind("RDB_XML: ", 0) == 0 || lines[i].rfind(broken + ":3:3: error: ", 0) == 0 ||
                    i + 2 == lines.size())
            << lines[i];
        EXPECT_EQ(lines[i], written[i].substr(written[i].rfind('\r') + 1));
    }
    EXPECT_NE(run.err.find("RDB_XML: Fatal Error: "), std::string::npos);

    // With the report on the same terminal: the end of the parse erases the
    // line before the report is printed.
    run = tool_run({good}, 250, true);
    EXPECT_NE(run.err.find("\rreading " + good + ": 9.0 MB of 9.0 MB"), std::string::npos);
    lines = screen(run.err);
    EXPECT_TRUE(run.status == 0 && lines.size() > 1 && lines.back().empty());
    EXPECT_EQ(lines[0], "folder \"main\"");

    // Several files at once: the line sums them up, each file's last frame
    // counting the files up to it whole. Quiet: no line.
    run = tool_run({"-j", "2", "--noout", good, broken}, 250);
    EXPECT_NE(run.err.find("\rreading: 1 of 2 files, 9.0 MB of 18.0 MB"), std::string::npos) << run.err.substr(0, 300);
    EXPECT_NE(run.err.find("\rreading: 2 of 2 files, 18.0 MB of 18.0 MB"), std::string::npos);
    EXPECT_EQ(run.err.find("\rreading " + good), std::string::npos);
    EXPECT_EQ(tool_run({"-q", good}, 250).err, "");

    // None when stderr is no terminal.
    run = tool_run({"--noout", good});
    EXPECT_TRUE(run.status == 0 && run.err.find_first_of("\r") == std::string::npos);
}
