// The tool under faults and with many files: every failed write said and
// counted, pages replaced whole or not at all, diagnostics naming file,
// line and column, and the same output from one thread as from many.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "gzip_bytes.h"
#include "instance_reports.h"
#include "rdb_bench_reports.h"
#include "tool_runner.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// A report of `rows` table rows, each cell saying `word`.
std::string report_of(int rows, const std::string& word)
{
    std::string xml = "<report><folders><root name=\"main\"/></folders><table name=\"t\" parent=\"main\">";
    for (int r = 0; r < rows; ++r)
        xml += "<row><string_cell>" + word + " " + std::to_string(r) + "</string_cell><int_cell>" +
               std::to_string(r) + "</int_cell></row>";
    return xml + "</table></report>";
}

std::size_t temporaries_in(const std::string& directory)
{
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(directory))
        n += entry.path().filename().string().rfind(".rdbxml-tmp-", 0) == 0;
    return n;
}

}  // namespace

TEST(ToolWrites, EveryFailedWriteIsSaidAndCounted)
{
    TOOL_SCRATCH scratch;
    std::string file = scratch.write("big.xml", report_of(20000, "cell"));
    const std::string run = "\"$RDBXML\" --json " + tool_shell_quoted(file);
    struct FAULT {
        const char* what;
        std::string script;
        const char* reason;
    };
    // Each script says the tool's own status on stderr after its messages.
    const std::string status = "; echo \"status $?\" >&2";
    const FAULT faults[] = {
        {"full disk", run + " >/dev/full" + status, "No space left on device"},
        {"closed stdout", run + " >&-" + status, "Bad file descriptor"},
        {"file-size limit", "trap '' XFSZ; ulimit -f 8; " + run + " >" + scratch.dir() + "/limited" + status,
         "File too large"},
        {"closed pipe, SIGPIPE ignored", "trap '' PIPE; (" + run + status + ") | head -c 1 >/dev/null",
         "Broken pipe"},
    };
    for (const FAULT& fault : faults) {
        TOOL_RUN result = tool_shell(fault.script);
        EXPECT_NE(result.err.find(std::string("rdbxml: cannot write standard output: ") + fault.reason +
                                  "\nstatus 1\n"),
                  std::string::npos)
            << fault.what << ": " << result.err;
    }
    // With the default SIGPIPE the closed pipe ends the tool quietly, as it
    // ends cat.
    TOOL_RUN piped = tool_shell("(" + run + status + ") | head -c 1 >/dev/null");
    EXPECT_EQ(piped.err, "status 141\n");
}

TEST(ToolPages, AKilledWriteLeavesTheEarlierPageWhole)
{
    TOOL_SCRATCH scratch;
    std::string small = scratch.write("small/run.xml", report_of(10, "old"));
    std::string large = scratch.write("large/run.xml", report_of(200000, "new"));
    std::string page = scratch.dir() + "/run.html";
    ASSERT_EQ(tool_run({"-q", "--html", page, small}).status, 0);
    const std::string old_page = tool_without_nonce(slurp(page));
    ASSERT_EQ(tool_run({"-q", "--html", scratch.dir() + "/whole.html", large}).status, 0);
    const std::string new_page = tool_without_nonce(slurp(scratch.dir() + "/whole.html"));
    // Killed as soon as it writes anything (the page is all a quiet run
    // writes), and at times through the parse and the write.
    const std::string start = "\"$RDBXML\" -q --html " + tool_shell_quoted(page) + " " + tool_shell_quoted(large) + " & ";
    const std::string at_first_write =
        "while [ \"$(awk '/^wchar/ {print $2}' /proc/$!/io 2>/dev/null || echo 0)\" = 0 ]; do :; done; ";
    for (const std::string& when : {at_first_write, std::string("sleep 0.1; "), std::string("sleep 0.4; "),
                                    std::string("sleep 0.8; "), at_first_write}) {
        tool_shell(start + when + "kill -9 $! 2>/dev/null; wait");
        std::string now = tool_without_nonce(slurp(page));
        EXPECT_TRUE(now == old_page || now == new_page) << when << ": " << now.size() << " bytes";
    }
    // A write that fails part way (the file-size limit) leaves it as well,
    // and says so.
    ASSERT_EQ(tool_run({"-q", "--html", page, small}).status, 0);
    TOOL_RUN limited = tool_shell("trap '' XFSZ; ulimit -f 2000; \"$RDBXML\" --html " + tool_shell_quoted(page) + " " +
                                  tool_shell_quoted(large));
    EXPECT_EQ(limited.status, 1);
    EXPECT_NE(limited.err.find("rdbxml: cannot write " + page + ": File too large"), std::string::npos) << limited.err;
    EXPECT_TRUE(tool_without_nonce(slurp(page)) == old_page);
    // Whatever a killed run left behind, the next run clears away.
    ASSERT_EQ(tool_run({"-q", "--html", page, small}).status, 0);
    EXPECT_EQ(temporaries_in(scratch.dir()), 0u);
    EXPECT_TRUE(tool_without_nonce(slurp(page)) == old_page);
}

TEST(ToolPages, TwoRunsIntoOneDirectoryNeverMixPages)
{
    TOOL_SCRATCH scratch;
    std::string first = scratch.write("a/run.xml", report_of(30000, "first"));
    std::string second = scratch.write("b/run.xml", report_of(30000, "second"));
    std::string pages = scratch.dir() + "/pages/";
    ASSERT_EQ(tool_run({"-q", "--html", scratch.dir() + "/one/", first}).status, 0);
    ASSERT_EQ(tool_run({"-q", "--html", scratch.dir() + "/two/", second}).status, 0);
    const std::string one = tool_without_nonce(slurp(scratch.dir() + "/one/run.html"));
    const std::string two = tool_without_nonce(slurp(scratch.dir() + "/two/run.html"));
    for (int round = 0; round < 5; ++round) {
        tool_shell("\"$RDBXML\" -q --html " + pages + " " + first + " & \"$RDBXML\" -q --html " +
                                   pages + " " + second + "; wait");
        std::string page = tool_without_nonce(slurp(pages + "run.html"));
        EXPECT_TRUE(page == one || page == two) << "round " << round << ": " << page.size() << " bytes";
    }
}

TEST(ToolDiagnostics, EachNamesFileLineAndColumn)
{
    TOOL_SCRATCH scratch;
    std::string malformed = scratch.write("malformed.xml", "<report>\n  <a>\n</report>\n");
    std::string enumeration = scratch.write(
        "enum.xml", "<report><folders><root name=\"m\"/></folders>\n<chart parent=\"m\"><type>donut</type></chart></report>");
    std::string packed = gzip_bytes(report_of(2000, "cell"));
    packed[packed.size() / 2] = static_cast<char>(packed[packed.size() / 2] ^ 0x40);
    std::string damaged = scratch.write("damaged.xml.gz", packed);
    std::string invalid = RDBXML_TEST_DATA_DIR "/schema_two_errors.xml";
    TOOL_RUN run = tool_run({"-j", "1", "--noout", malformed, enumeration, damaged});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(malformed + ":3:3: error: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(enumeration + ":2:37: error: Unrecognized enumeration type: donut\n"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(damaged + ": error: Input stream error: gzip data damaged at byte "), std::string::npos)
        << run.err;
    TOOL_RUN schema = tool_run({"--noout", "--schema", invalid});
    EXPECT_EQ(schema.status, 1);
    std::vector<std::string> lines = tool_lines(schema.err);
    ASSERT_EQ(lines.size(), 2u) << schema.err;
    for (const std::string& line : lines)
        EXPECT_TRUE(line.rfind(invalid + ":", 0) == 0 && line.find(": error: ") != std::string::npos) << line;
}

TEST(ToolDiagnostics, AHundredOfEachKindThenHowManyMore)
{
    // 200 000 cells before any row, a warning each (the file is one line).
    TOOL_SCRATCH scratch;
    const std::size_t cells = 200000;
    const std::string xml = rdb_bench_cells_before_any_row(cells);
    std::string file = scratch.write("cells.xml", xml);
    TOOL_RUN run = tool_run({"--noout", file});
    EXPECT_EQ(run.status, 0);
    std::vector<std::string> lines = tool_lines(run.err);
    ASSERT_EQ(lines.size(), 101u) << run.err.substr(0, 500);
    const std::string first_cell = "<int_cell/>";
    std::size_t column = xml.find(first_cell) + first_cell.size() + 1;
    for (std::size_t i = 0; i < 100; ++i, column += first_cell.size())
        EXPECT_EQ(lines[i], file + ":1:" + std::to_string(column) + ": warning: int_cell before any row: passed over");
    // The count where the last of them was.
    column = xml.rfind(first_cell) + first_cell.size() + 1;
    EXPECT_EQ(lines[100], file + ":1:" + std::to_string(column) +
                              ": warning: and 199900 more like this: int_cell before any row: passed over");

    // The parser's own lines are not bounded, nor are its totals.
    TOOL_RUN verbose = tool_run({"-v", "--noout", file});
    EXPECT_EQ(tool_lines(verbose.err).size(), 101u + tool_count(verbose.err, "RDB_XML: "));
    EXPECT_NE(verbose.err.find("RDB_XML: Parsing resulted in 0 errors, 0 warnings\n"), std::string::npos);
}

TEST(ToolFilesAtOnce, AnyNumberOfThreadsPrintsWhatOneDoes)
{
    // About thirty files, good and bad, nested in directories, besides
    // files that are no reports; standard input among them.
    TOOL_SCRATCH scratch;
    std::vector<std::string> expected;
    for (int i = 0; i < 30; ++i) {
        std::string dir = "tree/" + std::string(i % 3 == 0 ? "" : "sub" + std::to_string(i % 4) + "/");
        std::string xml = i % 5 == 4 ? "<report><broken>" : report_of(50 + 37 * i, "cell" + std::to_string(i));
        scratch.write(dir + "r" + std::to_string(100 + i) + (i % 6 == 1 ? ".xml.gz" : ".xml"),
                      i % 6 == 1 ? gzip_bytes(xml) : xml);
    }
    scratch.write("tree/notes.txt", "not a report");
    std::string stdin_file = scratch.write("stdin.xml", report_of(5, "stdin"));
    const std::string inputs = scratch.dir() + "/tree - " + scratch.dir() + "/missing.xml <" + stdin_file;
    // Every report file below the tree (not the notes), then standard input.
    TOOL_RUN listed = tool_shell("\"$RDBXML\" -v --noout " + inputs);
    EXPECT_EQ(tool_count(listed.err, "RDB_XML: Processing file: "), 31u) << listed.err;
    EXPECT_NE(listed.err.find("Processing file: " + scratch.dir() + "/tree/r100.xml\n"), std::string::npos);
    EXPECT_NE(listed.err.find("Processing file: <stdin>\n"), std::string::npos);
    EXPECT_LT(listed.err.find("/tree/r127.xml\n"), listed.err.find("/tree/sub1/r101.xml.gz\n"));
    for (const char* mode : {"--json", "--text"}) {
        std::string base = "\"$RDBXML\" " + std::string(mode) + " " + inputs + " -j ";
        TOOL_RUN one = tool_shell(base + "1");
        EXPECT_EQ(one.status, 1);
        EXPECT_NE(one.out.find("stdin 4"), std::string::npos);
        EXPECT_EQ(tool_count(one.err, ": error: "), 7u) << one.err;
        for (const char* threads : {"2", "8"}) {
            TOOL_RUN many = tool_shell(base + threads);
            EXPECT_EQ(many.status, one.status) << threads;
            EXPECT_TRUE(many.out == one.out) << mode << " -j " << threads;
            EXPECT_TRUE(many.err == one.err) << mode << " -j " << threads;
        }
    }
}

TEST(ToolFilesAtOnce, OneHierarchyServesEveryThread)
{
    // The hierarchy is loaded once and every parse resolves its cells
    // against it, on 8 threads at once.
    TOOL_SCRATCH scratch;
    const int blocks = 60, units = 50;
    std::string hierarchy = scratch.write("design.txt", test_design_hierarchy(blocks, units));
    std::string files;
    for (int seed = 0; seed < 16; ++seed)
        files += " " + tool_shell_quoted(scratch.write("r" + std::to_string(seed) + ".xml",
                                                       test_instance_report(seed, 200, blocks, units)));
    const std::string base = "\"$RDBXML\" --json --hierarchy " + tool_shell_quoted(hierarchy) + files + " -j ";
    TOOL_RUN one = tool_shell(base + "1");
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(tool_lines(one.out).size(), 16u);
    // The third row of the first report: a unit alone resolves at the first
    // block holding it, a block's unit at that block, and the name the
    // design lacks stays as written.
    for (const char* cell : {R"("instance":"top/b0/u12","path":"u12")", R"("instance":"top/b1/u12","path":"b1/u12")",
                             R"("instance":null,"path":"b1/nowhere2")"})
        EXPECT_NE(one.out.find(cell), std::string::npos) << cell;
    for (int run = 0; run < 3; ++run) {
        TOOL_RUN many = tool_shell(base + "8");
        EXPECT_EQ(many.status, 0) << many.err;
        EXPECT_TRUE(many.out == one.out) << "run " << run;
        EXPECT_EQ(many.err, one.err);
    }
}
