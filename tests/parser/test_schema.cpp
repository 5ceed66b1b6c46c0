// Validation against the bundled schema.
#include <algorithm>

#include <rdbxml/hdb_instance.h>
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

TEST_F(ParseTest, ValidDocumentsValidateAndReadAlikeWithoutTheSchema)
{
    std::unique_ptr<HDB_HIERARCHY> hierarchy = load_hierarchy(example_file("hierarchy.txt"));
    ASSERT_NE(hierarchy, nullptr);
    std::string json;
    for (const std::string& file : {data_file("schema_every_element.xml"), example_file("report.xml")}) {
        REPORT_PTR checked = parse_file(file, with_schema(hierarchy->action_point()));
        ASSERT_NE(checked, nullptr) << file;
        EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
        json = json_of(checked.get());
        PARSE_OPTIONS unchecked;
        unchecked.action_point = hierarchy->action_point();
        EXPECT_EQ(json_of(parse_file(file, unchecked).get()), json);
    }
    // The example shows every kind of report object, and its instance-name
    // cells all resolve.
    for (const char* kind : {"folder", "text", "legal", "summary", "chart", "embedded", "waveform", "table",
                             "tan_spd_table", "tan_slack_table"})
        EXPECT_NE(json.find(std::string("\"kind\":\"") + kind + "\""), std::string::npos) << kind;
    EXPECT_NE(json.find("{\"type\":\"iname\",\"instance\":\"top/cpu/alu/acc_reg\",\"path\":\"cpu/alu/acc_reg\","
                        "\"background\":\"#ffffcc\"}"),
              std::string::npos);
    EXPECT_EQ(json.find("\"instance\":null"), std::string::npos);
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
        for (const std::string& error : errors) {
            int line = std::stoi(error.substr(error.rfind(" at line: ") + 10));
            EXPECT_EQ(std::count(c.lines.begin(), c.lines.end(), line), 1) << error;
        }
        for (int line : c.lines)
            EXPECT_GE(count_messages_with(" at line: " + std::to_string(line)), 1) << line;
        EXPECT_EQ(count_messages_with(" error"), 1);  // the totals, with their count
        EXPECT_EQ(count_messages_with(" resulted in " + std::to_string(errors.size()) + " error"), 1);
        // Without validation the reader passes over what it does not know.
        EXPECT_NE(parse_file(data_file(c.file)), nullptr);
    }
}

TEST_F(ParseTest, MisplacedElementsAreRefused)
{
    // A gauge outside "gauges", a chart child in a summary, a waveform child
    // in "embedded", a cell outside a row, a slack-table column in a plain
    // table, a report element inside another one or outside "report", text
    // inside an element that reads none, a number that is not a number.
    const char* const misplaced[] = {
        "<report><summary><gauge name=\"g\"/></summary></report>",
        "<report><summary><data name=\"d\">1</data></summary></report>",
        "<report><embedded type=\"image\"><compare>true</compare></embedded></report>",
        "<report><table><string_cell>x</string_cell></table></report>",
        "<report><table><column id=\"1\" type=\"slack\"/></table></report>",
        "<report><chart><text/></chart></report>", "<summary/>", "<report><chart>stray</chart></report>",
        "<report><chart size=\"big\"/></report>",
    };
    for (const char* xml : misplaced) {
        EXPECT_EQ(parse_text(xml, with_schema()), nullptr) << xml;
        EXPECT_GE(count_messages_with("RDB_XML: Error: "), 1) << xml;
        EXPECT_EQ(count_messages_with("Fatal Error"), 0) << xml;
    }
}
