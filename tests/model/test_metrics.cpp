// The figures of a report that an index of many runs keeps: what a walk of
// real reports, read by the parser, records of their gauges, summaries,
// charts and tables.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <rdbxml/rdb_metrics.h>
#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_xml.h>

#include "rdb_bench_reports.h"

namespace {

std::unique_ptr<RDB_REPORT> parse_file(const char* name)
{
    std::string path = std::string(RDBXML_TEST_DATA_DIR "/") + name;
    return std::unique_ptr<RDB_REPORT>(rdb_xml_parse(path.c_str(), nullptr, false, false, true, true, false));
}

std::string number_text(double number)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", number);
    return text;
}

std::string describe(const RDB_METRIC_OBJECT& o)
{
    // A gauges object's own name is the file format's, not the report's.
    std::string name = o.m_kind == "gauges" ? std::string() : "\"" + o.m_name + "\" ";
    return o.m_path + " " + o.m_kind + " " + name + std::to_string(o.m_size);
}

std::string describe(const RDB_METRIC_GAUGE& g)
{
    return g.m_path + " " + g.m_name + " " + std::to_string(g.m_value) + " in " + std::to_string(g.m_min) + ".." +
           std::to_string(g.m_max) + " " + (g.m_has_percent ? number_text(g.m_percent) + "%" : "no percent");
}

std::string describe(const RDB_METRIC_SUMMARY_ROW& r)
{
    return r.m_path + " [" + r.m_label + "] [" + r.m_text + "] " + (r.m_has_number ? number_text(r.m_number) : "-");
}

std::string describe(const RDB_METRIC_POINT& p) { return p.m_path + " " + p.m_label + "=" + std::to_string(p.m_value); }

std::string describe(const RDB_METRIC_HEADING& h)
{
    return h.m_path + " #" + std::to_string(h.m_column) + " [" + h.m_heading + "]";
}

std::string describe(const RDB_METRIC_COLUMN& c)
{
    return c.m_path + " #" + std::to_string(c.m_column) + " [" + c.m_heading + "] " + (c.m_delays ? "delays" : "ints") +
           " n=" + std::to_string(c.m_count) + " min=" + number_text(c.m_min) + " max=" + number_text(c.m_max) +
           " sum=" + number_text(c.m_sum) + " neg=" + std::to_string(c.m_negatives);
}

std::string describe(const RDB_METRIC_CELL& c)
{
    return c.m_path + " " + std::to_string(c.m_row) + ":" + std::to_string(c.m_column) + " " + c.m_kind + " [" +
           c.m_text + "] " + (c.m_has_number ? number_text(c.m_number) : "-");
}

template <typename RECORD>
std::vector<std::string> described(const std::vector<RECORD>& records)
{
    std::vector<std::string> lines;
    for (const RECORD& record : records)
        lines.push_back(describe(record));
    return lines;
}

typedef std::vector<std::string> LINES;

class Metrics : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_rules.reset(parse_file("rules_report.xml").release());
        s_timing.reset(parse_file("metrics_report.xml").release());
    }
    static void TearDownTestSuite()
    {
        s_rules.reset();
        s_timing.reset();
    }
    void SetUp() override
    {
        ASSERT_NE(s_rules, nullptr);
        ASSERT_NE(s_timing, nullptr);
    }

    static std::unique_ptr<RDB_REPORT> s_rules;   // rules_report.xml
    static std::unique_ptr<RDB_REPORT> s_timing;  // metrics_report.xml
};

std::unique_ptr<RDB_REPORT> Metrics::s_rules;
std::unique_ptr<RDB_REPORT> Metrics::s_timing;

}  // namespace

TEST_F(Metrics, ObjectsInTheOrderOfTheReportWithTheirSizes)
{
    RDB_METRICS metrics = rdb_report_metrics(*s_rules->get_main_folder());
    EXPECT_EQ(described(metrics.m_objects), (LINES{
                                                "main/timing/Setup slack tan_slack_table \"Setup slack\" 5",
                                                "main/timing/Fmax tan_spd_table \"Fmax\" 4",
                                                "main/timing/Hold : fast table \"Hold : fast\" 2",
                                                "main/fit/Flow summary summary \"Flow summary\" 4",
                                                "main/fit/Flow summary gauges 3",
                                                "main/fit/Runtime chart \"Runtime\" 2",
                                            }));
    EXPECT_EQ(metrics.m_unlisted, 0u);
}

TEST_F(Metrics, GaugesWithTheirPercentAndNoneWhereMaxEqualsMin)
{
    RDB_METRICS metrics = rdb_report_metrics(*s_rules->get_main_folder());
    EXPECT_EQ(described(metrics.m_gauges), (LINES{
                                               "main/fit/Flow summary Logic elements 185 in 0..200 92.5%",
                                               "main/fit/Flow summary Memory bits 5 in 0..8 62.5%",
                                               "main/fit/Flow summary PLLs 4 in 4..4 no percent",
                                           }));
}

TEST_F(Metrics, SummaryRowsAsShownWithTheNumberTheyReadAs)
{
    RDB_METRICS metrics = rdb_report_metrics(*s_rules->get_main_folder());
    // Thousands separators and a percent read as numbers; a text, and a
    // figure among words, do not.
    EXPECT_EQ(described(metrics.m_summary_rows), (LINES{
                                                     "main/fit/Flow summary [Status] [Successful] -",
                                                     "main/fit/Flow summary [Total registers] [ 1,842 ] 1842",
                                                     "main/fit/Flow summary [Total pins] [87 %] 87",
                                                     "main/fit/Flow summary [Logic elements] [185 / 200 ( 93 % )] -",
                                                 }));
}

TEST_F(Metrics, ChartPointsHeadingsAndFigures)
{
    RDB_METRICS metrics = rdb_report_metrics(*s_rules->get_main_folder());
    EXPECT_EQ(described(metrics.m_points), (LINES{"main/fit/Runtime synth=40", "main/fit/Runtime place=75"}));
    LINES chart_headings;
    for (const std::string& line : described(metrics.m_headings))
        if (line.rfind("main/fit/Runtime ", 0) == 0)
            chart_headings.push_back(line);
    EXPECT_EQ(chart_headings, (LINES{"main/fit/Runtime #1 [Stage]", "main/fit/Runtime #2 [Seconds]"}));
    LINES chart_columns;
    for (const std::string& line : described(metrics.m_columns))
        if (line.rfind("main/fit/Runtime ", 0) == 0)
            chart_columns.push_back(line);
    EXPECT_EQ(chart_columns, (LINES{"main/fit/Runtime #2 [Seconds] ints n=2 min=40 max=75 sum=115 neg=0"}));
}

TEST_F(Metrics, ColumnFiguresInPicosecondsWhateverTheUnitShown)
{
    RDB_METRICS metrics = rdb_report_metrics(*s_timing->get_main_folder());
    // The margins are shown in ps, ns and MHz (2500 ps as 400.0 MHz); a
    // column of delays and integers has the figures of its delays.
    EXPECT_EQ(described(metrics.m_columns),
              (LINES{
                  "main/timing/Setup #2 [Margin] delays n=5 min=-500 max=2500 sum=1630 neg=3",
                  "main/timing/Setup #3 [Levels] ints n=5 min=-2 max=12 sum=29 neg=1",
                  "main/timing/Hold #2 [ SLACK ] delays n=3 min=-15 max=70 sum=95 neg=1",
                  "main/timing/Bare #2 [Margin] delays n=1 min=-40 max=-40 sum=-40 neg=1",
                  "main/timing/Mixed #2 [Delay] delays n=2 min=-300 max=100 sum=-200 neg=1",
              }));
    EXPECT_EQ(described(metrics.m_headings), (LINES{
                                                 "main/timing/Setup #1 [From]",
                                                 "main/timing/Setup #2 [Margin]",
                                                 "main/timing/Setup #3 [Levels]",
                                                 "main/timing/Hold #1 [Clock]",
                                                 "main/timing/Hold #2 [ SLACK ]",
                                                 "main/timing/Bare #1 [Clock]",
                                                 "main/timing/Bare #2 [Margin]",
                                                 "main/timing/Mixed #1 [Path]",
                                                 "main/timing/Mixed #2 [Delay]",
                                             }));
}

TEST_F(Metrics, EverySpeedRowAndTheWorstSlackRow)
{
    RDB_METRICS rules = rdb_report_metrics(*s_rules->get_main_folder());
    // The slack column found by its heading; of -120 ns, -500 ps and -120
    // ps, the least.
    EXPECT_EQ(described(rules.m_table_rows), (LINES{
                                                 "main/timing/Setup slack 3:1 delay [-500 ps] -500",
                                                 "main/timing/Setup slack 3:2 string [a2] -",
                                                 "main/timing/Setup slack 3:3 string [b2] -",
                                                 "main/timing/Setup slack 3:4 int [12] 12",
                                                 "main/timing/Fmax 1:1 string [clk_core] -",
                                                 "main/timing/Fmax 1:2 delay [400.0 MHz] 2500",
                                                 "main/timing/Fmax 2:1 string [clk_io] -",
                                                 "main/timing/Fmax 2:2 delay [200.0 MHz] 5000",
                                                 "main/timing/Fmax 3:1 string [clk_core] -",
                                                 "main/timing/Fmax 3:2 delay [500.0 MHz] 2000",
                                                 "main/timing/Fmax 4:1 string [clk_dead] -",
                                                 "main/timing/Fmax 4:2 delay [0 ps] 0",
                                             }));

    RDB_METRICS timing = rdb_report_metrics(*s_timing->get_main_folder());
    // "Setup" names its slack column by id 1, the second column: the first
    // of two rows at -500 ps. "Hold" has a column headed " SLACK "; "Bare"
    // neither, and so no worst row.
    EXPECT_EQ(described(timing.m_table_rows), (LINES{
                                                  "main/timing/Setup 4:1 string [a3] -",
                                                  "main/timing/Setup 4:2 delay [-500 ps] -500",
                                                  "main/timing/Setup 4:3 int [-2] -2",
                                                  "main/timing/Hold 2:1 string [clk_b] -",
                                                  "main/timing/Hold 2:2 delay [-15 ps] -15",
                                              }));
}

TEST_F(Metrics, CellsOnlyWhenAskedForAndNoneOfSummaries)
{
    EXPECT_TRUE(rdb_report_metrics(*s_rules->get_main_folder()).m_cells.empty());

    RDB_METRICS metrics = rdb_report_metrics(*s_rules->get_main_folder(), true);
    // Setup slack 5 x 4, Fmax 4 x 2, Hold 2 x 2, the chart 2 x 2.
    ASSERT_EQ(metrics.m_cells.size(), 36u);
    EXPECT_EQ(describe(metrics.m_cells.front()), "main/timing/Setup slack 1:1 delay [250 ps] 250");
    LINES hold;
    for (const RDB_METRIC_CELL& cell : metrics.m_cells)
        if (cell.m_path == "main/timing/Hold : fast")
            hold.push_back(describe(cell));
    EXPECT_EQ(hold, (LINES{
                        "main/timing/Hold : fast 1:1 delay [-1005 ps] -1005",
                        "main/timing/Hold : fast 1:2 string [clk_core] -",
                        "main/timing/Hold : fast 2:1 string [-] -",
                        "main/timing/Hold : fast 2:2 string [clk_io] -",
                    }));
    EXPECT_EQ(describe(metrics.m_cells.back()), "main/fit/Runtime 2:2 int [75] 75");
    // The rest is as without cells.
    RDB_METRICS without = rdb_report_metrics(*s_rules->get_main_folder());
    EXPECT_EQ(described(metrics.m_table_rows), described(without.m_table_rows));
    EXPECT_EQ(described(metrics.m_columns), described(without.m_columns));
}

TEST_F(Metrics, ABranchOfTheReport)
{
    // Below a folder other than the main one, paths are still whole.
    const RDB_FOLDER_OBJECT* fit = nullptr;
    for (unsigned i = 0; i < s_rules->get_main_folder()->get_number_of_objects(); ++i) {
        const RDB_OBJECT* object = s_rules->get_main_folder()->get_object(i);
        if (object != nullptr && object->get_name().view() == "fit")
            fit = object->dynamic_cast_to_RDB_FOLDER_OBJECT();
    }
    ASSERT_NE(fit, nullptr);
    RDB_METRICS metrics = rdb_report_metrics(*fit);
    EXPECT_EQ(described(metrics.m_objects), (LINES{
                                                "main/fit/Flow summary summary \"Flow summary\" 4",
                                                "main/fit/Flow summary gauges 3",
                                                "main/fit/Runtime chart \"Runtime\" 2",
                                            }));
}

TEST(MetricsDepth, AFolderChainThirtyThousandDeepListsWhatItsPathsAllow)
{
    // A table in every folder of the chain: the paths of them all would
    // be gigabytes. Those past the limit are counted, not written out.
    const std::size_t depth = 30000;
    std::string xml = rdb_bench_folder_chain(depth);
    std::string tables;
    for (std::size_t i = 0; i < depth; ++i)
        tables += "<table name=\"t\" parent=\"f" + std::to_string(i) + "\"><row><int_cell>" + std::to_string(i) +
                  "</int_cell></row></table>";
    xml.insert(xml.rfind("</report>"), tables);
    RDB_XML_RESULT result =
        rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "chain.xml"), RDB_XML_OPTIONS());
    ASSERT_NE(result.m_report, nullptr);

    RDB_METRICS metrics = rdb_report_metrics(*result.m_report->get_main_folder());
    ASSERT_FALSE(metrics.m_objects.empty());
    EXPECT_EQ(metrics.m_objects.size() + metrics.m_unlisted, depth);
    // The listed tables are the shallowest, each path within the limit, the
    // next one's over it: "main/f0/.../fN/t", one step "/fN" more each. The
    // deepest comes first: a folder holds the next one before its table.
    std::size_t listed = metrics.m_objects.size();
    std::string deepest = "main/";
    for (std::size_t i = 0; i < listed; ++i)
        deepest += "f" + std::to_string(i) + "/";
    deepest += "t";
    EXPECT_EQ(metrics.m_objects.front().m_path, deepest);
    EXPECT_LE(deepest.size(), RDB_METRICS_PATH_LIMIT);
    EXPECT_GT(deepest.size() + ("/f" + std::to_string(listed)).size(), RDB_METRICS_PATH_LIMIT);
    EXPECT_EQ(metrics.m_columns.size(), listed);
    EXPECT_EQ(metrics.m_columns.front().m_sum, static_cast<double>(listed - 1));
}
