// rdbxml ls through the built tool: every object of a report by path, kind
// and size, as aligned text or JSON lines, for several files, and the exit
// statuses of the main tool.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <string>
#include <vector>

#include "rdb_bench_reports.h"
#include "tool_runner.h"

namespace {

const std::string TABLES = RDBXML_TEST_DATA_DIR "/focus_tables.xml";
const std::string PATHS = RDBXML_TEST_DATA_DIR "/nested_paths.xml";

}  // namespace

TEST(ToolList, EachObjectByPathKindAndSizeInAlignedColumns)
{
    TOOL_RUN run = tool_run({"ls", TABLES});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "main                         folder           2 objects\n"
                       "main/timing                  folder           3 objects\n"
                       "main/timing/Setup slack      tan_slack_table  6 rows\n"
                       "main/timing/Fmax             tan_spd_table    3 rows\n"
                       "main/timing/Slack histogram  chart            3 points\n"
                       "main/other                   folder           3 objects\n"
                       "main/other/Hold slack        table            3 rows\n"
                       "main/other/Clocks            table            3 rows\n"
                       "main/other/Usage             summary          2 rows, 0 gauges\n");
    // Duplicates numbered and names escaped as --select reads them, a
    // summary's gauges at its summary's path (their object's own name is
    // the file format's), texts by lines, one of each said so; a character
    // of two bytes is one on screen.
    run = tool_run({"ls", PATHS});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* line : {"\nmain/timing/deep/x        table    1 row\n",
                             "\nmain/timing/deep/x        text     1 line\n",
                             "\nmain/timing/deep/x[3]     table    1 row\n",
                             "\nmain/a\\/b\\\\c/one\\/two     text     2 lines\n",
                             "\nmain/a\\/b\\\\c/one\\/two[2]  text     0 lines\n",
                             "\nmain/Usag\xc3\xa9                summary  1 row, 1 gauge\n",
                             "\nmain/Usag\xc3\xa9                gauges   1 gauge\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    // What --select keeps, each object with its size in the whole report.
    run = tool_run({"ls", "--select", "**/Run notes", "--select", "**/Placement view", tool_example_report()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "main                       folder    3 objects\n"
                       "main/notes                 folder    4 objects\n"
                       "main/notes/Run notes       text      2 lines\n"
                       "main/notes/Placement view  embedded\n");
}

TEST(ToolList, JsonIsOneLinePerObjectWhosePathSelectsItAgain)
{
    TOOL_RUN run = tool_run({"ls", "--json", TABLES, PATHS});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = tool_lines(run.out);
    ASSERT_EQ(lines.size(), 9u + 14u) << run.out;
    EXPECT_EQ(lines[2], "{\"file\":\"" + TABLES +
                            "\",\"path\":\"main/timing/Setup slack\",\"kind\":\"tan_slack_table\",\"rows\":6}");
    EXPECT_EQ(lines[8], "{\"file\":\"" + TABLES + "\",\"path\":\"main/other/Usage\",\"kind\":\"summary\",\"rows\":2,\"gauges\":0}");
    EXPECT_EQ(lines[9], "{\"file\":\"" + PATHS + "\",\"path\":\"main\",\"kind\":\"folder\",\"objects\":3}");
    for (const std::string& line : lines) {
        rapidjson::Document object;
        object.Parse(line.c_str());
        ASSERT_FALSE(object.HasParseError()) << line;
        std::string file = object["file"].GetString(), path = object["path"].GetString();
        // Listed again alone (with the folders on its way, and an object
        // that shares its path), and as the same kind.
        TOOL_RUN again = tool_run({"ls", "--json", "--select", path, file});
        ASSERT_EQ(again.status, 0) << path << again.err;
        EXPECT_NE(again.out.find(line + "\n"), std::string::npos) << line << "\n" << again.out;
    }
}

TEST(ToolList, SeveralFilesEachUnderItsNameWithTheMainToolsExitStatuses)
{
    TOOL_SCRATCH scratch;
    std::string broken = scratch.write("broken.xml", "<report>\n  <text name=\"a\">\n</report>\n");
    std::string small = scratch.write("small.xml", "<report><folders><root name=\"r\"/></folders></report>");
    TOOL_RUN run = tool_run({"ls", small, broken, small});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, small + ":\nr  folder  0 objects\n\n" + small + ":\nr  folder  0 objects\n");
    EXPECT_NE(run.err.find(broken + ":3:3: error: "), std::string::npos) << run.err;
    EXPECT_EQ(tool_run({"ls", "-q", small, broken}).err, "");

    // A pattern that matches nothing in any file is a usage error; in some
    // files, a warning there.
    run = tool_run({"ls", "--select", "r", "--select", "nothing", small});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "r  folder  0 objects\n");
    EXPECT_EQ(run.err, small + ": warning: --select nothing matches no object\n"
                               "rdbxml ls: --select nothing matches no object in any file\n");
    run = tool_run({"ls", "--select", "main", small, TABLES});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, small + ": warning: --select main matches no object\n2 files: 2 good, 0 failed, 0 with warnings\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"ls"}, {"ls", "--bogus", small},
                                                 {"ls", "--select", "a\\", small}}) {
        run = tool_run(args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(tool_lines(run.err).size(), 1u) << run.err;
    }
    // A chain of folders 30 000 deep: a path longer than 4096 bytes is
    // said to be so, and the paths align up to 80 columns, so the listing
    // grows with the objects, not with the square of their depth (2 GB).
    std::string chain = scratch.write("chain.xml", rdb_bench_folder_chain(30000, true));
    for (const char* json : {"", "--json "}) {
        std::string out = scratch.dir() + "/out.txt";
        run = tool_shell(tool_limits(60, 1024) + "\"$RDBXML\" ls " + json + tool_shell_quoted(chain) + " >" +
                         tool_shell_quoted(out) + " && wc -c <" + tool_shell_quoted(out));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_LT(std::stoul(run.out), 20000000ul) << json;
        std::vector<std::string> lines = tool_lines(test_read_file(out));
        ASSERT_EQ(lines.size(), 30002u);
        EXPECT_EQ(lines[2], json[0] == '\0' ? "main/f0/f1" + std::string(72, ' ') + "folder  1 object"
                                             : "{\"file\":\"" + chain + "\",\"path\":\"main/f0/f1\",\"kind\":\"folder\",\"objects\":1}");
        EXPECT_EQ(lines.back(), json[0] == '\0' ? "(a path of 198899 bytes)" + std::string(58, ' ') + "text    0 lines"
                                                 : "{\"file\":\"" + chain + "\",\"path\":null,\"kind\":\"text\",\"lines\":0}");
    }
    run = tool_run({"ls", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Exit status"), std::string::npos);
    run = tool_shell("\"$RDBXML\" ls " + tool_shell_quoted(small) + " >/dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("rdbxml: cannot write standard output: ", 0), 0u) << run.err;
}
