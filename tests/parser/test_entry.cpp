// The entry point for hosts: input from memory, a message sink and progress
// of the parse's own, cancelling, and every warning and error as data.
#include <cerrno>
#include <cstring>
#include <regex>

#include <rdbxml/msg.h>
#include <rdbxml/rdb_summary.h>
#include <rdbxml/rdb_xml.h>
#include "not_as_written_cases.h"
#include "parse_fixture.h"
#include "rdb_bench_reports.h"
#include "read_file.h"

namespace {

// The parse's own lines.
struct LINES {
    std::vector<std::string> lines;
    RDB_XML_OPTIONS options()
    {
        RDB_XML_OPTIONS o;
        o.m_message_sink = [this](const char*, const char* text) { lines.emplace_back(text); };
        return o;
    }
    bool has(const std::string& text) const { return std::find(lines.begin(), lines.end(), text) != lines.end(); }
};

std::string diagnostic_text(const RDB_XML_DIAGNOSTIC& d)
{
    const char* severity[] = {"warning", "error", "fatal error"};
    return d.m_file + ":" + std::to_string(d.m_line) + ":" + std::to_string(d.m_column) + ": " +
           severity[d.m_severity] + ": " + d.m_message;
}

}  // namespace

TEST_F(ParseTest, MemoryInputReadsLikeTheFileAndPrintsOnlyWhereAsked)
{
    std::string path = example_file("report.xml");
    std::string bytes = test_read_file(path);
    std::string packed = gzip_bytes(bytes);
    REPORT_PTR from_file = parse_file(path);
    ASSERT_NE(from_file, nullptr);
    m_messages.clear();
    for (const std::string* data : {&bytes, &packed}) {
        LINES own;
        RDB_XML_RESULT result =
            rdb_xml_parse_input(RDB_XML_INPUT::memory(data->data(), data->size(), "in-memory"), own.options());
        ASSERT_NE(result.m_report, nullptr);
        EXPECT_EQ(json_of(result.m_report.get()), json_of(from_file.get()));
        EXPECT_TRUE(own.has("Processing file: in-memory"));
        EXPECT_TRUE(own.has("Parsing resulted in 0 errors, 0 warnings"));
        EXPECT_EQ(result.m_errors, 0);
    }
    // Nothing reached the process-wide sink.
    EXPECT_TRUE(m_messages.empty()) << dump();

    // Without a sink of its own a parse prints nothing, unless asked to.
    RDB_XML_OPTIONS options;
    const RDB_XML_INPUT input = RDB_XML_INPUT::memory(bytes.data(), bytes.size(), "in-memory");
    ASSERT_NE(rdb_xml_parse_input(input, options).m_report, nullptr);
    EXPECT_TRUE(m_messages.empty()) << dump();
    options.m_print_messages = true;
    ASSERT_NE(rdb_xml_parse_input(input, options).m_report, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 0 errors, 0 warnings")) << dump();
}

TEST_F(ParseTest, ProgressCountsTheInputAndCancelsOnRequest)
{
    std::string big = report_with("<table name=\"t\" parent=\"main\">" +
                                  [] {
                                      std::string rows;
                                      for (int i = 0; i < 20000; ++i)
                                          rows += "<row><int_cell>" + std::to_string(i) + "</int_cell></row>";
                                      return rows;
                                  }() +
                                  "</table>");
    std::string path = write_file("big.xml", big);
    std::vector<std::uint64_t> seen;
    LINES own;
    RDB_XML_OPTIONS options = own.options();
    options.m_progress = [&seen, &big](std::uint64_t read, std::uint64_t total) {
        EXPECT_EQ(total, big.size());
        seen.push_back(read);
        return true;
    };
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(path), options);
    ASSERT_NE(result.m_report, nullptr);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), big.size());

    // The first call that says no ends the parse.
    int calls = 0;
    options.m_progress = [&calls](std::uint64_t, std::uint64_t) { return ++calls < 2; };
    own.lines.clear();
    result = rdb_xml_parse_input(RDB_XML_INPUT::file(path), options);
    EXPECT_EQ(result.m_report, nullptr);
    EXPECT_TRUE(result.m_cancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(own.has("Parsing cancelled"));
    EXPECT_FALSE(own.has("Parsing resulted in 0 errors, 0 warnings"));
}

TEST_F(ParseTest, DiagnosticsNameFileLineAndColumn)
{
    LINES own;
    std::string xml = report_with(
        "<chart name=\"c\" parent=\"main\">\n  <type>donut</type></chart>\n<text parent=\"main\">\n<header></c></text>");
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "r.xml"), own.options());
    EXPECT_EQ(result.m_report, nullptr);
    ASSERT_EQ(result.m_diagnostics.size(), 2u);
    // Each where the reader was when it was found: a semantic error just
    // after the end tag that completed it.
    EXPECT_EQ(diagnostic_text(result.m_diagnostics[0]), "r.xml:3:21: error: Unrecognized enumeration type: donut");
    const RDB_XML_DIAGNOSTIC& fatal = result.m_diagnostics[1];
    EXPECT_EQ(fatal.m_severity, RDB_XML_DIAGNOSTIC::FATAL_ERROR);
    EXPECT_EQ(fatal.m_line, 5u);
    EXPECT_GT(fatal.m_column, 0u);
    EXPECT_EQ(result.m_errors, 2);
}

TEST_F(ParseTest, PassedOverContentIsAWarningOnlyInTheDiagnostics)
{
    LINES own;
    std::string xml =
        "<report><folders><root name=\"main\"/><folder name=\"lost\"/></folders>\n"
        "<table name=\"t\" parent=\"main\"><string_cell>early</string_cell><row/></table>\n"
        "<text name=\"x\" parent=\"nowhere\"/>\n"
        "<summary name=\"s\" parent=\"main\"><gauge name=\"g\"/><gauges/><min>1</min></summary></report>";
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "w.xml"), own.options());
    ASSERT_NE(result.m_report, nullptr);
    EXPECT_TRUE(own.has("Parsing resulted in 0 errors, 0 warnings"));
    EXPECT_EQ(result.m_warnings, 0);
    std::vector<std::string> texts;
    for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics) {
        EXPECT_EQ(d.m_severity, RDB_XML_DIAGNOSTIC::WARNING);
        texts.push_back(diagnostic_text(d));
    }
    ASSERT_EQ(texts.size(), 5u) << ::testing::PrintToString(texts);
    EXPECT_EQ(texts[0], "w.xml:2:44: warning: string_cell before any row: passed over");
    EXPECT_EQ(texts[1], "w.xml:3:34: warning: text \"x\" names the folder \"nowhere\", which was never declared: "
                        "it is not placed");
    EXPECT_EQ(texts[2], "w.xml:4:50: warning: gauge \"g\" before any gauges element: passed over");
    EXPECT_EQ(texts[3], "w.xml:4:71: warning: min before any gauge: passed over");
    EXPECT_EQ(texts[4], "w.xml:1:58: warning: Folder \"lost\" is declared but never placed");
    // None of them is a line of the debug channel.
    for (const std::string& line : own.lines)
        EXPECT_EQ(line.find("passed over"), std::string::npos) << line;
}

TEST_F(ParseTest, ContentNotTakenAsWrittenIsAWarningSayingWhatTheReportHolds)
{
    // Each file is read exactly as the file that writes what it is read as:
    // the same report, and no error or warning in the totals. Only its
    // diagnostics say more, whatever the buffers.
    for (const NOT_AS_WRITTEN_CASE& c : not_as_written_cases()) {
        SCOPED_TRACE(c.m_body);
        std::string path = write_file("case.xml", not_as_written_report(c.m_body));
        std::string read_as_path = write_file("read_as.xml", not_as_written_report(c.m_read_as));
        for (bool static_buffers : {true, false}) {
            LINES own;
            RDB_XML_OPTIONS options = own.options();
            options.m_use_static_buffers = static_buffers;
            RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(path), options);
            ASSERT_NE(result.m_report, nullptr);
            std::vector<std::string> texts;
            for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics)
                texts.push_back(diagnostic_text(d).substr(path.size() + 1));
            EXPECT_EQ(texts, c.m_warnings);
            EXPECT_EQ(result.m_not_as_written, c.m_not_as_written);
            EXPECT_EQ(result.m_warnings, 0);
            EXPECT_TRUE(own.has("Parsing resulted in 0 errors, 0 warnings"));

            LINES plain;
            options = plain.options();
            options.m_use_static_buffers = static_buffers;
            RDB_XML_RESULT read_as = rdb_xml_parse_input(RDB_XML_INPUT::file(read_as_path), options);
            ASSERT_NE(read_as.m_report, nullptr);
            EXPECT_EQ(read_as.m_not_as_written, 0);
            EXPECT_EQ(json_of(result.m_report.get()), json_of(read_as.m_report.get()));
        }
    }
}

TEST_F(ParseTest, NumbersWithWhiteSpaceAroundThemAreTakenAsWritten)
{
    // An indented report puts line ends and blanks around every value.
    LINES own;
    std::string xml = report_with(
        "<table name=\"t\" parent=\"main\">\n  <row>\n    <int_cell>\n      -42\n    </int_cell>\n"
        "    <int_cell>\t+7\r\n</int_cell>\n  </row>\n</table>\n"
        "<tan_slack_table name=\"s\" parent=\"main\" analysis_type=\" 3 \">\n  <column id=\" 0 \" type=\"slack\"/>\n"
        "  <row><delay_cell> <delay> -120 </delay> </delay_cell></row>\n"
        "  <restricted_to> 9223372036854775807 </restricted_to>\n</tan_slack_table>\n"
        "<chart name=\"c\" parent=\"main\" size=\"2\"><data name=\"a\"> -2147483648 </data></chart>\n"
        "<summary name=\"s\" parent=\"main\"><gauges><gauge name=\"g\"><min> 0 </min><max>\n4294967295\n</max>"
        "<value>-0</value></gauge></gauges></summary>\n"
        // Absent attributes read as 0 without a word.
        "<chart name=\"d\" parent=\"main\"/><tan_slack_table name=\"u\" parent=\"main\"><column type=\"slack\"/>"
        "</tan_slack_table>");
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "w.xml"), own.options());
    ASSERT_NE(result.m_report, nullptr);
    std::vector<std::string> texts;
    for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics)
        texts.push_back(diagnostic_text(d));
    // Only the gauge's maximum is past its field.
    EXPECT_EQ(texts, std::vector<std::string>{"w.xml:19:7: warning: max \"4294967295\" is out of range for a "
                                              "32-bit number: taken as -1"});
    EXPECT_EQ(result.m_not_as_written, 1);
}

TEST_F(ParseTest, OfEachKindOfDiagnosticAHundredAreKeptThenHowManyMore)
{
    // 200 000 cells before any row, one of them a string cell: one kind,
    // that of the message's template. Then three objects of an undeclared
    // folder, and a folder never placed: kinds of their own.
    std::string xml = rdb_bench_cells_before_any_row(200000);
    xml.insert(xml.rfind("<int_cell/>"), "<string_cell/>");
    xml.insert(xml.find("</folders>"), "<folder name=\"lost\"/>");
    xml.insert(xml.rfind("</report>"), "\n" + std::string(3, ' ') +
                                           "<text name=\"a\" parent=\"x\"/><text name=\"b\" parent=\"x\"/>"
                                           "<text name=\"c\" parent=\"x\"/>");
    LINES own;
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "c.xml"), own.options());
    ASSERT_NE(result.m_report, nullptr);
    std::vector<std::string> texts;
    for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics) {
        EXPECT_EQ(d.m_severity, RDB_XML_DIAGNOSTIC::WARNING);
        texts.push_back(diagnostic_text(d));
    }
    ASSERT_EQ(texts.size(), 100u + 3 + 1 + 1) << ::testing::PrintToString(std::vector<std::string>(
        texts.begin(), texts.begin() + std::min<std::size_t>(texts.size(), 5)));
    const std::size_t head = xml.find("<int_cell/>") + 12;
    EXPECT_EQ(texts[0], "c.xml:1:" + std::to_string(head) + ": warning: int_cell before any row: passed over");
    EXPECT_EQ(texts[99], "c.xml:1:" + std::to_string(head + 99 * 11) + ": warning: int_cell before any row: passed over");
    EXPECT_EQ(texts[100], "c.xml:2:31: warning: text \"a\" names the folder \"x\", which was never declared: it is "
                          "not placed");
    EXPECT_EQ(texts[103], "c.xml:1:58: warning: Folder \"lost\" is declared but never placed");
    // After all others, where the last of them was found.
    EXPECT_EQ(texts[104], "c.xml:1:" + std::to_string(xml.rfind("<int_cell/>") + 12) +
                              ": warning: and 199901 more like this: int_cell before any row: passed over");
    // The totals are the parse's, whatever was kept.
    EXPECT_TRUE(own.has("Parsing resulted in 0 errors, 0 warnings"));

    // So are the values not taken as written: all of them counted.
    std::string row;
    for (int i = 0; i < 1000; ++i)
        row += "<int_cell>x" + std::to_string(i % 10) + "</int_cell>";
    xml = report_with("<table name=\"t\" parent=\"main\"><row>" + row + "</row></table>");
    result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "n.xml"), own.options());
    ASSERT_NE(result.m_report, nullptr);
    ASSERT_EQ(result.m_diagnostics.size(), 101u);
    const std::string cell = "<int_cell>x0</int_cell>";
    const std::size_t first = xml.find(cell) - xml.find('\n') + cell.size();
    EXPECT_EQ(diagnostic_text(result.m_diagnostics[0]),
              "n.xml:2:" + std::to_string(first) + ": warning: int_cell \"x0\" is not a number: taken as 0");
    EXPECT_EQ(diagnostic_text(result.m_diagnostics[100]),
              "n.xml:2:" + std::to_string(first + 999 * cell.size()) +
                  ": warning: and 900 more like this: int_cell \"x0\" is not a number: taken as 0");
    EXPECT_EQ(result.m_not_as_written, 1000);
    EXPECT_EQ(result.m_warnings, 0);
}

TEST_F(ParseTest, StrictRefusesTheReportForAnyWarningCountedOrKept)
{
    // Passed-over content past the bound on diagnostics (150 cells before
    // any row, 100 kept), and the XML parser's own warning (an attribute
    // declared twice): every one counts.
    std::string xml = rdb_bench_cells_before_any_row(150);
    xml.insert(0, "<!DOCTYPE report [<!ATTLIST report a CDATA #IMPLIED><!ATTLIST report a CDATA #IMPLIED>]>\n");
    RDB_XML_INPUT input = RDB_XML_INPUT::memory(xml.data(), xml.size(), "s.xml");
    LINES lenient_lines;
    RDB_XML_RESULT lenient = rdb_xml_parse_input(input, lenient_lines.options());
    ASSERT_NE(lenient.m_report, nullptr);
    EXPECT_FALSE(lenient.m_strict_refused);

    LINES own;
    RDB_XML_OPTIONS options = own.options();
    options.m_strict = true;
    RDB_XML_RESULT strict = rdb_xml_parse_input(input, options);
    EXPECT_EQ(strict.m_report, nullptr);
    EXPECT_TRUE(strict.m_strict_refused);
    EXPECT_FALSE(strict.m_out_of_memory);
    // The warnings as without strictness, then the refusal, last.
    ASSERT_EQ(strict.m_diagnostics.size(), lenient.m_diagnostics.size() + 1);
    for (std::size_t i = 0; i < lenient.m_diagnostics.size(); ++i)
        EXPECT_EQ(diagnostic_text(strict.m_diagnostics[i]), diagnostic_text(lenient.m_diagnostics[i]));
    EXPECT_EQ(diagnostic_text(strict.m_diagnostics.back()),
              "s.xml:0:0: error: strict: the report is refused for its 151 warnings");
    // The parse's own lines and totals are those of any parse.
    EXPECT_EQ(own.lines.size(), lenient_lines.lines.size());
    EXPECT_TRUE(own.has("Parsing resulted in 0 errors, 1 warning"));
    EXPECT_EQ(strict.m_warnings, 1);
    EXPECT_EQ(strict.m_errors, 0);

    // A clean report passes; a failed one is not called refused for strictness.
    std::string clean = report_with("<text name=\"t\" parent=\"main\"><ascii_text>x</ascii_text></text>");
    RDB_XML_RESULT passed = rdb_xml_parse_input(RDB_XML_INPUT::memory(clean.data(), clean.size()), options);
    EXPECT_NE(passed.m_report, nullptr);
    EXPECT_FALSE(passed.m_strict_refused);
    EXPECT_TRUE(passed.m_diagnostics.empty());
    std::string broken = "<report><folders><root name=\"main\"/><folder name=\"lost\"/></folders><text>";
    RDB_XML_RESULT failed = rdb_xml_parse_input(RDB_XML_INPUT::memory(broken.data(), broken.size()), options);
    EXPECT_EQ(failed.m_report, nullptr);
    EXPECT_FALSE(failed.m_strict_refused);
}

TEST_F(ParseTest, ASummaryPastTheGaugeLimitIsRefusedWithAMessage)
{
    RDB_GAUGES_OBJECT::set_slot_limit(3);
    std::string gauges;
    for (int i = 0; i < 4; ++i)
        gauges += "<gauge name=\"g" + std::to_string(i) + "\"><min>0</min><max>9</max><value>5</value></gauge>";
    REPORT_PTR report = parse_text(report_with("<summary name=\"s\" parent=\"main\"><gauges>" + gauges + "</gauges></summary>"));
    RDB_GAUGES_OBJECT::set_slot_limit(0);
    EXPECT_EQ(report, nullptr);
    EXPECT_TRUE(has_message("RDB_XML: Summary \"s\" holds more than 3 gauges: gauge \"g3\" cannot be kept")) << dump();
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings"));
}

TEST_F(ParseTest, AnInputThatCannotBeReadSaysWhyWithTheSystemsErrorNumber)
{
    // The lines of a parse, their times left out.
    auto untimed = [](std::vector<std::string> lines) {
        for (std::string& line : lines)
            line = std::regex_replace(line, std::regex(" in [0-9.]+ m?s$"), " in T");
        return lines;
    };
    struct CASE {
        std::string path;
        int code;
        const char* reason;
    };
    std::string file = write_file("r.xml", report_with(""));
    const CASE cases[] = {{m_scratch + "/missing.xml", ENOENT, "No such file or directory"},
                          {m_scratch, EISDIR, "Is a directory"},
                          // Cut at the NUL, the name would be of a file that can be read.
                          {file + std::string(1, '\0') + "/more", EINVAL, "Invalid argument"}};
    RDB_XML_OPTIONS printing;
    printing.m_print_messages = true;
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.reason);
        m_messages.clear();
        RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(c.path), printing);
        std::vector<std::string> lines = untimed(m_messages);
        EXPECT_EQ(result.m_report, nullptr);
        EXPECT_EQ(result.m_errors, 1);
        ASSERT_EQ(result.m_diagnostics.size(), 1u);
        const RDB_XML_DIAGNOSTIC& d = result.m_diagnostics[0];
        EXPECT_EQ(d.m_severity, RDB_XML_DIAGNOSTIC::FATAL_ERROR);
        EXPECT_EQ(d.m_file, c.path);
        EXPECT_EQ(d.m_line, 0u);
        EXPECT_EQ(d.m_column, 0u);
        EXPECT_EQ(d.m_message, std::string("cannot read: ") + c.reason);
        EXPECT_EQ(d.m_errno, c.code);

        // The old entry cannot be given a NUL; for the others it prints the
        // same lines: those of an empty document.
        if (c.code == EINVAL)
            continue;
        EXPECT_EQ(parse_file(c.path), nullptr);
        ASSERT_EQ(messages_with("Fatal Error: ").size(), 1u) << dump();
        EXPECT_NE(messages_with("Fatal Error: ")[0].find(" at line: 1"), std::string::npos) << dump();
        EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings")) << dump();
        EXPECT_EQ(untimed(m_messages), lines);
    }

    // Read as it is, the same file has no such diagnostic; nor has memory.
    RDB_XML_RESULT whole = rdb_xml_parse_input(RDB_XML_INPUT::file(file), RDB_XML_OPTIONS());
    ASSERT_NE(whole.m_report, nullptr);
    EXPECT_TRUE(whole.m_diagnostics.empty());
    RDB_XML_RESULT empty = rdb_xml_parse_input(RDB_XML_INPUT::memory("", 0, "empty"), RDB_XML_OPTIONS());
    ASSERT_EQ(empty.m_diagnostics.size(), 1u);
    EXPECT_EQ(empty.m_diagnostics[0].m_errno, 0);
    EXPECT_EQ(empty.m_diagnostics[0].m_line, 1u);
}
