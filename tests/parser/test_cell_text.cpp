// The model's reading of parsed reports that every writer and host shares:
// a cell as text, heading rows, and a chart's data points, and the page
// showing the same points as the model gives.
#include <rapidjson/document.h>

#include <climits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <rdbxml/hdb_instance.h>
#include <rdbxml/rdb_html_writer.h>
#include "parse_fixture.h"

namespace {

// The texts of a row's cells.
std::vector<std::string> row_text(const RDB_TABLE_OBJECT& table, unsigned row)
{
    std::vector<std::string> texts;
    for (const RDB_TABLE_ELEMENT* cell : *table.get_row(row))
        texts.push_back(rdb_cell_text(*cell));
    return texts;
}

typedef std::vector<std::pair<std::string, int>> POINTS;

POINTS points_of(const RDB_CHART_TABLE_OBJECT& chart)
{
    POINTS points;
    for (const RDB_CHART_POINT& point : chart.get_points())
        points.emplace_back(std::string(point.label), point.value);
    return points;
}

// The text between `open` and `close` from `at` on; `at` moves past it.
std::string next_between(const std::string& text, const std::string& open, const std::string& close,
                         std::size_t& at)
{
    std::size_t start = text.find(open, at);
    if (start == std::string::npos) {
        at = std::string::npos;
        return std::string();
    }
    start += open.size();
    std::size_t end = text.find(close, start);
    at = end;
    return text.substr(start, end - start);
}

// The rows of the page's table `id` as label and value: from its markup,
// or from its data block when it has one.
POINTS page_table_points(const std::string& page, const std::string& id)
{
    POINTS points;
    std::size_t at = page.find("id=\"" + id + "\"");
    if (at == std::string::npos)
        return points;
    std::size_t block = page.find("<script type=\"application/json\" id=\"" + id + "-data\">");
    if (block != std::string::npos) {
        rapidjson::Document data;
        data.Parse(next_between(page, ">", "</script>", block).c_str());
        if (!data.IsObject() || !data.HasMember("rows") || !data["rows"].IsArray())
            return points;
        for (const rapidjson::Value& row : data["rows"].GetArray()) {
            // A label is a plain text cell, a value a numeric one: an
            // integer is written as the JSON number it shows.
            if (!row.IsArray() || row.Size() != 2 || !row[0].IsString() || !row[1].IsInt())
                return points;
            points.emplace_back(row[0].GetString(), row[1].GetInt());
        }
        return points;
    }
    std::string body = next_between(page, "<tbody>", "</tbody>", at);
    for (std::size_t row = 0;;) {
        std::string cells = next_between(body, "<tr>", "</tr>", row);
        if (row == std::string::npos)
            return points;
        // A plain text cell and a numeric one; any other row as it is.
        std::size_t cell = 0;
        std::string label = next_between(cells, "<td>", "</td>", cell);
        std::string value = next_between(cells, "<td class=\"num\">", "</td>", cell);
        if (cell == std::string::npos)
            points.emplace_back(cells, INT_MIN);
        else
            points.emplace_back(label, std::stoi(value));
    }
}

// The points as the page's SVG titles them ("label: value"), in order.
std::vector<std::string> drawn_titles(const std::string& page)
{
    std::vector<std::string> titles;
    std::size_t at = page.find("<svg class=\"chart\"");
    std::size_t end = page.find("</svg>", at);
    next_between(page, "<title>", "</title>", at);  // the chart's own
    while (true) {
        std::string title = next_between(page, "<title>", "</title>", at);
        if (at == std::string::npos || at > end)
            break;
        titles.push_back(title);
    }
    return titles;
}

}  // namespace

TEST_F(ParseTest, CellTextOfEachKind)
{
    // The example read with its hierarchy: strings, integers, delays in ps
    // and MHz, and instance names resolved to their path from the top.
    std::unique_ptr<HDB_HIERARCHY> hierarchy = load_hierarchy(example_file("hierarchy.txt"));
    ASSERT_NE(hierarchy, nullptr);
    PARSE_OPTIONS options;
    options.action_point = hierarchy->action_point();
    REPORT_PTR report = parse_file(example_file("report.xml"), options);
    const auto* clocks = find_object<RDB_TABLE_OBJECT>(report, "Clocks");
    const auto* fmax = find_object<RDB_TAN_SPD_TABLE_OBJECT>(report, "Fmax");
    const auto* slack = find_object<RDB_TAN_SLACK_TABLE_OBJECT>(report, "Setup slack");
    ASSERT_TRUE(clocks != nullptr && fmax != nullptr && slack != nullptr) << dump();
    EXPECT_EQ(row_text(*clocks, 1), (std::vector<std::string>{"clk_core", "2500", "top/cpu/pll"}));
    EXPECT_EQ(row_text(*fmax, 2), (std::vector<std::string>{"clk_mem", "230.0 MHz"}));
    EXPECT_EQ(row_text(*slack, 1),
              (std::vector<std::string>{"-120 ps", "top/cpu/alu/acc_reg", "top/cpu/regfile/r0", "clk_core", "14"}));

    // Kinds, and which of them are numbers.
    const RDB_TABLE_ROW& cells = *slack->get_row(1);
    const RDB_TABLE_ELEMENT_KIND kinds[] = {RDB_CELL_DELAY, RDB_CELL_INAME, RDB_CELL_INAME, RDB_CELL_STRING,
                                            RDB_CELL_INT};
    const char* const types[] = {"delay", "iname", "iname", "string", "int"};
    for (std::size_t c = 0; c < cells.size(); ++c) {
        EXPECT_EQ(cells[c]->get_cell_kind(), kinds[c]) << c;
        EXPECT_STREQ(cells[c]->get_type(), types[c]) << c;
        EXPECT_EQ(rdb_cell_is_numeric(*cells[c]), kinds[c] == RDB_CELL_DELAY || kinds[c] == RDB_CELL_INT) << c;
    }

    // Delays in each unit; texts untouched; the append form appends.
    report = parse_text(report_with(
        "<table name=\"t\" parent=\"main\"><row>"
        "<delay_cell><delay>1250</delay><display_option>ns</display_option></delay_cell>"
        "<delay_cell><delay>-120</delay></delay_cell>"
        "<delay_cell><delay>2500</delay><display_option>ps</display_option></delay_cell>"
        "<delay_cell><delay>2500</delay><display_option>MHz</display_option></delay_cell>"
        "<delay_cell><delay>-250</delay><display_option>mhz</display_option></delay_cell>"
        "<string_cell> two  spaces </string_cell><string_cell></string_cell><int_cell>-7</int_cell>"
        "</row></table>"));
    const auto* table = find_object<RDB_TABLE_OBJECT>(report, "t");
    ASSERT_NE(table, nullptr) << dump();
    EXPECT_EQ(row_text(*table, 0), (std::vector<std::string>{"1.250 ns", "-0.120 ns", "2500 ps", "400.0 MHz",
                                                              "-250 ps", " two  spaces ", "", "-7"}));
    std::string text = "[";
    rdb_append_cell_text(text, *table->get_element(0, 3));
    EXPECT_EQ(text, "[400.0 MHz");
}

TEST_F(ParseTest, InstanceNameTextIsTheResolvedPathElseThePathAsWritten)
{
    const std::string xml = report_with("<table name=\"t\" parent=\"main\"><row><iname_cell>cpu/alu/acc_reg"
                                        "</iname_cell><iname_cell>cpu/no/such_reg</iname_cell><iname_cell/>"
                                        "</row></table>");
    std::unique_ptr<HDB_HIERARCHY> hierarchy = load_hierarchy(example_file("hierarchy.txt"));
    ASSERT_NE(hierarchy, nullptr);
    PARSE_OPTIONS resolving;
    resolving.action_point = hierarchy->action_point();
    REPORT_PTR report = parse_text(xml, resolving);
    const auto* table = find_object<RDB_TABLE_OBJECT>(report, "t");
    ASSERT_NE(table, nullptr) << dump();
    EXPECT_EQ(row_text(*table, 0), (std::vector<std::string>{"top/cpu/alu/acc_reg", "cpu/no/such_reg", ""}));

    // Read without a hierarchy: every path as the file wrote it.
    report = parse_text(xml);
    table = find_object<RDB_TABLE_OBJECT>(report, "t");
    ASSERT_NE(table, nullptr) << dump();
    EXPECT_EQ(row_text(*table, 0), (std::vector<std::string>{"cpu/alu/acc_reg", "cpu/no/such_reg", ""}));
}

TEST_F(ParseTest, HeadingRowIsAFirstRowOfTextsExceptInSummariesAndTheBlankRowOfCharts)
{
    struct CASE {
        const RDB_TABLE_OBJECT* table;
        bool heading;
    };
    auto expect_heading = [](const RDB_TABLE_OBJECT& table, bool heading) {
        SCOPED_TRACE(table.get_name().str());
        EXPECT_EQ(table.has_heading_row(), heading);
        EXPECT_EQ(table.is_heading_row(0), heading);
        EXPECT_FALSE(table.is_heading_row(1));
        EXPECT_EQ(table.get_first_data_row(), heading ? 1u : 0u);
    };
    // Every kind of table in the example: the three tables and the chart
    // start with their column titles, the summary with its data.
    REPORT_PTR report = parse_file(example_file("report.xml"));
    const auto* summary = find_object<RDB_SUMMARY_TABLE_OBJECT>(report, "Flow summary");
    ASSERT_NE(summary, nullptr) << dump();
    EXPECT_EQ(summary->get_row(0)->size(), 2u);  // all strings, and still data
    expect_heading(*summary, false);
    for (const char* name : {"Clocks", "Fmax", "Setup slack", "Slack histogram"}) {
        const auto* table = find_object<RDB_TABLE_OBJECT>(report, name);
        ASSERT_NE(table, nullptr) << name;
        expect_heading(*table, true);
    }

    // Timing tables whose first row holds a delay: no heading row.
    report = parse_file(data_file("table_slack.xml"));
    const auto* setup = find_object<RDB_TAN_SLACK_TABLE_OBJECT>(report, "setup");
    const auto* speed = find_object<RDB_TAN_SPD_TABLE_OBJECT>(report, "fmax");
    ASSERT_TRUE(setup != nullptr && speed != nullptr) << dump();
    expect_heading(*setup, false);
    expect_heading(*speed, false);

    // A table whose first row holds a number, one whose first row is
    // empty, one without rows, and a chart without data (its blank row
    // only).
    report = parse_text(report_with(
        "<table name=\"number\" parent=\"main\"><row><string_cell>a</string_cell><int_cell>1</int_cell></row>"
        "<row><string_cell>b</string_cell></row></table>"
        "<table name=\"empty row\" parent=\"main\"><row/><row><string_cell>b</string_cell></row></table>"
        "<table name=\"no rows\" parent=\"main\"/><chart name=\"no data\" parent=\"main\"/>"));
    for (const char* name : {"number", "empty row", "no rows"}) {
        const auto* table = find_object<RDB_TABLE_OBJECT>(report, name);
        ASSERT_NE(table, nullptr) << name << dump();
        expect_heading(*table, false);
    }
    const auto* chart = find_object<RDB_CHART_TABLE_OBJECT>(report, "no data");
    ASSERT_NE(chart, nullptr);
    expect_heading(*chart, true);
    EXPECT_TRUE(chart->get_points().empty());
}

TEST_F(ParseTest, ChartPointsAreTheRowsAfterTheHeadingRowInOrder)
{
    REPORT_PTR report = parse_file(example_file("report.xml"));
    const auto* chart = find_object<RDB_CHART_TABLE_OBJECT>(report, "Slack histogram");
    ASSERT_NE(chart, nullptr) << dump();
    EXPECT_EQ(points_of(*chart),
              (POINTS{{"-200..0", 3}, {"0..200", 27}, {"200..400", 112}, {"400..600", 340}, {"600..", 1250}}));
    // The labels are the chart's own texts, not copies.
    const auto* first = static_cast<const RDB_TABLE_STRING_ELEMENT*>(chart->get_element(1, 0));
    EXPECT_EQ(chart->get_points()[0].label.data(), first->get_string().c_str());

    // A point of an empty name and 0 is data like any other: only the
    // first row is the heading.
    report = parse_text(report_with("<chart name=\"c\" parent=\"main\"><data name=\"\">0</data>"
                                    "<data name=\"z\">-4</data><data name=\"a\">9</data></chart>"));
    chart = find_object<RDB_CHART_TABLE_OBJECT>(report, "c");
    ASSERT_NE(chart, nullptr) << dump();
    EXPECT_EQ(points_of(*chart), (POINTS{{"", 0}, {"z", -4}, {"a", 9}}));
}

TEST_F(ParseTest, PageDrawsAndListsTheChartPoints)
{
    // The example's chart, and one whose data table is paged.
    std::string many = "<chart name=\"many\" parent=\"main\"><type>line</type>";
    for (int i = 0; i < 150; ++i)
        many += "<data name=\"p" + std::to_string(i) + "\">" + std::to_string(i * 7 - 300) + "</data>";
    many += "</chart>";
    for (const std::string& report_xml : {std::string(), report_with(many)}) {
        REPORT_PTR report = report_xml.empty() ? parse_file(example_file("report.xml")) : parse_text(report_xml);
        ASSERT_NE(report, nullptr) << dump();
        const auto* chart =
            find_object<RDB_CHART_TABLE_OBJECT>(report, report_xml.empty() ? "Slack histogram" : "many");
        ASSERT_NE(chart, nullptr);
        const POINTS points = points_of(*chart);
        std::ostringstream out;
        rdb_write_html(report.get(), out, "page");
        const std::string page = out.str();

        std::size_t table = page.find("<table class=\"cells chart-data\" id=\"");
        ASSERT_NE(table, std::string::npos);
        std::string id = next_between(page, "id=\"", "\"", table);
        EXPECT_EQ(page_table_points(page, id), points) << chart->get_name();
        std::vector<std::string> titles;
        for (const auto& [label, value] : points)
            titles.push_back(label + ": " + std::to_string(value));
        EXPECT_EQ(drawn_titles(page), titles) << chart->get_name();
        EXPECT_NE(page.find("<p class=\"meta\">" + std::to_string(points.size()) + " data points"), std::string::npos);
    }
}
