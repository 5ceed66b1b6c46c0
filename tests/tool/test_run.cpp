// The tool under faults and with many files: every failed write said and
// counted, pages replaced whole or not at all, diagnostics naming file,
// line and column, and the same output from one thread as from many.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "gzip_bytes.h"
#include "instance_reports.h"
#include "not_as_written_cases.h"
#include "rdb_bench_reports.h"
#include "tool_runner.h"

namespace fs = std::filesystem;

namespace {

// A report of `rows` table rows, each cell saying `word`.
std::string report_of(int rows, const std::string& word)
{
    std::string xml = "<report><folders><root name=\"main\"/></folders><table name=\"t\" parent=\"main\">";
    for (int r = 0; r < rows; ++r)
        xml += "<row><string_cell>" + word + " " + std::to_string(r) + "</string_cell><int_cell>" +
               std::to_string(r) + "</int_cell></row>";
    return xml + "</table></report>";
}

// Said after the tool's messages by the scripts of the fault tests.
const char* const STATUS = "; echo \"status $?\" >&2";

// Environment settings to put before "$RDBXML" in a tool_shell script: the
// tool is then stopped or killed at `step` of writing a file (kill_at.cpp).
std::string tool_kill_at(const std::string& step)
{
    // The sanitizers' runtime wants to be loaded first, and is not.
    return "LD_PRELOAD=" + tool_shell_quoted(RDBXML_TEST_KILL_AT_LIB) + " RDBXML_TEST_KILL_AT=" +
           tool_shell_quoted(step) + " ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\" ";
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
    // Every output of the tool under every fault its kind of target can
    // have, with -q and without: the tool says which output it could not
    // write and why, as its last line, and fails (1; diff's trouble is 2).
    TOOL_SCRATCH scratch;
    const std::string file = tool_shell_quoted(scratch.write("big.xml", report_of(8000, "cell")));
    const std::string other = tool_shell_quoted(scratch.write("other.xml", report_of(8000, "other")));
    struct OUTPUT {
        std::string args;
        std::string target;  // the file written; empty: standard output
        bool diff;
        bool fits_a_pipe = false;
    };
    const std::string dir = scratch.dir() + "/out", target = dir + "/target", table = dir + "/tables/main/t.csv";
    const OUTPUT outputs[] = {
        {"--json " + file, "", false},
        {"--text " + file, "", false},
        {"--csv - " + file, "", false},
        {"--html - " + file, "", false},
        {"--json " + file + " " + other, "", true},
        {"--html - " + file + " " + other, "", true},
        {"--color=always " + file + " " + other, "", true},
        {"--html " + target + " " + file, target, false},
        {"--csv " + target + " " + file, target, false},
        {"--csv " + dir + "/tables/ " + file, table, false},
        {"--html " + target + " " + file + " " + other, target, true},
        // The list of several files' pages, after their pages were written;
        // smaller than a pipe's buffer, it is written whole before a FIFO's
        // reader can close it.
        {"--html " + dir + "/pages/ " + file + " " + other, dir + "/pages/index.html", false, true},
    };
    // Each fault makes the target (a file of its kind, where the output is
    // one) and wraps the command, saying the tool's status on stderr after
    // its messages.
    enum TARGET { REGULAR, DEVICE, FIFO };
    struct FAULT {
        const char* what;
        const char* reason;
        TARGET kind;
        std::string (*script)(const std::string& command, const std::string& target);
    };
    const std::vector<FAULT> to_stdout = {
        {"full disk", "No space left on device", REGULAR,
         [](const std::string& command, const std::string&) { return command + " >/dev/full" + STATUS; }},
        {"closed stdout", "Bad file descriptor", REGULAR,
         [](const std::string& command, const std::string&) { return command + " >&-" + STATUS; }},
        {"file-size limit", "File too large", REGULAR,
         [](const std::string& command, const std::string& target) {
             return "ulimit -f 8; " + command + " >" + tool_shell_quoted(target) + STATUS;
         }},
        {"closed pipe, SIGPIPE ignored", "Broken pipe", REGULAR,
         [](const std::string& command, const std::string&) {
             return "trap '' PIPE; { " + command + STATUS + "; } | head -c 1 >/dev/null";
         }},
    };
    const std::vector<FAULT> to_file = {
        {"full device", "No space left on device", DEVICE,
         [](const std::string& command, const std::string&) { return command + STATUS; }},
        {"FIFO closed by its reader, SIGPIPE ignored", "Broken pipe", FIFO,
         [](const std::string& command, const std::string& target) {
             return "trap '' PIPE; head -c 1 " + tool_shell_quoted(target) + " >/dev/null & reader=$!; " +
                    command + STATUS + "; kill $reader 2>/dev/null; wait";
         }},
        {"file-size limit", "File too large", REGULAR,
         [](const std::string& command, const std::string&) { return "ulimit -f 8; " + command + STATUS; }},
    };
    std::string no_device;
    for (const OUTPUT& output : outputs) {
        const bool to_a_file = !output.target.empty();
        const std::string name = to_a_file ? output.target : "standard output";
        for (bool quiet : {false, true}) {
            const std::string command = std::string("\"$RDBXML\" ") + (output.diff ? "diff " : "") +
                                        (quiet ? "-q " : "") + output.args;
            const std::string failed = "\nstatus " + std::string(output.diff ? "2" : "1") + "\n";
            for (const FAULT& fault : to_a_file ? to_file : to_stdout) {
                if (fault.kind == FIFO && output.fits_a_pipe)
                    continue;
                SCOPED_TRACE(fault.what + std::string(": ") + command);
                fs::remove_all(dir);
                fs::create_directories(fs::path(table).parent_path());
                if (to_a_file)
                    fs::create_directories(fs::path(output.target).parent_path());
                if (fault.kind == DEVICE) {
                    std::string why = tool_make_device(output.target, "/dev/full");
                    if (!why.empty()) {
                        no_device = why;
                        continue;
                    }
                } else if (fault.kind == FIFO) {
                    ASSERT_EQ(mkfifo(output.target.c_str(), 0600), 0);
                } else if (to_a_file) {
                    scratch.write(fs::relative(output.target, scratch.dir()).string(), "earlier");
                }
                TOOL_RUN run = tool_shell(fault.script(command, to_a_file ? output.target : target));
                // After it, only the count of several files.
                std::string said = "rdbxml: cannot write " + name + ": " + fault.reason + "\n";
                std::size_t at = run.err.find(said);
                ASSERT_NE(at, std::string::npos) << run.err.substr(0, 2000);
                std::string tail = run.err.substr(at + said.size());
                if (tail.find(" files: ") != std::string::npos)
                    tail.erase(0, tail.find('\n') + 1);
                EXPECT_EQ("\n" + tail, failed) << run.err.substr(0, 2000);
                // Only a regular file is replaced, and a failed write leaves
                // it as it was.
                if (!to_a_file)
                    continue;
                struct stat after;
                ASSERT_EQ(stat(output.target.c_str(), &after), 0);
                if (fault.kind == DEVICE)
                    EXPECT_TRUE(S_ISCHR(after.st_mode));
                else if (fault.kind == FIFO)
                    EXPECT_TRUE(S_ISFIFO(after.st_mode));
                else
                    EXPECT_EQ(test_read_file(output.target), "earlier");
            }
        }
    }
    // With the default SIGPIPE the closed pipe ends the tool quietly, as it
    // ends cat.
    TOOL_RUN piped = tool_shell("{ \"$RDBXML\" --json " + file + "; echo \"status $?\" >&2; } | head -c 1 >/dev/null");
    EXPECT_EQ(piped.err, "status 141\n");
    if (!no_device.empty())
        GTEST_SKIP() << "the full device was left out: " << no_device;
}

TEST(ToolPages, AKilledWriteLeavesTheEarlierPageWhole)
{
    TOOL_SCRATCH scratch;
    std::string small = scratch.write("small/run.xml", report_of(10, "old"));
    std::string large = scratch.write("large/run.xml", report_of(20000, "new"));
    std::string page = scratch.dir() + "/run.html";
    ASSERT_EQ(tool_run({"-q", "--html", scratch.dir() + "/whole.html", large}).status, 0);
    const std::string new_page = tool_without_nonce(test_read_file(scratch.dir() + "/whole.html"));
    ASSERT_EQ(tool_run({"-q", "--html", page, small}).status, 0);
    const std::string old_page = tool_without_nonce(test_read_file(page));
    const std::string run = "\"$RDBXML\" -q --html " + tool_shell_quoted(page) + " " + tool_shell_quoted(large);
    // Killed at each step of writing the page: until it is renamed into
    // place the earlier page stands, and then the new one; a temporary file
    // left behind is named as the tool's own.
    // Where the file system has no unnamed files, the page is written to a
    // named one from the start.
    int unnamed = open(scratch.dir().c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (unnamed >= 0)
        close(unnamed);
    const struct {
        const char* step;
        const std::string* page;
        std::size_t temporaries;
    } kills[] = {{"write", &old_page, unnamed >= 0 ? 0u : 1u}, {"rename", &old_page, 1}, {"renamed", &new_page, 0}};
    for (const auto& kill : kills) {
        TOOL_RUN killed = tool_shell(tool_kill_at(kill.step) + run + "; echo \"status $?\"");
        EXPECT_EQ(killed.out, "status 137\n") << kill.step;
        EXPECT_TRUE(tool_without_nonce(test_read_file(page)) == *kill.page) << kill.step;
        EXPECT_EQ(temporaries_in(scratch.dir()), kill.temporaries) << kill.step;
        // Whatever a killed run left behind, the next run clears away.
        ASSERT_EQ(tool_run({"-q", "--html", page, small}).status, 0);
        EXPECT_EQ(temporaries_in(scratch.dir()), 0u);
        EXPECT_TRUE(tool_without_nonce(test_read_file(page)) == old_page);
    }
    // A write that fails part way (the file-size limit) leaves it as well,
    // and says so.
    TOOL_RUN limited = tool_shell("ulimit -f 100; \"$RDBXML\" --html " + tool_shell_quoted(page) + " " +
                                  tool_shell_quoted(large));
    EXPECT_EQ(limited.status, 1);
    EXPECT_NE(limited.err.find("rdbxml: cannot write " + page + ": File too large"), std::string::npos) << limited.err;
    EXPECT_TRUE(tool_without_nonce(test_read_file(page)) == old_page);
    EXPECT_EQ(temporaries_in(scratch.dir()), 0u);
}

TEST(ToolPages, TwoRunsIntoOneDirectoryNeverMixPages)
{
    TOOL_SCRATCH scratch;
    std::string first = scratch.write("a/run.xml", report_of(3000, "first"));
    std::string second = scratch.write("b/run.xml", report_of(3000, "second"));
    std::string pages = scratch.dir() + "/pages/";
    ASSERT_EQ(tool_run({"-q", "--html", scratch.dir() + "/one/", first}).status, 0);
    ASSERT_EQ(tool_run({"-q", "--html", scratch.dir() + "/two/", second}).status, 0);
    const std::string one = tool_without_nonce(test_read_file(scratch.dir() + "/one/run.html"));
    const std::string two = tool_without_nonce(test_read_file(scratch.dir() + "/two/run.html"));
    // The first run stops with its page written beside the target, just
    // before renaming it into place; the second writes its own page
    // meanwhile, leaving the first one's alone; then the first goes on. (The
    // wait is for the first run to stop, or to end should it never stop.)
    const std::string page = tool_shell_quoted(pages + "run.html");
    TOOL_RUN run = tool_shell(
        tool_kill_at("stop-rename") + "\"$RDBXML\" -q --html " + pages + " " + first + " & first=$!; " +
        "while grep -q '^State:.[RSD] ' /proc/$first/status 2>/dev/null; do sleep 0.01; done; "
        "\"$RDBXML\" -q --html " + pages + " " + second + "; echo \"second $?\"; " +
        "cp " + page + " " + tool_shell_quoted(scratch.dir() + "/meanwhile.html") + "; " +
        "kill -CONT $first; wait $first; echo \"first $?\"");
    EXPECT_EQ(run.out, "second 0\nfirst 0\n") << run.err;
    EXPECT_TRUE(tool_without_nonce(test_read_file(scratch.dir() + "/meanwhile.html")) == two);
    EXPECT_TRUE(tool_without_nonce(test_read_file(pages + "run.html")) == one);
    EXPECT_EQ(temporaries_in(pages), 0u);
}

TEST(ToolPages, SeveralFilesGetAListOfTheirPagesWithTheirStatus)
{
    TOOL_SCRATCH scratch;
    const std::string good = tool_example_report();
    const std::string warned = scratch.write("warned.xml", "<report><folders><root name=\"main\"/>"
                                                           "<folder name=\"lost\"/></folders></report>\n");
    const std::string bad = scratch.write("bad.xml", "<report>\n  <text name=\"a\">\n</report>\n");
    // A report named as the list is gets the usual unique name.
    const std::string named = scratch.write("index.xml", report_of(2, "named"));
    // A name is text in the list, and a link that cannot leave it.
    const std::string odd = scratch.write("javascript:a&<b>#%.xml", report_of(2, "odd"));
    const std::string pages = scratch.dir() + "/pages/";
    TOOL_RUN run = tool_run({"--html", pages, good, warned, bad, named, odd});
    EXPECT_EQ(run.status, 1);
    // Where each page went, and the list, before the count.
    for (const auto& [file, page] : std::vector<std::pair<std::string, std::string>>{
             {good, "report.html"}, {warned, "warned.html"}, {named, "index-2.html"}, {odd, "javascript:a&<b>#%.html"}})
        EXPECT_NE(run.err.find(file + ": note: page written to " + pages + page + "\n"), std::string::npos) << run.err;
    EXPECT_EQ(tool_count(run.err, "note: page written"), 4u) << run.err;
    EXPECT_NE(run.err.find("rdbxml: list of the pages written to " + pages + "index.html\n"
                           "5 files: 4 good, 1 failed, 2 with warnings\n"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::is_regular_file(pages + "index-2.html"));
    EXPECT_FALSE(fs::exists(pages + "bad.html"));

    // One row per file in the order given: a link to its page (none for the
    // file that gave none), its status and its warning count.
    const std::string list = test_read_file(pages + "index.html");
    std::vector<std::size_t> rows;
    for (const std::string& row :
         {"<tr><td><a href=\"./report.html\">" + good + "</a></td><td class=\"status-good\">good</td>"
                                                         "<td class=\"num\">0</td></tr>",
          "<tr><td><a href=\"./warned.html\">" + warned +
              "</a></td><td class=\"status-warned\">with warnings</td><td class=\"num\">1</td></tr>",
          "<tr><td>" + bad + "</td><td class=\"status-failed\">failed</td><td class=\"num\">1</td></tr>",
          "<tr><td><a href=\"./index-2.html\">" + named + "</a></td>",
          "<tr><td><a href=\"./javascript%3Aa%26%3Cb%3E%23%25.html\">" + scratch.dir() +
              "/javascript:a&amp;&lt;b&gt;#%.xml</a></td>"}) {
        rows.push_back(list.find(row));
        EXPECT_NE(rows.back(), std::string::npos) << row << "\n" << list;
    }
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    EXPECT_EQ(list.find("<b>"), std::string::npos);
    // The page's own frame and policy.
    EXPECT_NE(list.find("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'"),
              std::string::npos);

    // -q says where nothing went; one file gets no list.
    TOOL_RUN quiet = tool_run({"-q", "--html", scratch.dir() + "/quiet/", good, warned});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_TRUE(fs::is_regular_file(scratch.dir() + "/quiet/index.html"));
    TOOL_RUN one = tool_run({"--html", scratch.dir() + "/one/", named});
    EXPECT_EQ(one.err, named + ": note: page written to " + scratch.dir() + "/one/index.html\n");
    EXPECT_EQ(tool_count(test_read_file(scratch.dir() + "/one/index.html"), "named 1"), 1u);
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
    // Each value the schema refuses is also said as read without it.
    ASSERT_EQ(lines.size(), 4u) << schema.err;
    EXPECT_EQ(tool_count(schema.err, ": error: "), 2u) << schema.err;
    for (const std::string& line : lines)
        EXPECT_TRUE(line.rfind(invalid + ":", 0) == 0) << line;
}

TEST(ToolDiagnostics, ContentNotTakenAsWrittenIsAWarningThatFailsTheFileOnlyWithStrict)
{
    // What each case says, the parser's tests hold; here, that the tool
    // passes it on and refuses for it: the first case, and the one with the
    // most warnings.
    TOOL_SCRATCH scratch;
    const std::vector<NOT_AS_WRITTEN_CASE>& cases = not_as_written_cases();
    auto most = std::max_element(cases.begin(), cases.end(), [](const auto& a, const auto& b) {
        return a.m_warnings.size() < b.m_warnings.size();
    });
    ASSERT_GT(most->m_warnings.size(), 1u);
    for (const NOT_AS_WRITTEN_CASE& c : {cases.front(), *most}) {
        SCOPED_TRACE(c.m_body);
        std::string file = scratch.write("case.xml", not_as_written_report(c.m_body));
        std::string read_as = scratch.write("read_as.xml", not_as_written_report(c.m_read_as));
        TOOL_RUN run = tool_run({"--json", file});
        EXPECT_EQ(run.status, 0);
        std::vector<std::string> expected;
        for (const std::string& warning : c.m_warnings)
            expected.push_back(file + ":" + warning);
        EXPECT_EQ(tool_lines(run.err), expected);
        // The report is the one the file's plain reading gives.
        TOOL_RUN plain = tool_run({"--json", read_as});
        EXPECT_EQ(plain.status, 0);
        std::string json = plain.out;
        json.replace(json.find(read_as), read_as.size(), file);
        EXPECT_EQ(run.out, json);
        // Strictness refuses the file for those very warnings.
        TOOL_RUN strict = tool_run({"--strict", "--json", file});
        EXPECT_EQ(strict.status, 1);
        expected.push_back(file + ": error: strict: the report is refused for its " +
                           std::to_string(c.m_warnings.size()) + " warning" + (c.m_warnings.size() == 1 ? "" : "s"));
        EXPECT_EQ(tool_lines(strict.err), expected);
    }
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
