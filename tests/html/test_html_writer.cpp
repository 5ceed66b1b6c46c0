// The HTML writer through the real parser: what the page says of each kind
// of object, and that report text never becomes markup.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include <rapidjson/document.h>

#include <rdbxml/rdb_html_writer.h>
#include "full_buffer.h"
#include "page_check.h"
#include "parse_fixture.h"
#include "tool_runner.h"

namespace {

std::string html_of(const RDB_REPORT* report)
{
    std::ostringstream out;
    rdb_write_html(report, out, "page");
    return out.str();
}

class HtmlWriterTest : public ParseTest {
protected:
    std::string page_of(const std::string& body)
    {
        REPORT_PTR report = parse_text("<report><folders><root name=\"main\"/></folders>" + body + "</report>");
        EXPECT_TRUE(report);
        return html_of(report.get());
    }
};

TEST(HtmlDelayFormat, EachDisplayOptionInItsUnit)
{
    struct CASE {
        long delay;
        RDB_TABLE_DELAY_ELEMENT_DISPLAY_OPTION_ENUM option;
        const char* text;
    } cases[] = {
        // Each unit as read from a file the parser's cell-text tests hold;
        // here, the values no file gives it.
        {LONG_MIN, RDB_DELAY_DISPLAY_NS, "-9223372036854775.808 ns"},
        {0, RDB_DELAY_DISPLAY_MHZ, "0 ps"},
        {5, RDB_DELAY_DISPLAY_UNKNOWN, "0.005 ns"},
    };
    for (const CASE& c : cases)
        EXPECT_EQ(rdb_format_delay(c.delay, c.option), c.text) << c.delay;
}

TEST_F(HtmlWriterTest, CellsKeepColoursAlignNumbersAndFormatDelays)
{
    std::string page = page_of(
        "<table name=\"t\" parent=\"main\"><row><string_cell background=\"#ffffcc\">a</string_cell>"
        "<int_cell foreground=\"red\">14</int_cell><delay_cell><delay>2500</delay><display_option>mhz"
        "</display_option></delay_cell><iname_cell>no/such</iname_cell></row></table>");
    EXPECT_NE(page.find("<td style=\"background-color:#ffffcc;\">a</td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"num\" style=\"color:#ff0000;\">14</td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"num\">400.0 MHz</td>"), std::string::npos);
    EXPECT_NE(page.find("title=\"instance not in the hierarchy\""), std::string::npos);
}

TEST_F(HtmlWriterTest, BadBytesBecomeReplacementCharacters)
{
    REPORT_PTR report = parse_text("<report><folders><root name=\"main\"/></folders></report>");
    ASSERT_TRUE(report);
    RDB_TEXT_OBJECT* text = new RDB_TEXT_OBJECT(STL_STRING("t"));
    text->add_text(new STL_STRING(std::string("a\xff" "b", 3).c_str()));
    report->get_main_folder()->add_object_to_list(text);
    RDB_TABLE_OBJECT* table = new RDB_TABLE_OBJECT(STL_STRING("\x01x"), RDB_OBJECT_TYPE_TABLE);
    table->add_string_row("\xC3", RDB_ROW_END);
    report->get_main_folder()->add_object_to_list(table);
    std::string page = html_of(report.get());
    EXPECT_NE(page.find("<p>a\xEF\xBF\xBD" "b</p>"), std::string::npos);
    EXPECT_NE(page.find("\xEF\xBF\xBDx<span class=\"kind\">"), std::string::npos);
    // A row of texts alone is the table's heading row.
    EXPECT_NE(page.find("<th>\xEF\xBF\xBD</th>"), std::string::npos);
}

TEST_F(HtmlWriterTest, LongTablesCarryAllRowsAsDataAndOnePageAsMarkup)
{
    REPORT_PTR report = parse_text(hostile_report_xml(250));
    ASSERT_TRUE(report);
    std::string page = html_of(report.get());
    std::size_t table = page.find("data-rows=\"250\"");
    ASSERT_NE(table, std::string::npos);
    std::size_t markup_end = page.find("</table>", table);
    EXPECT_EQ(tool_count(page.substr(table, markup_end - table), "<tr>"), 100u);

    std::string open = "-data\">";
    std::size_t data = page.find(open, markup_end) + open.size();
    std::string block = page.substr(data, page.find("</script>", data) - data);
    EXPECT_EQ(block.find('<'), std::string::npos);
    rapidjson::Document parsed;
    parsed.Parse(block.c_str());
    ASSERT_TRUE(parsed.IsObject());
    const rapidjson::Value& rows = parsed["rows"];
    ASSERT_TRUE(rows.IsArray());
    ASSERT_EQ(rows.Size(), 250u);
    EXPECT_STREQ(rows[3][0][0].GetString(), hostile_texts()[3].c_str());
    const rapidjson::Value& style = parsed["styles"][rows[3][0][1].GetUint()];
    EXPECT_EQ(style[0].GetInt(), 0);
    EXPECT_STREQ(style[1].GetString(), "#ff0000");
    EXPECT_STREQ(style[2].GetString(), "");
    EXPECT_STREQ(rows[3][1].GetString(), hostile_texts()[4].c_str());
    EXPECT_EQ(rows[249][2].GetInt(), 249);
}

// The rows of the page's first data block, parsed.
rapidjson::Document data_rows(const std::string& page)
{
    std::string open = "-data\">";
    std::size_t data = page.find(open);
    rapidjson::Document block;
    if (data != std::string::npos)
        block.Parse(page.substr(data + open.size(), page.find("</script>", data) - data - open.size()).c_str());
    rapidjson::Document rows;
    if (block.IsObject() && block.HasMember("rows"))
        rows.CopyFrom(block["rows"], rows.GetAllocator());
    return rows;
}

TEST_F(HtmlWriterTest, HeadingRowIsTheTableHeadAndCountsLeaveItOut)
{
    std::string heading = "<row><string_cell>Name</string_cell><string_cell foreground=\"red\">Value</string_cell></row>";
    std::string rows;
    for (int r = 0; r < 150; ++r)
        rows += "<row><string_cell>n" + std::to_string(r) + "</string_cell><int_cell>" + std::to_string(r) +
                "</int_cell></row>";
    std::string page = page_of("<table name=\"short\" parent=\"main\">" + heading + rows.substr(0, rows.find("<row><string_cell>n2<")) +
                               "</table>");
    EXPECT_NE(page.find("<p class=\"meta\">2 rows</p>"), std::string::npos);
    EXPECT_NE(page.find("<thead><tr><th>Name</th><th style=\"color:#ff0000;\">Value</th></tr></thead><tbody>\n"
                        "<tr><td>n0</td>"),
              std::string::npos);

    page = page_of("<table name=\"long\" parent=\"main\">" + heading + rows + "</table>");
    EXPECT_NE(page.find("<p class=\"meta\">150 rows</p>"), std::string::npos);
    EXPECT_NE(page.find("data-rows=\"150\"><thead><tr><th>Name</th>"), std::string::npos);
    EXPECT_NE(page.find("Rows 1\xE2\x80\x93" "100 of 150."), std::string::npos);
    EXPECT_EQ(tool_count(page, "</th>"), 2u);
    rapidjson::Document block = data_rows(page);
    ASSERT_TRUE(block.IsArray());
    ASSERT_EQ(block.Size(), 150u);
    EXPECT_STREQ(block[0][0].GetString(), "n0");
    EXPECT_STREQ(block[149][0].GetString(), "n149");
}

TEST_F(HtmlWriterTest, PagedCellsAreShortAndKeepEveryStyle)
{
    std::string rows;
    for (int r = 0; r < 101; ++r)
        rows += "<row><string_cell>a</string_cell><string_cell background=\"#ffffcc\">b</string_cell>"
                "<int_cell>-42</int_cell><int_cell foreground=\"red\">7</int_cell>"
                "<delay_cell><delay>-120</delay><display_option>ps</display_option></delay_cell>"
                "<delay_cell><delay>1500</delay><display_option>ns</display_option></delay_cell>"
                "<iname_cell>no/such</iname_cell><string_cell>12</string_cell></row>";
    std::string page = page_of("<table name=\"t\" parent=\"main\">" + rows + "</table>");
    std::string open = "-data\">{\"rows\":[[";
    std::size_t data = page.find(open);
    ASSERT_NE(data, std::string::npos);
    // Plain text, a background alone, an exact integer as a number, a
    // coloured one, delays as numeric texts, an instance not in the
    // hierarchy, and a text that only looks like a number; each style once.
    std::string row = "\"a\",[\"b\",0],-42,[7,1],[\"-120 ps\"],[\"1.500 ns\"],[\"no/such\",2],\"12\"]";
    EXPECT_EQ(page.substr(data + open.size(), row.size()), row);
    std::string styles = "],\"styles\":[[0,\"\",\"#ffffcc\"],[1,\"#ff0000\",\"\"],[2,\"\",\"\"]]}</script>";
    EXPECT_NE(page.find("[" + row + styles, data), std::string::npos);
}

TEST_F(HtmlWriterTest, EachChartTypeDrawsItsShapesAndLabelsOnRequest)
{
    struct CASE {
        const char* type;
        const char* shape;
        std::size_t shapes;
    } cases[] = {{"bar", "<rect class=\"bar\"", 3},         {"histogram", "<rect class=\"bar histogram\"", 3},
                 {"line", "<polyline class=\"line\"", 1},   {"scatter", "<circle class=\"point\"", 3},
                 {"pie", "class=\"slice\"", 2}};
    for (const CASE& c : cases) {
        for (bool labels : {false, true}) {
            std::string page = page_of(std::string("<chart name=\"c\" parent=\"main\"><type>") + c.type +
                                       "</type><x_label>X axis</x_label><y_label>Y axis</y_label><show_labels>" +
                                       (labels ? "true" : "false") +
                                       "</show_labels><data name=\"1\">5</data><data name=\"2\">-3</data>"
                                       "<data name=\"3\">9</data></chart>");
            EXPECT_EQ(tool_count(page, c.shape), c.shapes) << c.type;
            // A pie has no slice for the negative value, so no label for it.
            std::size_t data_labels = std::string(c.type) == "pie" ? 2 : 3;
            EXPECT_EQ(tool_count(page, "class=\"data-label\""), labels ? data_labels : 0) << c.type;
            EXPECT_NE(page.find("X axis"), std::string::npos) << c.type;
        }
    }
}

TEST_F(HtmlWriterTest, ChartWithoutPointsOrWithHugeNumbersStillWrites)
{
    EXPECT_NE(page_of("<chart name=\"c\" parent=\"main\"/>").find("No data points."), std::string::npos);
    std::string page = page_of("<chart name=\"c\" parent=\"main\"><type>scatter</type><data name=\"1e308\">"
                               "2147483647</data><data name=\"-1e308\">-2147483648</data></chart>");
    EXPECT_EQ(tool_count(page, "<circle class=\"point\""), 2u);
}

TEST_F(HtmlWriterTest, GaugesFillBetweenMinAndMax)
{
    std::string page = page_of(
        "<summary name=\"s\" parent=\"main\"><element name=\"k\">v</element><gauges>"
        "<gauge name=\"half\" percent=\"true\"><min>10</min><max>30</max><value>20</value></gauge>"
        "<gauge name=\"over\"><min>0</min><max>5</max><value>9</value></gauge>"
        "<gauge name=\"flat\" enabled=\"false\"><min>4</min><max>4</max><value>1</value></gauge>"
        "</gauges></summary>");
    EXPECT_NE(page.find("width:50.0%\"></div></div><span class=\"gauge-value\">50%"), std::string::npos);
    EXPECT_NE(page.find("width:100.0%\"></div></div><span class=\"gauge-value\">9 (0\xE2\x80\x93" "5)"),
              std::string::npos);
    EXPECT_NE(page.find("<div class=\"gauge disabled\"><span class=\"gauge-name\">flat"), std::string::npos);
    EXPECT_NE(page.find("width:0.0%"), std::string::npos);
}

TEST_F(HtmlWriterTest, AFailingStreamEndsThePageAsTheStreamReportsIt)
{
    REPORT_PTR report = parse_text(hostile_report_xml(3000));
    ASSERT_TRUE(report);
    const std::string raw = html_of(report.get());
    const std::string whole = tool_without_nonce(raw);
    ASSERT_GT(raw.size(), 200000u);  // several blocks
    ASSERT_EQ(raw.substr(raw.size() - 8), "</html>\n");
    // Memory running out before the first block, in the middle, and at the
    // last (written as the page completes): the stream's exception passes,
    // what was written is the start of the page, and nothing follows. The
    // blocks before the failing one were handed on as the page grew.
    for (std::size_t room : {std::size_t(0), raw.size() / 2, raw.size() - 1}) {
        FULL_BUFFER buffer(room);
        std::ostream out(&buffer);
        out.exceptions(std::ios::badbit);
        EXPECT_THROW(rdb_write_html(report.get(), out, "page"), std::bad_alloc) << "room " << room;
        const std::string written = tool_without_nonce(buffer.m_text);
        EXPECT_EQ(written, whole.substr(0, written.size())) << "room " << room;
        EXPECT_LT(written.size(), whole.size()) << "room " << room;
        EXPECT_GT(written.size() + 100000, room) << "room " << room;
    }
    // A stream that throws nothing has its bad bit set.
    FULL_BUFFER buffer(raw.size() / 2, false);
    std::ostream out(&buffer);
    rdb_write_html(report.get(), out, "page");
    EXPECT_TRUE(out.bad());
    EXPECT_EQ(buffer.m_text.size(), raw.size() / 2);
}

TEST_F(HtmlWriterTest, TextsKeepParagraphsAndLineBreaks)
{
    std::string page = page_of("<text name=\"t\" parent=\"main\"><ascii_text>one\ntwo\n \nthree</ascii_text></text>");
    EXPECT_NE(page.find("<p>one\ntwo</p>\n<p>three</p>"), std::string::npos);
}

TEST_F(HtmlWriterTest, DeepFolderTreesWriteWithoutRecursion)
{
    std::string xml = "<report><folders><root name=\"f0\"/>";
    const int depth = 20000;
    for (int i = 1; i < depth; ++i)
        xml += "<folder name=\"f" + std::to_string(i) + "\"/>";
    xml += "</folders>";
    for (int i = 1; i < depth; ++i)
        xml += "<folder_ref name=\"f" + std::to_string(i) + "\" parent=\"f" + std::to_string(i - 1) + "\"/>";
    REPORT_PTR report = parse_text(xml + "</report>");
    ASSERT_TRUE(report);
    std::string page = html_of(report.get());
    EXPECT_EQ(tool_count(page, "<section class=\"folder"), static_cast<std::size_t>(depth));
    EXPECT_EQ(tool_count(page, "<li class=\"d8"), static_cast<std::size_t>(depth - 8));
}

}  // namespace
