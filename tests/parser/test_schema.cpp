// Validation against the bundled schema.
#include <cstdlib>
#include <set>

#include "hdb_instance.h"
#include "parse_fixture.h"

namespace {

PARSE_OPTIONS with_schema(HDB_ACTION_PT_INSTANCE* action_point = nullptr)
{
    PARSE_OPTIONS o;
    o.use_schema = true;
    o.action_point = action_point;
    return o;
}

}  // namespace

TEST_F(ParseTest, BundledExampleValidatesAndResolvesThroughItsHierarchy)
{
    std::unique_ptr<HDB_HIERARCHY> hierarchy = load_hierarchy(example_file("hierarchy.txt"));
    ASSERT_NE(hierarchy, nullptr);
    REPORT_PTR report = parse_file(example_file("report.xml"), with_schema(hierarchy->action_point()));
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
    EXPECT_EQ(count_messages_with("Error: "), 0);

    // The example shows every kind of report object.
    std::string json = json_of(report.get());
    for (const char* kind : {"folder", "text", "legal", "summary", "chart", "embedded", "waveform", "table",
                             "tan_spd_table", "tan_slack_table"})
        EXPECT_NE(json.find(std::string("\"kind\":\"") + kind + "\""), std::string::npos) << kind;
    // Its instance-name cells all resolve.
    EXPECT_NE(json.find("\"instance\":\"top/cpu/pll\""), std::string::npos);
    EXPECT_NE(json.find("{\"type\":\"iname\",\"instance\":\"top/cpu/alu/acc_reg\",\"background\":\"#ffffcc\"}"),
              std::string::npos);
    EXPECT_EQ(json.find("\"instance\":null"), std::string::npos);
}

TEST_F(ParseTest, DocumentUsingEveryElementValidatesAndReadsAlike)
{
    REPORT_PTR checked = parse_file(data_file("schema_every_element.xml"), with_schema());
    ASSERT_NE(checked, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
    // Validation changes nothing of what is read.
    EXPECT_EQ(json_of(parse_file(data_file("schema_every_element.xml")).get()), json_of(checked.get()));
}

TEST_F(ParseTest, InvalidFilesAreRefusedAtTheirLines)
{
    struct CASE {
        const char* file;
        const char* first;       // what the first error names
        std::vector<int> lines;  // the lines of the errors, each with one at least
    } const cases[] = {
        {"schema_bad_number.xml", "'low'", {9}},
        {"schema_two_errors.xml", "'many'", {7, 10}},
        // The enclosing element's content is found wrong when it closes.
        {"schema_misspelled.xml", "'elemnt'", {8, 9}},
    };
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(parse_file(data_file(c.file), with_schema()), nullptr);
        std::vector<std::string> errors = messages_with("RDB_XML: Error: ");
        ASSERT_GE(errors.size(), c.lines.size());
        EXPECT_NE(errors[0].find(c.first), std::string::npos) << errors[0];
        std::set<int> lines;
        for (const std::string& error : errors)
            lines.insert(std::atoi(error.substr(error.rfind(" at line: ") + 10).c_str()));
        EXPECT_EQ(lines, std::set<int>(c.lines.begin(), c.lines.end()));
        std::size_t n = errors.size();
        EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in " + std::to_string(n) + (n == 1 ? " error" : " errors") +
                                ", 0 warnings"));
        // Without validation the reader passes over what it does not know.
        EXPECT_NE(parse_file(data_file(c.file)), nullptr);
    }
}

TEST_F(ParseTest, MisplacedElementsAreRefused)
{
    // Each document puts a known element where it does not belong.
    const char* const misplaced[] = {
        // a gauge outside "gauges"
        "<report><summary><gauge name=\"g\"/></summary></report>",
        // a gauge field directly in "gauges"
        "<report><summary><gauges><min>1</min></gauges></summary></report>",
        // a chart child in a summary
        "<report><summary><data name=\"d\">1</data></summary></report>",
        // a waveform child in "embedded"
        "<report><embedded type=\"image\"><compare>true</compare></embedded></report>",
        // a cell outside a row
        "<report><table><string_cell>x</string_cell></table></report>",
        // a slack-table column in a plain table
        "<report><table><column id=\"1\" type=\"slack\"/></table></report>",
        // a report element inside another one
        "<report><chart><text/></chart></report>",
        // a report element outside "report"
        "<summary/>",
        // text directly inside an element that reads none
        "<report><chart>stray</chart></report>",
        // a number attribute that is not a number
        "<report><chart size=\"big\"/></report>",
    };
    for (const char* xml : misplaced) {
        EXPECT_EQ(parse_text(xml, with_schema()), nullptr) << xml;
        EXPECT_GE(count_messages_with("RDB_XML: Error: "), 1) << xml;
        EXPECT_EQ(count_messages_with("Fatal Error"), 0) << xml;
    }
}
