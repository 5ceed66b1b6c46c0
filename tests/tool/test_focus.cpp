// --where, --sort and --top through the built tool: the rows of tables a
// reader asks to see, in the order asked, in the tree, the JSON and the CSV,
// and the usage errors that keep a typo from showing every row.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

const std::string TABLES = RDBXML_TEST_DATA_DIR "/focus_tables.xml";

// The CSV of the one table `path` selects, lines without their CR.
std::vector<std::string> csv_lines(const std::string& path, const std::vector<std::string>& focus)
{
    std::vector<std::string> args{"--csv", "-", "--select", path};
    args.insert(args.end(), focus.begin(), focus.end());
    args.push_back(TABLES);
    TOOL_RUN run = tool_run(args);
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = tool_lines(run.out);
    for (std::string& line : lines)
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    return lines;
}

// The first cell of each data row of the table `path` in a report's CSV
// with `focus`: what names the rows in focus_tables.xml.
std::vector<std::string> row_names(const std::string& path, int column, const std::vector<std::string>& focus)
{
    std::vector<std::string> names;
    std::vector<std::string> lines = csv_lines(path, focus);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string line = lines[i];
        for (int c = 0; c < column; ++c)
            line = line.substr(line.find("\",\"") + 2);
        names.push_back(line.substr(1, line.find('"', 1) - 1));
    }
    return names;
}

// The object of path `path` in a JSON report, or null.
const rapidjson::Value* json_object(const rapidjson::Value& object, const std::string& path)
{
    if (path == object["path"].GetString())
        return &object;
    if (object.HasMember("objects"))
        for (const auto& nested : object["objects"].GetArray())
            if (const rapidjson::Value* found = json_object(nested, path))
                return found;
    return nullptr;
}

typedef std::vector<std::string> NAMES;

}  // namespace

TEST(ToolFocus, SortOrdersTheRowsByTheColumnsValuesAscendingOrDescending)
{
    // Delays by picoseconds whatever unit shows them; rows of equal values
    // stay in their order, also descending.
    EXPECT_EQ(row_names("**/Setup slack", 1, {"--sort", "Slack"}), (NAMES{"p5", "p2", "p3", "p6", "p1", "p4"}));
    EXPECT_EQ(row_names("**/Setup slack", 1, {"--sort=-Slack"}), (NAMES{"p4", "p1", "p3", "p6", "p2", "p5"}));
    // A column of frequencies: the slowest clock first (the longest period).
    EXPECT_EQ(row_names("**/Fmax", 0, {"--sort", "Fmax"}), (NAMES{"clk_b", "clk_a", "clk_c"}));
    EXPECT_EQ(row_names("**/Fmax", 0, {"--sort=-fmax"}), (NAMES{"clk_c", "clk_a", "clk_b"}));
    // Integers by value (10 after 9), equal ones in their order.
    EXPECT_EQ(row_names("**/Setup slack", 1, {"--sort", "Levels"}), (NAMES{"p4", "p6", "p1", "p3", "p2", "p5"}));
    // Texts that read as numbers first, by value ("1,842" after "200"),
    // then the others by their bytes ("Zed" before "abc"), the row without
    // the cell last; descending turns each group around, not the groups.
    EXPECT_EQ(row_names("**/Setup slack", 1, {"--sort", " Note "}), (NAMES{"p5", "p6", "p2", "p4", "p1", "p3"}));
    EXPECT_EQ(row_names("**/Setup slack", 1, {"--sort=-Note"}), (NAMES{"p2", "p6", "p5", "p1", "p4", "p3"}));
    // The heading row stays first.
    EXPECT_EQ(csv_lines("**/Fmax", {"--sort=-Fmax"})[0], "\"Clock\",\"Fmax (MHz)\"");
}

TEST(ToolFocus, WhereThenSortThenTopInTheTreeTheJsonAndTheCsv)
{
    // The rows that meet the condition, sorted, and of those the first two:
    // not the first two of the file, nor the two kept before sorting.
    const std::vector<std::string> focus{"--where", "Slack < 0ps", "--sort", "Slack", "--top", "2"};
    EXPECT_EQ(row_names("**/Setup slack", 1, focus), (NAMES{"p5", "p2"}));
    EXPECT_EQ(row_names("**/Hold slack", 1, focus), (NAMES{"h3", "h2"}));
    // A row filter keeps the rows it selects alone.
    EXPECT_EQ(row_names("**/Setup slack", 1, {"--where", "Slack [Clock = clk_b] < 0ps"}), (NAMES{"p2", "p6"}));

    std::vector<std::string> args = focus;
    args.push_back(TABLES);
    TOOL_RUN tree = tool_run(args);
    ASSERT_EQ(tree.status, 0) << tree.err;
    EXPECT_NE(tree.out.find("      ---------  ----  -----  ------  -----\n"
                            "        -300 ps  p5    clk_a      10  -0.5\n"
                            "      -0.120 ns  p2    clk_b      10  1,842\n"
                            "    speed table \"Fmax\""),
              std::string::npos)
        << tree.out;

    args.insert(args.begin(), "--json");
    TOOL_RUN json = tool_run(args);
    ASSERT_EQ(json.status, 0) << json.err;
    rapidjson::Document report;
    report.Parse(json.out.c_str());
    ASSERT_FALSE(report.HasParseError()) << json.out;
    const rapidjson::Value* setup = json_object(report["report"]["main_folder"], "main/timing/Setup slack");
    ASSERT_NE(setup, nullptr) << json.out;
    const rapidjson::Value& rows = (*setup)["rows"];
    ASSERT_EQ(rows.Size(), 3u);
    EXPECT_STREQ(rows[0][0]["value"].GetString(), "Slack");
    EXPECT_EQ(rows[1][0]["delay"].GetInt(), -300);
    EXPECT_EQ(rows[2][0]["delay"].GetInt(), -120);
}

TEST(ToolFocus, TablesWithoutTheColumnChartsAndSummariesStayWhole)
{
    // Sorting by Slack leaves the clocks as written and whole despite
    // --top, the chart's points in order though its axis is "Slack", and
    // the summary's rows as they are.
    TOOL_RUN run = tool_run({"--sort=-Slack", "--top", "1", TABLES});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* whole : {"      clk_b    5000\n      clk_a    2500\n      clk_c    2000\n",
                              "      -200..0      3  ####\n      0..200      27",
                              "      Slack   -1\n      Levels  4\n", "      1.000 ns  p4 "})
        EXPECT_NE(run.out.find(whole), std::string::npos) << whole << "\n" << run.out;
    EXPECT_EQ(run.out.find(" p1 "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(" h2 "), std::string::npos) << run.out;
    // --top alone cuts every table, but not the chart or the summary.
    EXPECT_EQ(row_names("**/Clocks", 0, {"--top", "2"}), (NAMES{"clk_b", "clk_a"}));
    run = tool_run({"--top", "1", TABLES});
    EXPECT_NE(run.out.find("      0..200      27"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("      Levels  4\n"), std::string::npos) << run.out;
}

TEST(ToolFocus, TheWorstSetupPathsOfALargeTable)
{
    // What a person asks of a report: the 20 worst setup paths of 500.
    std::string xml = "<report><folders><root name=\"main\"/><folder name=\"timing\"/></folders>"
                      "<folder_ref name=\"timing\" parent=\"main\"/>"
                      "<tan_slack_table name=\"Setup slack\" parent=\"timing\">"
                      "<row><string_cell>Slack</string_cell><string_cell>To</string_cell></row>";
    for (int i = 0; i < 500; ++i)
        xml += "<row><delay_cell><delay>" + std::to_string((i * 7919) % 1000 - 300) +
               "</delay><display_option>ps</display_option></delay_cell><string_cell>r" + std::to_string(i) +
               "</string_cell></row>";
    xml += "</tan_slack_table></report>";
    TOOL_SCRATCH scratch;
    std::string file = scratch.write("report.xml", xml);
    TOOL_RUN run = tool_run({"--select", "**/Setup slack", "--sort", "Slack", "--top", "20", file});
    ASSERT_EQ(run.status, 0) << run.err;
    // The folders, the table, its heading and rule, and 20 rows.
    std::vector<std::string> lines = tool_lines(run.out);
    ASSERT_EQ(lines.size(), 5u + 20u) << run.out;
    // (i * 7919) % 1000 takes each value once for 1000 rows; of these 500,
    // the lowest slacks, in order.
    std::vector<int> expected;
    for (int i = 0; i < 500; ++i)
        expected.push_back((i * 7919) % 1000 - 300);
    std::sort(expected.begin(), expected.end());
    for (int r = 0; r < 20; ++r)
        EXPECT_EQ(std::stoi(lines[5 + r]), expected[r]) << r << "\n" << run.out;
}

TEST(ToolFocus, WhatCannotBeDoneIsAUsageError)
{
    // A condition that does not read, a column name missing, one of them
    // given twice: exit 2, one line, nothing read.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--where", "Slack <"}, {"--where", "Slack < abc"}, {"--sort=-"}, {"--top", "0"},
          {"--top", "-1"}, {"--where", "Slack < 0ps", "--where", "Slack > 0ps"}, {"--sort", "Slack", "--sort", "To"}}) {
        std::vector<std::string> with = args;
        with.push_back("missing.xml");
        TOOL_RUN run = tool_run(with);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(tool_lines(run.err).size(), 1u) << run.err;
        EXPECT_EQ(run.err.find("missing.xml"), std::string::npos) << run.err;
    }
    // A value that does not fit a table's column: the file and the table
    // named, and no report printed for that file.
    TOOL_RUN misfit = tool_run({"--where", "Slack < 5", TABLES});
    EXPECT_EQ(misfit.status, 2);
    EXPECT_EQ(misfit.out, "");
    EXPECT_EQ(misfit.err.rfind(TABLES + ": error: --where Slack < 5: main/timing/Setup slack: ", 0), 0u) << misfit.err;
    EXPECT_EQ(tool_lines(misfit.err).size(), 1u) << misfit.err;
    misfit = tool_run({"-q", "--json", "--where", "Slack < 5", TABLES});
    EXPECT_EQ(misfit.status, 2);
    EXPECT_EQ(misfit.out, "{\"file\":\"" + TABLES + "\",\"report\":null}\n");
    EXPECT_NE(misfit.err.find("main/timing/Setup slack"), std::string::npos) << misfit.err;
    // A name no table of any file has: a typo, which would else show every
    // row as it is. One file with the name is enough.
    TOOL_RUN typo = tool_run({"--where", "Slak < 0ps", "--sort", "Slak", TABLES});
    EXPECT_EQ(typo.status, 2);
    EXPECT_EQ(typo.err, "rdbxml: --where Slak < 0ps matches no table in any file\n"
                        "rdbxml: --sort Slak matches no table in any file\n");
    // Within what --select keeps.
    EXPECT_EQ(tool_run({"--select", "**/Clocks", "--sort", "Slack", TABLES}).status, 2);
    EXPECT_EQ(tool_run({"--sort", "Fmax", TABLES, tool_example_report()}).status, 0);
    EXPECT_EQ(tool_run({"--sort", "Levels", "--noout", RDBXML_TEST_DATA_DIR "/csv_tables.xml", TABLES}).status, 0);
}
