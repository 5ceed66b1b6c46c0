// rdbxml index as a program: labels, times, counts and usage; a database
// it may not write, a full disk, two at once, and one killed mid-run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

// A report whose slack table has `rows` rows (delays shown in ps and ns),
// with a gauge of `used` and a chart.
std::string report(std::size_t rows, long used)
{
    std::string xml =
        "<?xml version=\"1.0\"?>\n<report>\n"
        "  <folders><root name=\"main\"/><folder name=\"timing\"/></folders>\n"
        "  <folder_ref name=\"timing\" parent=\"main\"/>\n"
        "  <tan_slack_table name=\"Setup\" parent=\"timing\">\n"
        "    <row><string_cell>Slack</string_cell><string_cell>To</string_cell></row>\n";
    for (std::size_t i = 0; i < rows; ++i)
        xml += "    <row><delay_cell><delay>" + std::to_string(static_cast<long>(i * 37 % 1000) - used) +
               "</delay><display_option>" + (i % 2 ? "ns" : "ps") + "</display_option></delay_cell><string_cell>r" +
               std::to_string(i) + "</string_cell></row>\n";
    return xml +
           "  </tan_slack_table>\n"
           "  <summary name=\"Fit\" parent=\"main\">\n"
           "    <gauges><gauge name=\"Logic\" percent=\"true\" enabled=\"true\"><min>0</min><max>100</max><value>" +
           std::to_string(used) + "</value></gauge></gauges>\n  </summary>\n</report>\n";
}

// The result of an SQL query by the sqlite3 program.
std::string sql(const std::string& db, const std::string& query)
{
    return tool_shell("sqlite3 " + tool_shell_quoted(db) + " " + tool_shell_quoted(query)).out;
}

std::string dump(const std::string& db) { return tool_shell("sqlite3 " + tool_shell_quoted(db) + " .dump").out; }

// Per run, by file: its status and how many rows it has in each table.
const char* const RUN_SIZES =
    "SELECT file, status, (SELECT COUNT(*) FROM objects WHERE run_id = r.id),"
    " (SELECT COUNT(*) FROM column_stats WHERE run_id = r.id), (SELECT COUNT(*) FROM table_rows WHERE run_id = r.id),"
    " (SELECT COUNT(*) FROM cells WHERE run_id = r.id), (SELECT COUNT(*) FROM gauges WHERE run_id = r.id)"
    " FROM runs r ORDER BY file";

TEST(ToolIndex, LabelsTimesCountsAndUsage)
{
    TOOL_SCRATCH scratch;
    const std::string dir = scratch.dir() + "/nightly";
    scratch.write("nightly/sub/a.xml", report(3, 10));
    scratch.write("nightly/b.xml", report(2, 20));
    scratch.write("nightly/c.xml", report(2, 30) + "<junk/>");
    const std::string db = scratch.dir() + "/runs.db";

    TOOL_RUN first = tool_run({"index", "-v", db, dir});
    EXPECT_EQ(first.status, 1) << first.err;
    EXPECT_EQ(first.out, dir + "/b.xml: indexed\n" + dir + "/c.xml: failed (kept as a failed run)\n" + dir +
                             "/sub/a.xml: indexed\n");
    std::vector<std::string> lines = tool_lines(first.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "3 files: 2 good, 1 failed, 0 with warnings");
    EXPECT_EQ(tool_count(first.err, dir + "/c.xml:"), 1u) << first.err;
    EXPECT_EQ(sql(db, "SELECT label, status FROM runs ORDER BY label"), "b.xml|good\nc.xml|failed\nsub/a.xml|good\n");

    TOOL_RUN again = tool_run({"index", db, dir});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(tool_lines(again.err).back(), "3 files: 2 good, 1 failed, 0 with warnings, 3 unchanged");
    TOOL_RUN quiet = tool_run({"index", "-q", db, dir + "/b.xml", dir + "/sub"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");

    // One file named and timed; given as a file, its label is as given.
    const std::string one = scratch.write("one.xml", report(1, 5));
    EXPECT_EQ(tool_run({"index", "--label", "r1042", "--time", "2026-01-02 03:04", db, one}).status, 0);
    EXPECT_EQ(sql(db, "SELECT label, time FROM runs WHERE file LIKE '%/one.xml'"),
              "r1042|2026-01-02T03:04:00.000000000Z\n");
    const std::string two = scratch.write("two.xml", report(1, 6));
    EXPECT_EQ(tool_run({"index", "--time", "@86400", db, two}).status, 0);
    EXPECT_EQ(sql(db, "SELECT label, time FROM runs WHERE file LIKE '%/two.xml'"),
              two + "|1970-01-02T00:00:00.000000000Z\n");

    // Usage errors touch no database.
    const std::string untouched = scratch.dir() + "/untouched.db";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"index", "--label", "x", untouched, one, two},
             {"index", "--label", "x", untouched, dir},
             {"index", "--time", "yesterday", untouched, one},
             {"index", untouched, "-"},
             {"index", untouched},
             {"index", "--wait", "-1", untouched, one},
         }) {
        TOOL_RUN run = tool_run(args);
        EXPECT_EQ(run.status, 2) << args[1] << " " << run.err;
        EXPECT_EQ(tool_lines(run.err).size(), 1u) << run.err;
        EXPECT_EQ(run.err.rfind("rdbxml index: ", 0), 0u) << run.err;
    }
    EXPECT_EQ(tool_shell("test -e " + tool_shell_quoted(untouched)).status, 1);
    // A file that cannot be read is said and counted, and makes no run.
    TOOL_RUN missing = tool_run({"index", db, one, scratch.dir() + "/missing.xml"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, scratch.dir() + "/missing.xml: error: cannot read: No such file or directory\n"
                           "2 files: 1 good, 1 failed, 0 with warnings, 1 unchanged\n");
    EXPECT_EQ(sql(db, "SELECT COUNT(*) FROM runs WHERE file LIKE '%missing%'"), "0\n");
    // A file that is not an index is refused, and left alone.
    TOOL_RUN refused = tool_run({"index", one, two});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "rdbxml index: " + one + ": not an SQLite database; index into a new file\n");
}

TEST(ToolIndex, StrictKeepsAFileWithAWarningAsAFailedRun)
{
    TOOL_SCRATCH scratch;
    // A cell before any row is passed over, with a warning.
    std::string text = report(2, 1);
    text.insert(text.find("<row>"), "<string_cell>early</string_cell>");
    const std::string warned = scratch.write("warned.xml", text);
    const std::string db = scratch.dir() + "/runs.db", strict = scratch.dir() + "/strict.db";
    TOOL_RUN lenient = tool_run({"index", db, warned});
    EXPECT_EQ(lenient.status, 0);
    EXPECT_NE(lenient.err.find(warned + ":6:"), std::string::npos) << lenient.err;
    EXPECT_EQ(sql(db, "SELECT status, warnings FROM runs"), "good|1\n");
    TOOL_RUN refused = tool_run({"index", "--strict", strict, warned});
    EXPECT_EQ(refused.status, 1);
    // Its first error is the refusal, not the warning before it.
    EXPECT_EQ(sql(strict, "SELECT status, warnings, error FROM runs"),
              "failed|1|" + warned + ": error: strict: the report is refused for its 1 warning\n");
}

TEST(ToolIndex, PruneDropsTheRunsOfFilesThatAreGone)
{
    TOOL_SCRATCH scratch;
    const std::string a = scratch.write("a.xml", report(2, 1)), b = scratch.write("b.xml", report(2, 2));
    const std::string db = scratch.dir() + "/runs.db";
    ASSERT_EQ(tool_run({"index", db, a, b}).status, 0);
    ASSERT_EQ(tool_shell("rm " + tool_shell_quoted(b)).status, 0);
    EXPECT_EQ(tool_run({"index", db, a}).status, 0);
    EXPECT_EQ(sql(db, "SELECT COUNT(*) FROM runs"), "2\n");
    TOOL_RUN pruned = tool_run({"index", "--prune", "-v", db, a});
    EXPECT_EQ(pruned.status, 0) << pruned.err;
    EXPECT_EQ(pruned.out, a + ": unchanged\n" + db + ": 1 runs of files gone dropped\n");
    EXPECT_EQ(sql(db, "SELECT label FROM runs; SELECT COUNT(*) FROM gauges"), a + "\n1\n");
}

TEST(ToolIndex, ADatabaseItMayNotWriteIsLeftAsItWas)
{
    TOOL_SCRATCH scratch;
    const std::string db = scratch.dir() + "/runs.db";
    const std::string a = scratch.write("a.xml", report(2, 1)), b = scratch.write("b.xml", report(2, 2));
    ASSERT_EQ(tool_run({"index", db, a}).status, 0);
    const std::string before = dump(db);
    ASSERT_NE(before.find("CREATE TABLE runs"), std::string::npos);
    // Root writes whatever the modes say: the tool runs as nobody, who may
    // read the reports and the database but write neither it nor its
    // directory.
    const std::string as_nobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    if (tool_shell(as_nobody + "true").status != 0)
        GTEST_SKIP() << "setpriv cannot run a command as nobody here";
    ASSERT_EQ(tool_shell("chmod 755 " + tool_shell_quoted(scratch.dir()) + " && chmod 644 " + tool_shell_quoted(db) +
                         " " + tool_shell_quoted(a) + " " + tool_shell_quoted(b))
                  .status,
              0);
    TOOL_RUN run = tool_shell(as_nobody + "\"$RDBXML\" index " + tool_shell_quoted(db) + " " + tool_shell_quoted(a) +
                              " " + tool_shell_quoted(b));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.rfind("rdbxml index: " + db + ": ", 0), 0u) << run.err;
    EXPECT_EQ(tool_lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(dump(db), before);
}

TEST(ToolIndex, AFullDiskLeavesTheDatabaseWholeAndSaysSo)
{
    TOOL_SCRATCH scratch;
    const std::string db = scratch.dir() + "/runs.db";
    const std::string small = scratch.write("small.xml", report(2, 1));
    const std::string large = scratch.write("large.xml", report(20000, 2));
    ASSERT_EQ(tool_run({"index", db, small}).status, 0);
    const std::string before = dump(db);
    // The large report's cells grow the journal past the limit (in KiB).
    TOOL_RUN run = tool_shell("ulimit -f 256; \"$RDBXML\" index --cells " + tool_shell_quoted(db) + " " +
                              tool_shell_quoted(large));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.rfind("rdbxml index: " + db + ": ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_EQ(dump(db), before);
    EXPECT_EQ(sql(db, "PRAGMA integrity_check"), "ok\n");
    // Without the limit it goes in.
    EXPECT_EQ(tool_run({"index", "--cells", db, large}).status, 0);
    EXPECT_EQ(sql(db, "SELECT COUNT(*) FROM runs"), "2\n");
}

// Twenty reports, the later ones larger, in `dir`.
void write_runs(const TOOL_SCRATCH& scratch, const std::string& dir, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        scratch.write(dir + "/r" + std::to_string(100 + i) + ".xml", report(200 + 300 * i, static_cast<long>(i)));
}

TEST(ToolIndex, TwoAtOnceBothEndWellOrTheSecondSaysItWaitedTooLong)
{
    TOOL_SCRATCH scratch;
    write_runs(scratch, "runs", 20);
    const std::string dir = scratch.dir() + "/runs", db = scratch.dir() + "/runs.db";
    const std::string fresh = scratch.dir() + "/fresh.db";
    ASSERT_EQ(tool_run({"index", "--cells", fresh, dir}).status, 0);
    const std::string index = "\"$RDBXML\" index -q --cells -j 2 --wait 0.1 " + tool_shell_quoted(db) + " " +
                              tool_shell_quoted(dir);
    const std::string e1 = scratch.dir() + "/e1", e2 = scratch.dir() + "/e2";
    TOOL_RUN both = tool_shell(index + " 2>" + tool_shell_quoted(e1) + " & " + index + " 2>" +
                               tool_shell_quoted(e2) + "; s2=$?; wait $!; echo $? $s2");
    std::vector<std::string> statuses = tool_lines(both.out);
    ASSERT_EQ(statuses.size(), 1u);
    const std::string said[2] = {test_read_file(e1), test_read_file(e2)};
    for (int i = 0; i < 2; ++i) {
        const char status = statuses[0][2 * i];
        if (status == '0') {
            EXPECT_EQ(said[i], "");
        } else {
            EXPECT_EQ(status, '1');
            EXPECT_EQ(said[i], "rdbxml index: " + db + ": the database is busy (another rdbxml index?); waited 0.1 s\n");
        }
    }
    EXPECT_EQ(sql(db, "PRAGMA integrity_check"), "ok\n");
    // Every run there is whole: as a lone index writes it.
    std::vector<std::string> runs = tool_lines(sql(db, RUN_SIZES)), whole = tool_lines(sql(fresh, RUN_SIZES));
    EXPECT_FALSE(runs.empty());
    for (const std::string& run : runs)
        EXPECT_NE(std::find(whole.begin(), whole.end(), run), whole.end()) << run;
    // Both ended well, or another pass finishes the work.
    EXPECT_EQ(tool_run({"index", "-q", "--cells", db, dir}).status, 0);
    EXPECT_EQ(sql(db, RUN_SIZES), sql(fresh, RUN_SIZES));
}

TEST(ToolIndex, TwoAtOnceOnANewDatabaseBothEndWellWhenTheyMayWait)
{
    // They make the database at the same moment: one makes its tables, the
    // others wait and find them, however their steps interleave. Four at
    // once, and rounds enough, that the moments fall differently.
    TOOL_SCRATCH scratch;
    const std::string report_file = scratch.write("a.xml", report(3, 1));
    const int rounds = 15;
    std::string script;
    for (int round = 0; round < rounds; ++round) {
        const std::string db = tool_shell_quoted(scratch.dir() + "/r" + std::to_string(round) + ".db");
        const std::string go = tool_shell_quoted(scratch.dir() + "/go" + std::to_string(round));
        // Each waits for the word go, so that all four start together.
        const std::string index = "{ until [ -e " + go + " ]; do :; done; \"$RDBXML\" index -q " + db + " " +
                                  tool_shell_quoted(report_file) + "; }";
        script += index + " & a=$!; " + index + " & b=$!; " + index + " & c=$!; " + index + " & d=$!; touch " +
                  go + "; wait $a; echo $?; wait $b; echo $?; wait $c; echo $?; wait $d; echo $?; sqlite3 " + db +
                  " 'SELECT COUNT(*) FROM runs';\n";
    }
    TOOL_RUN run = tool_shell(script);
    EXPECT_EQ(run.err, "");
    std::string expected;
    for (int round = 0; round < rounds; ++round)
        expected += "0\n0\n0\n0\n1\n";
    EXPECT_EQ(run.out, expected);
}

TEST(ToolIndex, KilledMidRunItLeavesEveryRunWholeOrAbsent)
{
    TOOL_SCRATCH scratch;
    write_runs(scratch, "runs", 30);
    const std::string dir = scratch.dir() + "/runs", db = scratch.dir() + "/runs.db";
    const std::string fresh = scratch.dir() + "/fresh.db", out = scratch.dir() + "/out";
    ASSERT_EQ(tool_run({"index", "-q", "--cells", fresh, dir}).status, 0);
    // Killed once three runs went in, however far it got since: asked of
    // the database, where no answer yet (no file, no table) is none. A FIFO
    // nobody writes to, last, keeps it from ending before the kill, however
    // slow the shell that kills it is.
    const std::string stall = scratch.dir() + "/stall.xml";
    ASSERT_EQ(mkfifo(stall.c_str(), 0600), 0);
    TOOL_RUN run = tool_shell("\"$RDBXML\" index -v -j 1 --cells " + tool_shell_quoted(db) + " " +
                              tool_shell_quoted(dir) + " " + tool_shell_quoted(stall) + " >" + tool_shell_quoted(out) +
                              " 2>&1 & pid=$!; "
                              "while n=$(sqlite3 " + tool_shell_quoted(db) + " 'SELECT COUNT(*) FROM runs' 2>/dev/null); "
                              "[ \"${n:-0}\" -lt 3 ] && kill -0 $pid 2>/dev/null; do sleep 0.01; done; "
                              "kill -KILL $pid; wait $pid; echo $?");
    ASSERT_EQ(run.out, "137\n") << tool_shell("cat " + tool_shell_quoted(out)).out;
    EXPECT_EQ(sql(db, "PRAGMA integrity_check"), "ok\n");
    std::vector<std::string> runs = tool_lines(sql(db, RUN_SIZES)), whole = tool_lines(sql(fresh, RUN_SIZES));
    EXPECT_GE(runs.size(), 3u);
    for (const std::string& r : runs)
        EXPECT_NE(std::find(whole.begin(), whole.end(), r), whole.end()) << r;
    // The next pass reads only what is missing.
    TOOL_RUN next = tool_run({"index", "--cells", db, dir});
    EXPECT_EQ(next.status, 0);
    EXPECT_NE(next.err.find(", " + std::to_string(runs.size()) + " unchanged"), std::string::npos) << next.err;
    EXPECT_EQ(sql(db, RUN_SIZES), sql(fresh, RUN_SIZES));
}

}  // namespace
