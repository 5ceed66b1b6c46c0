// --csv and --select through the built tool: the files and their bytes,
// one table to stdout, and the errors that name what went wrong.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rdb_bench_reports.h"
#include "tool_runner.h"

namespace fs = std::filesystem;

namespace {

const std::string TABLES = RDBXML_TEST_DATA_DIR "/csv_tables.xml";

// The files below `dir`, relative to it, sorted.
std::vector<std::string> files_below(const fs::path& dir)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), dir).string());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(ToolCsv, EachTableAFileNamedByItsPathWithDelaysInTheirColumnsUnit)
{
    TOOL_SCRATCH scratch;
    const std::string out = scratch.dir() + "/out/";
    TOOL_RUN run = tool_run({"--csv", out, TABLES});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    // A '/' inside a name cannot make a directory.
    EXPECT_EQ(files_below(out), (std::vector<std::string>{"main/Paths.csv", "main/a%2Fb/Fmax.csv", "main/numbers.csv"}));
    // The heading row names the columns (an empty title by its number), the
    // first delay's unit is the column's, MHz of no delay is empty, fields
    // are quoted and lines end in CRLF.
    EXPECT_EQ(test_read_file(out + "main/Paths.csv"),
              "\"Slack (ns)\",\"Note, \"\"quoted\"\"\",\"To\",\"4\"\r\n"
              "\"-0.120\",\"two\nlines\",\"cpu/regfile/r0\",\"  padded  \"\r\n"
              "\"2.500\",\"NA\",\"mem/x\",\"\"\r\n"
              "\"0.000\",\"007\",\"caf\xc3\xa9/\xe4\xb8\xad\",\"-5\"\r\n");
    EXPECT_EQ(test_read_file(out + "main/a%2Fb/Fmax.csv"), "\"Clock\",\"Fmax (MHz)\"\r\n\"c1\",\"400.0\"\r\n\"c2\",\"\"\r\n");
    // No heading row: the columns are numbered, and short rows filled.
    EXPECT_EQ(test_read_file(out + "main/numbers.csv"), "\"1\",\"2\"\r\n\"1\",\"one\"\r\n\"2\",\"\"\r\n");

    // Several files: a directory of each file's tables.
    run = tool_run({"--csv", scratch.dir() + "/two/", TABLES, TABLES});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(files_below(scratch.dir() + "/two").size(), 6u);
    EXPECT_EQ(test_read_file(scratch.dir() + "/two/csv_tables-2/main/numbers.csv"), test_read_file(out + "main/numbers.csv"));
}

TEST(ToolCsv, OneTableToStandardOutputOrAFile)
{
    TOOL_SCRATCH scratch;
    TOOL_RUN run = tool_run({"--csv", "-", "--select", "main/*/Fmax", TABLES});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\"Clock\",\"Fmax (MHz)\"\r\n\"c1\",\"400.0\"\r\n\"c2\",\"\"\r\n");
    const std::string file = scratch.dir() + "/fmax.csv";
    ASSERT_EQ(tool_run({"--csv", file, "--select", "**/Fmax", TABLES}).status, 0);
    EXPECT_EQ(test_read_file(file), run.out);

    // More than one table, or none, is a usage error that names them.
    run = tool_run({"--csv", "-", TABLES});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("rdbxml: --csv - takes one table, and " + TABLES +
                           " has 3: main/a\\/b/Fmax, main/Paths, main/numbers"),
              std::string::npos)
        << run.err;
    run = tool_run({"--csv", "-", "--select", "main/none", TABLES});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(TABLES + ": warning: --select main/none matches no object\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" has 0 (narrow"), std::string::npos) << run.err;
    run = tool_run({"--csv", "-", TABLES, TABLES});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("takes one table: give one FILE"), std::string::npos) << run.err;
}

TEST(ToolCsv, ASummarysGaugesATableBesideItsRows)
{
    TOOL_SCRATCH scratch;
    const std::string out = scratch.dir() + "/out/";
    TOOL_RUN run = tool_run({"--csv", out, "--select", "main/fit/**", RDBXML_TEST_DATA_DIR "/rules_report.xml"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(files_below(out), (std::vector<std::string>{"main/fit/Flow summary%gauges.csv",
                                                          "main/fit/Flow summary.csv", "main/fit/Runtime.csv"}));
    // Where each value stands in its range, the number the views round to
    // one decimal (a plain number, for whatever reads the file); none for a
    // range of one value.
    EXPECT_EQ(test_read_file(out + "main/fit/Flow summary%gauges.csv"),
              "\"name\",\"value\",\"min\",\"max\",\"percent\"\r\n"
              "\"Logic elements\",\"185\",\"0\",\"200\",\"92.5\"\r\n"
              "\"Memory bits\",\"5\",\"0\",\"8\",\"62.5\"\r\n"
              "\"PLLs\",\"4\",\"4\",\"4\",\"\"\r\n");
    EXPECT_EQ(test_read_file(out + "main/fit/Flow summary.csv").substr(0, 32),
              "\"1\",\"2\"\r\n\"Status\",\"Successful\"\r\n");

    // A table named as the gauges' file would be is a file of its own, and
    // the gauges follow their summary when it is the one renamed.
    const std::string both = scratch.write(
        "both.xml",
        "<report><folders><root name=\"main\"/></folders>"
        "<table name=\"S%gauges\" parent=\"main\"><row><string_cell>t</string_cell></row></table>"
        "<table name=\"S\" parent=\"main\"><row><string_cell>u</string_cell></row></table>"
        "<summary name=\"S\" parent=\"main\"><element name=\"Status\">ok</element><gauges>"
        "<gauge name=\"Pins\" percent=\"false\" enabled=\"true\"><min>0</min><max>3</max><value>1</value></gauge>"
        "<gauge name=\"Registers\" percent=\"true\" enabled=\"true\"><min>0</min><max>2381</max><value>2096</value>"
        "</gauge>"
        "</gauges></summary></report>");
    run = tool_run({"--csv", scratch.dir() + "/both/", both});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(files_below(scratch.dir() + "/both"),
              (std::vector<std::string>{"main/S%25gauges.csv", "main/S-2%gauges.csv", "main/S-2.csv", "main/S.csv"}));
    EXPECT_EQ(test_read_file(scratch.dir() + "/both/main/S-2%gauges.csv"),
              "\"name\",\"value\",\"min\",\"max\",\"percent\"\r\n\"Pins\",\"1\",\"0\",\"3\",\"33.33333333333333\"\r\n"
              "\"Registers\",\"2096\",\"0\",\"2381\",\"88.03023939521209\"\r\n");
    EXPECT_EQ(test_read_file(scratch.dir() + "/both/main/S%25gauges.csv"), "\"t\"\r\n");

    // One table to standard output: the summary's rows alone.
    run = tool_run({"--csv", "-", "--select", "**/Flow summary", RDBXML_TEST_DATA_DIR "/rules_report.xml"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, test_read_file(out + "main/fit/Flow summary.csv"));
}

TEST(ToolCsv, AFailedWriteNamesTheFileAndLeavesNoPart)
{
    TOOL_SCRATCH scratch;
    // A file where a directory of tables must go.
    scratch.write("out/main", "not a directory");
    TOOL_RUN run = tool_run({"--csv", scratch.dir() + "/out/", TABLES});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("rdbxml: cannot make the directory " + scratch.dir() + "/out/main"), std::string::npos)
        << run.err;
    // The file-size limit (1 KiB): the table file keeps what it held.
    std::string rows;
    for (int i = 0; i < 200; ++i)
        rows += "<row><string_cell>row " + std::to_string(i) + "</string_cell></row>";
    const std::string big = scratch.write(
        "big.xml", "<report><folders><root name=\"main\"/></folders><table name=\"t\" parent=\"main\">" + rows +
                       "</table></report>");
    const std::string file = scratch.write("t.csv", "earlier");
    run = tool_shell("ulimit -f 1; \"$RDBXML\" --csv " + tool_shell_quoted(file) + " " +
                     tool_shell_quoted(big));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("rdbxml: cannot write " + file + ": File too large"), std::string::npos) << run.err;
    EXPECT_EQ(test_read_file(file), "earlier");
}

TEST(ToolSelect, KeepsMatchesTheirContentsAndTheFoldersOnTheWayInEveryMode)
{
    TOOL_RUN text = tool_run({"--select", "main/timing/C*", tool_example_report()});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out.rfind("folder \"main\"\n  folder \"timing\"\n    header: Timing analysis\n    table \"Clocks\"\n", 0),
              0u)
        << text.out;
    EXPECT_EQ(text.out.find("Fmax"), std::string::npos);
    TOOL_RUN json = tool_run({"--json", "--select", "main/notes", tool_example_report()});
    EXPECT_NE(json.out.find("\"name\":\"Reset sequence\""), std::string::npos);
    EXPECT_EQ(json.out.find("\"name\":\"timing\""), std::string::npos);
    TOOL_RUN bad = tool_run({"--select", "main\\", tool_example_report()});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "rdbxml: --select main\\: the pattern ends in a lone backslash (see rdbxml --help)\n");
}

TEST(ToolSelect, APatternThatMatchesNothingInAnyFileIsAnErrorNamingIt)
{
    // Decided once every file has been read: one that matches somewhere is
    // a warning in the files where it does not.
    TOOL_SCRATCH scratch;
    std::string other = scratch.write("other.xml", "<report><folders><root name=\"main\"/></folders>"
                                                   "<text name=\"Setup slak\" parent=\"main\"/></report>");
    const std::string example = tool_example_report();
    TOOL_RUN somewhere = tool_run({"--noout", "--select", "main/Setup slak", example, other});
    EXPECT_EQ(somewhere.status, 0);
    EXPECT_EQ(somewhere.err, example + ": warning: --select main/Setup slak matches no object\n" +
                                 "2 files: 2 good, 0 failed, 0 with warnings\n");

    TOOL_RUN nowhere = tool_run({"--json", "--select", "main/timing/Setup slak", "--select", "main/notes", example, other});
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_EQ(nowhere.err, example + ": warning: --select main/timing/Setup slak matches no object\n" + other +
                               ": warning: --select main/timing/Setup slak matches no object\n" + other +
                               ": warning: --select main/notes matches no object\n"
                               "rdbxml: --select main/timing/Setup slak matches no object in any file\n"
                               "2 files: 2 good, 0 failed, 0 with warnings\n");
    // The reports were still printed, each narrowed to what matched.
    EXPECT_EQ(tool_lines(nowhere.out).size(), 2u);
    // Said even when quiet, as every usage error is; a pattern holding a
    // control character reaches the terminal escaped.
    TOOL_RUN quiet = tool_run({"-q", "--noout", "--select", "x\x1b[2J", example});
    EXPECT_EQ(quiet.status, 2);
    EXPECT_EQ(quiet.err, "rdbxml: --select x\\x1b[2J matches no object in any file\n");
    // With no report at all there is nothing to match in: the files' own
    // failure is what is said.
    TOOL_RUN failed = tool_run({"--noout", "--select", "main/nothing", scratch.dir() + "/missing.xml"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err.find("--select"), std::string::npos) << failed.err;
}

TEST(ToolSelect, AFolderChainThirtyThousandDeepInMemoryOfItsSize)
{
    // What is kept is the object at the bottom and every folder on the way
    // to it: a path held, or matched whole, per object would cost the sum of
    // all depths (gigabytes, and minutes, for this 2 MB file).
    TOOL_SCRATCH scratch;
    std::string file = scratch.write("chain.xml", rdb_bench_folder_chain(30000, true));
    TOOL_RUN run = tool_shell(tool_limits(60, 1024) + "\"$RDBXML\" --noout --select '**/deep' --select 'main/**/f2/x' " +
                              tool_shell_quoted(file));
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_EQ(run.err, file + ": warning: --select main/**/f2/x matches no object\n"
                              "rdbxml: --select main/**/f2/x matches no object in any file\n");
}
