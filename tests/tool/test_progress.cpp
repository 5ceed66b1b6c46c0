// The progress line: drawn on stderr only while a large file is read and
// stderr is a terminal, redrawn in place, erased before every message and
// when the parse ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

// A well-formed report of about `megabytes` MB, nearly all of it one
// comment, ending in `tail` (which may break the document on its last line).
std::string large_report(unsigned megabytes, const std::string& tail)
{
    std::string text = "<report>\n<folders><root name=\"main\"/></folders>\n<!--";
    text.append(megabytes * 1000000u, 'x');
    text += "-->\n" + tail;
    return text;
}

// What a terminal shows for `bytes`: "\r" returns to the start of the line,
// later characters overwrite earlier ones, "\n" ends the line. The last
// element is the line the cursor stands on.
std::vector<std::string> screen(const std::string& bytes)
{
    std::vector<std::string> lines(1);
    std::size_t column = 0;
    for (char c : bytes) {
        std::string& line = lines.back();
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            lines.emplace_back();
            column = 0;
        } else {
            if (column < line.size())
                line[column] = c;
            else
                line.push_back(c);
            ++column;
        }
    }
    return lines;
}

std::string trailing_blanks_removed(std::string line)
{
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

// The texts the tool drew: what stands between two carriage returns.
std::vector<std::string> drawn_lines(const std::string& bytes)
{
    std::vector<std::string> drawn;
    std::size_t start = bytes.find('\r');
    while (start != std::string::npos) {
        std::size_t next = bytes.find_first_of("\r\n", start + 1);
        std::string text = bytes.substr(start + 1, next == std::string::npos ? next : next - start - 1);
        if (text.rfind("reading ", 0) == 0)
            drawn.push_back(text);
        start = bytes.find('\r', start + 1);
    }
    return drawn;
}

// Every finished line on the screen shows what was written for it and
// nothing else: no remains of the progress line in it or after it (blanks
// left by erasing show as nothing). The cursor ends on an empty line.
// Returns the finished lines.
std::vector<std::string> expect_clean_screen(const std::string& bytes)
{
    std::vector<std::string> lines = screen(bytes);
    EXPECT_EQ(trailing_blanks_removed(lines.back()), "") << "left on the screen: " << lines.back();
    lines.pop_back();
    std::vector<std::string> written = tool_lines(bytes);
    EXPECT_GE(written.size(), lines.size());
    for (std::size_t i = 0; i < lines.size() && i < written.size(); ++i) {
        // What was written for the line: the part after its last return.
        std::size_t last_return = written[i].rfind('\r');
        std::string text = written[i].substr(last_return == std::string::npos ? 0 : last_return + 1);
        EXPECT_EQ(trailing_blanks_removed(lines[i]), text);
        EXPECT_EQ(lines[i].find("reading "), std::string::npos) << lines[i];
    }
    return lines;
}

// expect_clean_screen, and every line is a message.
void expect_messages_only(const std::string& bytes)
{
    for (const std::string& line : expect_clean_screen(bytes))
        EXPECT_EQ(line.rfind("RDB_XML: ", 0), 0u) << line;
}

}  // namespace

TEST(ToolProgress, LargeFileOnATerminalShowsBytesReadAndIsErased)
{
    TOOL_SCRATCH scratch;
    std::string file = scratch.write("large.xml", large_report(9, "</report>\n"));
    TOOL_RUN run = tool_run_on_terminal({file}, 250);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("report, current folder \"main\"\n", 0), 0u);
    std::vector<std::string> drawn = drawn_lines(run.err);
    ASSERT_GE(drawn.size(), 2u) << run.err.substr(0, 2000);
    EXPECT_EQ(drawn.front().rfind("reading " + file + ": ", 0), 0u) << drawn.front();
    EXPECT_NE(drawn.front().find(" MB of 9.0 MB"), std::string::npos) << drawn.front();
    EXPECT_EQ(drawn.back(), "reading " + file + ": 9.0 MB of 9.0 MB");
    expect_messages_only(run.err);
    // The progress line stays off stdout.
    EXPECT_EQ(run.out.find("reading "), std::string::npos);

    // None when stderr is no terminal, nor for a small file.
    for (const TOOL_RUN& quiet :
         {tool_run({"--noout", file}), tool_run_on_terminal({"--noout", tool_example_report()})}) {
        EXPECT_EQ(quiet.status, 0);
        EXPECT_NE(quiet.err.find("RDB_XML: Parsing resulted in 0 errors"), std::string::npos);
        EXPECT_EQ(quiet.err.find("reading "), std::string::npos);
        EXPECT_EQ(quiet.err.find('\r'), std::string::npos);
    }
}

TEST(ToolProgress, NarrowTerminalShortensTheNameAndMessagesStartOnACleanLine)
{
    TOOL_SCRATCH scratch;
    // The mismatched end tag stops the parse with a message on the last line,
    // while the progress line stands on the terminal.
    std::string file = scratch.write("a-rather-long-name-for-a-large-report.xml", large_report(9, "</repor>\n"));
    TOOL_RUN run = tool_run_on_terminal({"--noout", file}, 50);
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> drawn = drawn_lines(run.err);
    ASSERT_FALSE(drawn.empty());
    for (const std::string& text : drawn) {
        EXPECT_LT(text.size(), 50u) << text;
        EXPECT_EQ(text.rfind("reading ...", 0), 0u) << text;
    }
    EXPECT_NE(drawn.back().find("report.xml: 9.0 MB of 9.0 MB"), std::string::npos) << drawn.back();
    EXPECT_LT(run.err.find("reading ..."), run.err.find("RDB_XML: Fatal Error: "));
    expect_messages_only(run.err);
    bool found = false;
    for (const std::string& line : screen(run.err))
        found = found || (line.rfind("RDB_XML: Fatal Error: ", 0) == 0 && line.find(" at line: 4") != std::string::npos);
    EXPECT_TRUE(found) << run.err.substr(run.err.size() > 2000 ? run.err.size() - 2000 : 0);
}

TEST(ToolProgress, IsErasedBeforeTheReportWhenNoMessageFollows)
{
    TOOL_SCRATCH scratch;
    std::string first = scratch.write("first.xml", large_report(9, "</report>\n"));
    std::string second = scratch.write("second.xml", large_report(9, "</report>\n"));
    // Quiet, with the reports on the same terminal: only the end of each
    // parse erases the line before the report is printed.
    TOOL_RUN run = tool_run_on_terminal({"-q", first, second}, 250, true);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("reading " + first + ": 9.0 MB of 9.0 MB"), std::string::npos);
    EXPECT_NE(run.err.find("reading " + second + ": 9.0 MB of 9.0 MB"), std::string::npos);
    std::vector<std::string> lines = expect_clean_screen(run.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(trailing_blanks_removed(lines.front()), "report, current folder \"main\"");
    std::size_t reports = 0;
    for (const std::string& line : lines)
        reports += trailing_blanks_removed(line) == "report, current folder \"main\"";
    EXPECT_EQ(reports, 2u);
}
