// Validation against the bundled schema.
#include "parse_fixture.h"

namespace {

PARSE_OPTIONS with_schema()
{
    PARSE_OPTIONS o;
    o.use_schema = true;
    return o;
}

// A file of tests/data.
std::string schema_data(const std::string& name) { return std::string(RDBXML_SOURCE_DIR) + "/tests/data/" + name; }

}  // namespace

TEST_F(ParseTest, BundledExampleValidates)
{
    REPORT_PTR report = parse_file(RDBXML_SOURCE_DIR "/examples/report.xml", with_schema());
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
    EXPECT_EQ(count_messages_with("Error: "), 0);

    // The example shows every kind of report object.
    std::string json = json_of(report.get());
    for (const char* kind : {"folder", "text", "legal", "summary", "chart", "embedded", "waveform", "table",
                             "tan_spd_table", "tan_slack_table"})
        EXPECT_NE(json.find(std::string("\"kind\":\"") + kind + "\""), std::string::npos) << kind;
}

TEST_F(ParseTest, DocumentUsingEveryElementValidatesAndReadsAlike)
{
    REPORT_PTR checked = parse_file(schema_data("schema_every_element.xml"), with_schema());
    ASSERT_NE(checked, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));

    // Validation changes nothing of what is read.
    REPORT_PTR plain = parse_file(schema_data("schema_every_element.xml"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(json_of(checked.get()), json_of(plain.get()));
}

TEST_F(ParseTest, MisspelledElementIsRefusedAtItsLine)
{
    REPORT_PTR report = parse_file(schema_data("schema_misspelled.xml"), with_schema());
    EXPECT_EQ(report, nullptr);
    std::vector<std::string> errors = messages_with("RDB_XML: Error: ");
    ASSERT_FALSE(errors.empty());
    // The misspelled element stands on line 8; the enclosing element's
    // content is found wrong when it closes, on line 9.
    EXPECT_NE(errors[0].find("'elemnt'"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(" at line: 8"), std::string::npos) << errors[0];
    for (const std::string& error : errors)
        EXPECT_TRUE(error.find(" at line: 8") != std::string::npos || error.find(" at line: 9") != std::string::npos)
            << error;
    int total = static_cast<int>(errors.size());
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in " + std::to_string(total) + " errors, 0 warnings"));

    // Without validation the same file is read: the reader passes over
    // names it does not know.
    EXPECT_NE(parse_file(schema_data("schema_misspelled.xml")), nullptr);
}

TEST_F(ParseTest, NonNumericGaugeFieldIsRefusedAtItsLine)
{
    REPORT_PTR report = parse_file(schema_data("schema_bad_number.xml"), with_schema());
    EXPECT_EQ(report, nullptr);
    std::vector<std::string> errors = messages_with("RDB_XML: Error: ");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("'low'"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(" at line: 9"), std::string::npos) << errors[0];
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings"));
}

TEST_F(ParseTest, TwoValidationErrorsAreBothCounted)
{
    REPORT_PTR report = parse_file(schema_data("schema_two_errors.xml"), with_schema());
    EXPECT_EQ(report, nullptr);
    std::vector<std::string> errors = messages_with("RDB_XML: Error: ");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find(" at line: 7"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find(" at line: 10"), std::string::npos) << errors[1];
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 2 errors, 0 warnings"));
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

TEST_F(ParseTest, SchemaAcceptsFreeFlagTextsAndPaddedNumbers)
{
    // Flags take any text (the reader decides what is true) and numbers may
    // be padded with white space, as the reader skips it.
    REPORT_PTR report = parse_text(R"(<report><folders><root name="main"/></folders>
<summary name="s" parent="main" enabled="Yes"><element name="e"/><gauges><gauge percent="TRUE" enabled="no">
<min> 7 </min><max>
12</max><value>-3</value></gauge></gauges></summary>
<chart name="c" parent="main" size=" 4"><show_labels>maybe</show_labels><data name="d"> 42 </data></chart>
<waveform name="w" parent="main"><compare></compare></waveform>
</report>)",
                                   with_schema());
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings"));
}
