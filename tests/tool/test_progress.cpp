// The progress line: drawn on stderr only while a large file is read and
// stderr is a terminal, shortened to its width, and erased before every
// message and when the parse ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace

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
    for (const char* drawn : {"\rreading ...", "-report.xml: 9.0 MB of 9.0 MB", "broken.xml: 9.0 MB of 9.0 MB"})
        EXPECT_NE(run.err.find(drawn), std::string::npos) << drawn;
    // Each line on the screen is the message written for it, with nothing
    // of the progress line; the cursor ends on an empty line.
    std::vector<std::string> lines = screen(run.err), written = tool_lines(run.err);
    ASSERT_GE(written.size() + 1, lines.size());
    EXPECT_EQ(lines.back(), "");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].rfind("RDB_XML: ", 0) == 0 || lines[i].rfind(broken + ":3:3: error: ", 0) == 0)
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

    // Several files at once: the line sums them up. Quiet: no line.
    run = tool_run({"-j", "2", "--noout", good, broken}, 250);
    EXPECT_NE(run.err.find(" of 2 files, "), std::string::npos) << run.err.substr(0, 300);
    EXPECT_NE(run.err.find(" MB of 18.0 MB"), std::string::npos);
    EXPECT_EQ(tool_run({"-q", good}, 250).err, "");

    // None when stderr is no terminal.
    run = tool_run({"--noout", good});
    EXPECT_TRUE(run.status == 0 && run.err.find_first_of("\r") == std::string::npos);
}
