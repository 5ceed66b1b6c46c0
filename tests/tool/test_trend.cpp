// rdbxml trend through the built tool, on indexes that rdbxml index makes
// of reports written here: each value checked against the report's own
// JSON (rdbxml --json), delays written in mixed units; gaps, failed runs,
// row filters with and without --cells, several selectors, CSV and JSON
// that carry the same data, the page of charts, and usage errors.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

struct DELAY {
    long m_ps;
    const char* m_unit;  // ps, ns or mhz
};

// What one run's report holds.
struct RUN {
    const char* m_label;
    const char* m_time;
    int m_gauge = -1;  // -1: no gauge "Logic elements"
    const char* m_registers = "1,842";
    std::vector<DELAY> m_slacks;
    DELAY m_fmax{2427, "mhz"};
    bool m_broken = false;  // not a report at all
};

std::string delay_cell(const DELAY& delay)
{
    return "<delay_cell><delay>" + std::to_string(delay.m_ps) + "</delay><display_option>" + delay.m_unit +
           "</display_option></delay_cell>";
}

std::string report(const RUN& run)
{
    if (run.m_broken)
        return "<report><folders><root name=\"main\"/></folders><summary name=\"x\" parent=\"main\">";
    std::string xml = "<?xml version=\"1.0\"?>\n<report>\n"
                      "<folders><root name=\"main\"/><folder name=\"summaries\"/><folder name=\"timing\"/></folders>\n"
                      "<folder_ref name=\"summaries\" parent=\"main\"/><folder_ref name=\"timing\" parent=\"main\"/>\n"
                      "<summary name=\"Flow summary\" parent=\"summaries\">\n"
                      "<element name=\"Status\">Successful</element>\n"
                      "<element name=\"Total registers\">" +
                      std::string(run.m_registers) + "</element>\n<gauges>\n";
    if (run.m_gauge >= 0)
        xml += "<gauge name=\"Logic elements\" percent=\"true\"><min>0</min><max>200</max><value>" +
               std::to_string(run.m_gauge) + "</value></gauge>\n";
    // A row named as a gauge, and a second row of a name: the gauge, and
    // the first row, are the ones a trend follows.
    xml += "<gauge name=\"Pins\"><min>0</min><max>320</max><value>118</value></gauge>\n</gauges>\n"
           "<element name=\"Pins\">many</element>\n<element name=\"Status\">Stale</element>\n</summary>\n"
           "<tan_slack_table name=\"Setup slack\" parent=\"timing\">\n"
           "<row><string_cell>Slack</string_cell><string_cell>From</string_cell></row>\n";
    for (std::size_t i = 0; i < run.m_slacks.size(); ++i)
        xml += "<row>" + delay_cell(run.m_slacks[i]) + "<string_cell>r" + std::to_string(i) + "</string_cell></row>\n";
    xml += "</tan_slack_table>\n<tan_spd_table name=\"Fmax\" parent=\"timing\">\n"
           "<row><string_cell>Clock</string_cell><string_cell>Fmax</string_cell></row>\n"
           "<row><string_cell>clk_mem</string_cell>" + delay_cell({4348, "mhz"}) + "</row>\n"
           "<row><string_cell>clk_core</string_cell>" + delay_cell(run.m_fmax) + "</row>\n"
           "</tan_spd_table>\n<table name=\"Paths\" parent=\"timing\">\n"
           "<row><string_cell>Path</string_cell><string_cell>Levels</string_cell></row>\n"
           "<row><string_cell>p0</string_cell><int_cell>4</int_cell></row>\n"
           "<row><string_cell>p1</string_cell><int_cell>" + std::to_string(run.m_gauge + 1) + "</int_cell></row>\n"
           "</table>\n</report>\n";
    return xml;
}

// The runs, written in `scratch` and indexed one by one into DB (with
// their labels and times), with --cells for those `cells` names.
std::string index_runs(const TOOL_SCRATCH& scratch, const std::vector<RUN>& runs, const std::string& name = "runs.db",
                       const std::vector<std::string>& cells = {})
{
    std::string db = scratch.dir() + "/" + name;
    for (const RUN& run : runs) {
        std::string file = scratch.write(std::string(run.m_label) + ".xml", report(run));
        std::vector<std::string> args = {"index", "-q", "--label", run.m_label, "--time", run.m_time, db, file};
        for (const std::string& with : cells)
            if (with == run.m_label)
                args.insert(args.begin() + 1, "--cells");
        TOOL_RUN indexed = tool_run(args);
        EXPECT_EQ(indexed.status, run.m_broken ? 1 : 0) << indexed.err;
    }
    return db;
}

std::vector<rapidjson::Document> json_lines(const std::string& text)
{
    std::vector<rapidjson::Document> lines;
    for (const std::string& line : tool_lines(text)) {
        lines.emplace_back();
        lines.back().Parse(line.c_str());
        EXPECT_FALSE(lines.back().HasParseError()) << line;
    }
    return lines;
}

// The fields of the lines of a CSV whose every field is quoted, as the
// tool's are; a field never holds a line end here.
std::vector<std::vector<std::string>> csv_lines(const std::string& text)
{
    std::vector<std::vector<std::string>> lines;
    for (std::string line : tool_lines(text)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        std::string field;
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            char c = line[i];
            if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (c == ',' && !quoted) {
                fields.push_back(field);
                field.clear();
            } else {
                field += c;
            }
        }
        fields.push_back(field);
        lines.push_back(fields);
    }
    return lines;
}

// The report's own JSON, through the tool.
rapidjson::Document report_json(const std::string& file)
{
    TOOL_RUN run = tool_run({"--json", "-q", file});
    rapidjson::Document json;
    json.Parse(run.out.c_str());
    EXPECT_FALSE(json.HasParseError()) << run.out;
    return json;
}

// The object at `path` in a report's JSON.
const rapidjson::Value* object_at(const rapidjson::Value& folder, const std::string& path)
{
    if (folder.HasMember("path") && folder["path"].GetString() == path)
        return &folder;
    if (folder.HasMember("objects"))
        for (const rapidjson::Value& object : folder["objects"].GetArray())
            if (const rapidjson::Value* found = object_at(object, path))
                return found;
    return nullptr;
}

const rapidjson::Value& main_folder(const rapidjson::Document& json) { return json["report"]["main_folder"]; }

const std::vector<RUN> MIXED = {
    // Written in another order than their times: a trend goes by time.
    {"night-3", "2026-03-03 01:00", 150, "2,001", {{-120, "ns"}, {310, "ps"}, {2500, "mhz"}}, {2427, "mhz"}},
    {"night-1", "2026-03-01 01:00", 90, "1,842", {{250, "ps"}, {-40, "ps"}}, {2500, "ns"}},
    {"night-2", "2026-03-02 01:00", 120, "1,900", {{-500, "mhz"}, {-10, "ns"}, {75, "ps"}, {80, "ns"}}, {2380, "ps"}},
};

}  // namespace

TEST(ToolTrend, GaugesSummaryRowsAndColumnStatisticsAreThoseOfEachReport)
{
    TOOL_SCRATCH scratch;
    std::string db = index_runs(scratch, MIXED);
    const char* order[] = {"night-1", "night-2", "night-3"};

    TOOL_RUN gauge = tool_run({"trend", "--json", db, "**/Flow summary : logic ELEMENTS "});
    ASSERT_EQ(gauge.status, 0) << gauge.err;
    EXPECT_EQ(gauge.err, "");
    std::vector<rapidjson::Document> lines = json_lines(gauge.out);
    ASSERT_EQ(lines.size(), 3u) << gauge.out;
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(order[i]);
        EXPECT_STREQ(lines[i]["label"].GetString(), order[i]);
        EXPECT_STREQ(lines[i]["path"].GetString(), "main/summaries/Flow summary");
        EXPECT_STREQ(lines[i]["kind"].GetString(), "gauge");
        rapidjson::Document json = report_json(scratch.dir() + "/" + order[i] + ".xml");
        const rapidjson::Value& slot = (*object_at(main_folder(json), "main/summaries/Flow summary"))["gauges"]["slots"][0];
        EXPECT_EQ(lines[i]["value"].GetDouble(), slot["value"].GetDouble());
        EXPECT_DOUBLE_EQ(lines[i]["percent"].GetDouble(), slot["percent_of_range"].GetDouble());
    }
    // The same as text: one aligned line per run, the percent as every view shows it.
    TOOL_RUN text = tool_run({"trend", db, "**/Flow summary : Logic elements"});
    EXPECT_EQ(text.out, "2026-03-01 01:00:00  night-1  main/summaries/Flow summary   90 (45%)\n"
                        "2026-03-02 01:00:00  night-2  main/summaries/Flow summary  120 (60%)\n"
                        "2026-03-03 01:00:00  night-3  main/summaries/Flow summary  150 (75%)\n");

    TOOL_RUN row = tool_run({"trend", "--json", db, "main/summaries : Total registers"});
    ASSERT_EQ(row.status, 0) << row.err;
    lines = json_lines(row.out);
    ASSERT_EQ(lines.size(), 3u) << row.out;
    for (std::size_t i = 0; i < 3; ++i) {
        rapidjson::Document json = report_json(scratch.dir() + "/" + order[i] + ".xml");
        const rapidjson::Value& cells = (*object_at(main_folder(json), "main/summaries/Flow summary"))["rows"][1];
        EXPECT_STREQ(lines[i]["kind"].GetString(), "summary_row");
        EXPECT_STREQ(lines[i]["text"].GetString(), cells[1]["value"].GetString());
        EXPECT_EQ(lines[i]["value"].GetDouble(), std::stod(std::string(cells[1]["value"].GetString()).erase(1, 1)));
    }

    // Each statistic of the slack column, in picoseconds whatever unit
    // each cell was shown in.
    for (const char* stat : {"min", "max", "sum", "count", "negatives"}) {
        SCOPED_TRACE(stat);
        TOOL_RUN column = tool_run({"trend", "--json", "--stat", stat, db, "main/timing/Setup slack : Slack"});
        ASSERT_EQ(column.status, 0) << column.err;
        lines = json_lines(column.out);
        ASSERT_EQ(lines.size(), 3u) << column.out;
        for (std::size_t i = 0; i < 3; ++i) {
            rapidjson::Document json = report_json(scratch.dir() + "/" + order[i] + ".xml");
            const rapidjson::Value& rows = (*object_at(main_folder(json), "main/timing/Setup slack"))["rows"];
            double min = 1e300, max = -1e300, sum = 0, count = 0, negatives = 0;
            for (rapidjson::SizeType r = 1; r < rows.Size(); ++r) {
                double ps = rows[r][0]["delay"].GetDouble();
                min = std::min(min, ps);
                max = std::max(max, ps);
                sum += ps;
                count += 1;
                negatives += ps < 0;
            }
            std::map<std::string, double> expected = {
                {"min", min}, {"max", max}, {"sum", sum}, {"count", count}, {"negatives", negatives}};
            EXPECT_STREQ(lines[i]["kind"].GetString(), "column");
            EXPECT_EQ(lines[i]["value"].GetDouble(), expected[stat]) << order[i];
            bool delays = std::string(stat) == "min" || std::string(stat) == "max" || std::string(stat) == "sum";
            EXPECT_EQ(lines[i]["unit"].IsNull(), !delays);
        }
    }
    TOOL_RUN pins = tool_run({"trend", db, "**/Flow summary : Pins"});
    EXPECT_EQ(tool_count(pins.out, "main/summaries/Flow summary  118 (36.9%)\n"), 3u) << pins.out;

    TOOL_RUN shown = tool_run({"trend", db, "main/timing/Setup slack : Slack"});
    EXPECT_EQ(shown.out, "2026-03-01 01:00:00  night-1  main/timing/Setup slack   -40 ps\n"
                         "2026-03-02 01:00:00  night-2  main/timing/Setup slack  -500 ps\n"
                         "2026-03-03 01:00:00  night-3  main/timing/Setup slack  -120 ps\n");
}

TEST(ToolTrend, ARunWithoutTheValueOrThatFailedIsAGapNeverAZero)
{
    TOOL_SCRATCH scratch;
    std::vector<RUN> runs = MIXED;
    runs[1].m_gauge = -1;  // night-1: no such gauge
    RUN broken = MIXED[0];
    broken.m_label = "night-4";
    broken.m_time = "2026-03-04 01:00";
    broken.m_broken = true;
    runs.push_back(broken);
    std::string db = index_runs(scratch, runs);

    TOOL_RUN text = tool_run({"trend", db, "**/Flow summary : Logic elements"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "2026-03-01 01:00:00  night-1  main/summaries/Flow summary  -\n"
                        "2026-03-02 01:00:00  night-2  main/summaries/Flow summary   120 (60%)\n"
                        "2026-03-03 01:00:00  night-3  main/summaries/Flow summary   150 (75%)\n"
                        "2026-03-04 01:00:00  night-4  main/summaries/Flow summary  - (failed)\n");

    std::vector<rapidjson::Document> lines = json_lines(tool_run({"trend", "--json", db, "**/Flow summary : Logic elements"}).out);
    ASSERT_EQ(lines.size(), 4u);
    for (std::size_t i : {0u, 3u}) {
        EXPECT_TRUE(lines[i]["value"].IsNull());
        EXPECT_TRUE(lines[i]["kind"].IsNull());
        EXPECT_TRUE(lines[i]["percent"].IsNull());
    }
    EXPECT_STREQ(lines[0]["status"].GetString(), "good");
    EXPECT_STREQ(lines[3]["status"].GetString(), "failed");

    std::vector<std::vector<std::string>> csv = csv_lines(tool_run({"trend", "--csv", db, "**/Flow summary : Logic elements"}).out);
    ASSERT_EQ(csv.size(), 5u);
    EXPECT_EQ(csv[1], (std::vector<std::string>{"**/Flow summary : Logic elements", "2026-03-01T01:00:00.000000000Z",
                                                "night-1", "main/summaries/Flow summary", "good", "", "", "", "", ""}));
    EXPECT_EQ(csv[2][6], "120");
    EXPECT_EQ(csv[4][4], "failed");
    EXPECT_EQ(csv[4][6], "");
}

TEST(ToolTrend, ARowFilterReadsTheKeptRowsAndSaysWhenCellsAreNeeded)
{
    TOOL_SCRATCH scratch;
    // A speed table keeps its rows in every index: the cell of the
    // filtered row, in ps whatever the report showed.
    std::string db = index_runs(scratch, MIXED);
    TOOL_RUN fmax = tool_run({"trend", "--json", db, "main/timing/Fmax : Fmax [Clock = clk_core]"});
    ASSERT_EQ(fmax.status, 0) << fmax.err;
    std::vector<rapidjson::Document> lines = json_lines(fmax.out);
    ASSERT_EQ(lines.size(), 3u) << fmax.out;
    const double expected[] = {2500, 2380, 2427};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_STREQ(lines[i]["kind"].GetString(), "cell");
        EXPECT_EQ(lines[i]["value"].GetDouble(), expected[i]);
        EXPECT_STREQ(lines[i]["unit"].GetString(), "ps");
    }
    EXPECT_STREQ(lines[0]["text"].GetString(), "2.500 ns");
    EXPECT_STREQ(lines[1]["text"].GetString(), "2380 ps");

    // Another table's rows are kept only with --cells: asked of runs
    // without, the tool says so instead of printing gaps.
    TOOL_RUN paths = tool_run({"trend", db, "main/timing/Paths : Levels [Path = p1]"});
    EXPECT_EQ(paths.status, 2);
    EXPECT_EQ(paths.out, "");
    EXPECT_NE(paths.err.find("rdbxml trend: main/timing/Paths : Levels [Path = p1]: "), std::string::npos) << paths.err;
    EXPECT_NE(paths.err.find("index with --cells to keep every row"), std::string::npos) << paths.err;

    // With the cells of two runs out of three: their values, a gap for
    // the other, and a word on stderr about it.
    std::string cells = index_runs(scratch, MIXED, "cells.db", {"night-1", "night-3"});
    TOOL_RUN some = tool_run({"trend", cells, "main/timing/Paths : Levels [Path = p1]"});
    ASSERT_EQ(some.status, 0) << some.err;
    EXPECT_EQ(some.out, "2026-03-01 01:00:00  night-1  main/timing/Paths   91\n"
                        "2026-03-02 01:00:00  night-2  main/timing/Paths  -\n"
                        "2026-03-03 01:00:00  night-3  main/timing/Paths  151\n");
    EXPECT_NE(some.err.find("1 run indexed without --cells"), std::string::npos) << some.err;
    EXPECT_EQ(tool_run({"trend", "-q", cells, "main/timing/Paths : Levels [Path = p1]"}).err, "");
    // The slack table's worst row says nothing of the others: --cells.
    TOOL_RUN slack = tool_run({"trend", cells, "main/timing/Setup slack : Slack [From = r1]"});
    ASSERT_EQ(slack.status, 0) << slack.err;
    EXPECT_EQ(slack.out, "2026-03-01 01:00:00  night-1  main/timing/Setup slack  -40 ps\n"
                         "2026-03-02 01:00:00  night-2  main/timing/Setup slack  -\n"
                         "2026-03-03 01:00:00  night-3  main/timing/Setup slack  310 ps\n");
    // A text that no row reads, in any run: nothing to follow.
    TOOL_RUN none = tool_run({"trend", cells, "main/timing/Fmax : Fmax [Clock = clk_dsp]"});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no row reads 'clk_dsp' in the column 'Clock' in any run"), std::string::npos) << none.err;
}

TEST(ToolTrend, SeveralSelectorsAndTheSameDataInCsvAndJson)
{
    TOOL_SCRATCH scratch;
    std::vector<RUN> runs = MIXED;
    runs[1].m_gauge = -1;
    std::string db = index_runs(scratch, runs);
    std::vector<std::string> selectors = {"**/Flow summary : Logic elements", "main/timing/** : Slack",
                                          "main/summaries/* : Status", "main/timing/Fmax : Fmax [Clock = clk_core]"};
    std::vector<std::string> args = {"trend", db};
    args.insert(args.end(), selectors.begin(), selectors.end());
    TOOL_RUN text = tool_run(args);
    ASSERT_EQ(text.status, 0) << text.err;
    for (const std::string& selector : selectors)
        EXPECT_EQ(tool_count(text.out, selector + ":\n"), 1u) << text.out;

    args.insert(args.begin() + 1, "--json");
    std::vector<rapidjson::Document> json = json_lines(tool_run(args).out);
    args[1] = "--csv";
    std::vector<std::vector<std::string>> csv = csv_lines(tool_run(args).out);
    ASSERT_EQ(json.size(), 4u * 3u);
    ASSERT_EQ(csv.size(), json.size() + 1);
    const std::vector<std::string>& names = csv[0];
    EXPECT_EQ(names, (std::vector<std::string>{"selector", "time", "label", "path", "status", "kind", "value", "unit",
                                               "percent", "text"}));
    for (std::size_t i = 0; i < json.size(); ++i)
        for (std::size_t f = 0; f < names.size(); ++f) {
            const rapidjson::Value& value = json[i][names[f].c_str()];
            std::string expected = value.IsNull() ? "" : value.IsString() ? value.GetString() : "";
            if (value.IsNumber()) {
                EXPECT_DOUBLE_EQ(std::stod(csv[i + 1][f]), value.GetDouble()) << i << names[f];
                continue;
            }
            EXPECT_EQ(csv[i + 1][f], expected) << i << " " << names[f];
        }
    // In the selectors' order, then by time.
    EXPECT_EQ(json[0]["selector"].GetString(), selectors[0]);
    EXPECT_TRUE(json[0]["value"].IsNull());
    EXPECT_EQ(json[3]["selector"].GetString(), selectors[1]);
    EXPECT_STREQ(json[6]["text"].GetString(), "Successful");
    EXPECT_EQ(json[11]["value"].GetDouble(), 2427);
}

TEST(ToolTrend, APageOfOneChartPerSelectorWithItsTextEscaped)
{
    TOOL_SCRATCH scratch;
    std::vector<RUN> runs = MIXED;
    runs[2].m_gauge = -1;  // night-2, between the others
    runs[0].m_label = "<script>alert(1)</script>";
    std::string db = index_runs(scratch, runs);
    std::string page_file = scratch.dir() + "/trend.html";
    TOOL_RUN run = tool_run({"trend", "--html", page_file, db, "**/Flow summary : Logic elements",
                             "main/timing/Setup slack : Slack", "main/summaries/* : Status"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    std::string page = test_read_file(page_file);
    EXPECT_EQ(tool_count(page, "<article class=\"object trend\" id=\"trend-"), 3u);
    // Two selectors with numbers draw a chart each; texts are listed only.
    EXPECT_EQ(tool_count(page, "<svg class=\"chart\""), 2u);
    EXPECT_EQ(tool_count(page, "No number to draw"), 1u);
    // Each selector's values are a table of the page's own kind, with its
    // heading row, that the page's script pages, sorts and filters.
    for (const char* id : {"trend-1", "trend-2", "trend-3"})
        EXPECT_NE(page.find(std::string("<article class=\"object trend\" id=\"") + id + "\">"), std::string::npos) << id;
    EXPECT_EQ(tool_count(page, "<table class=\"cells trend\" id=\"trend-"), 3u);
    EXPECT_EQ(tool_count(page, "<thead><tr><th>Time</th><th>Run</th><th>Path</th><th>Value</th></tr></thead>"), 2u);
    // A gauge's percent is a column of numbers beside its value's.
    EXPECT_EQ(tool_count(page, "<th>Value</th><th>%</th></tr></thead>"), 1u);
    EXPECT_NE(page.find("<td class=\"num\">90</td><td class=\"num\">45</td></tr>"), std::string::npos) << page;
    EXPECT_NE(page.find("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none';"), std::string::npos);
    EXPECT_EQ(page.find("<script>alert"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    // The gauge of night-2 is missing: its line is broken there, not drawn through.
    std::size_t chart = page.find("<path class=\"line\"");
    ASSERT_NE(chart, std::string::npos);
    std::string d = page.substr(chart, page.find("/>", chart) - chart);
    EXPECT_EQ(tool_count(d, " M"), 2u) << d;
    EXPECT_EQ(tool_count(d, " L"), 0u) << d;

    // To stdout with -, the page alone.
    TOOL_RUN out = tool_run({"trend", "--html", "-", db, "**/Flow summary : Logic elements"});
    ASSERT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(out.out.rfind("<!DOCTYPE html>", 0), 0u);
}

TEST(ToolTrend, RunsWhileAWriterHoldsTheIndexAndSeesWhatWasCommitted)
{
    TOOL_SCRATCH scratch;
    std::string db = index_runs(scratch, MIXED);
    std::string before = tool_run({"trend", db, "**/Flow summary : Logic elements"}).out;
    ASSERT_NE(before, "");
    // A writer that has begun, and not committed, taking every gauge out:
    // the trend neither waits for it nor sees its half-done work.
    std::string dir = tool_shell_quoted(scratch.dir());
    TOOL_RUN run = tool_shell("cd " + dir + " && mkfifo in && (sqlite3 " + tool_shell_quoted(db) +
                              " < in > out 2>&1 &) && exec 3>in && "
                              "printf 'BEGIN IMMEDIATE;\\nDELETE FROM gauges;\\n.print locked\\n' >&3 && "
                              "i=0; until grep -q locked out || [ $i -gt 1200 ]; do i=$((i + 1)); sleep 0.05; done; "
                              "\"$RDBXML\" trend " + tool_shell_quoted(db) + " '**/Flow summary : Logic elements'; "
                              "echo \"status $?\"; printf 'ROLLBACK;\\n' >&3; exec 3>&-");
    EXPECT_EQ(run.out, before + "status 0\n") << run.err;
}

TEST(ToolTrend, UsageErrorsNameTheSelectorAndAnIndexThatCannotBeOpenedItsFile)
{
    TOOL_SCRATCH scratch;
    std::string db = index_runs(scratch, MIXED);
    struct REFUSED {
        std::vector<std::string> m_args;
        const char* m_said;
    };
    const REFUSED cases[] = {
        {{"main/timing Slack"}, "rdbxml trend: main/timing Slack: no ' : ' between the path and the name"},
        {{"main/timing/Setup slack : Slack < 0ps"}, "'<' between spaces: a selector has no operator and value"},
        {{"main/nothing/** : Slack"}, "rdbxml trend: main/nothing/** : Slack: PATH matches nothing in any run"},
        {{"main/timing/** : Fanout"}, "no object PATH matches has a gauge, a summary row or a column of numbers named 'Fanout'"},
        {{"main/timing/Fmax : Fmax [Clok = clk_core]"}, "no table PATH matches has both a column 'Fmax' and a column 'Clok'"},
        {{"--csv", "--json", "main/** : Slack"}, "--csv and --json exclude each other"},
        {{"--stat", "median", "main/** : Slack"}, "median"},
        {{"--html", "-", "--csv", "main/** : Slack"}, "--html - takes stdout"},
    };
    for (const REFUSED& c : cases) {
        std::vector<std::string> args = {"trend", db};
        args.insert(args.end(), c.m_args.begin(), c.m_args.end());
        TOOL_RUN run = tool_run(args);
        SCOPED_TRACE(c.m_said);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.m_said), std::string::npos) << run.err;
    }
    // One selector that finds nothing refuses the whole question.
    TOOL_RUN mixed = tool_run({"trend", db, "**/Flow summary : Logic elements", "main/nothing : x"});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_EQ(mixed.out, "");

    // Every write checked: a full disk, a page that cannot be written.
    TOOL_RUN full = tool_shell("\"$RDBXML\" trend " + tool_shell_quoted(db) + " 'main/** : Slack' >/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err.rfind("rdbxml: cannot write standard output: ", 0), 0u) << full.err;
    std::string page = scratch.dir() + "/no/such/dir/trend.html";
    TOOL_RUN unwritten = tool_run({"trend", "--html", page, db, "main/** : Slack"});
    EXPECT_EQ(unwritten.status, 1);
    EXPECT_NE(unwritten.err.find(page), std::string::npos) << unwritten.err;

    std::string missing = scratch.dir() + "/missing.db";
    TOOL_RUN none = tool_run({"trend", missing, "main/** : Slack"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find(missing), std::string::npos) << none.err;
    std::string not_db = scratch.write("not.db", "just text, not a database at all, long enough to have a header\n");
    TOOL_RUN other = tool_run({"trend", not_db, "main/** : Slack"});
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.err.find(not_db), std::string::npos) << other.err;
}
