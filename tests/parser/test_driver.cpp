// The parse entry: configuration, timings, totals, result, clean-up.
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/RuntimeException.hpp>

#include "msg.h"
#include "parse_fixture.h"
#include "rdb_xml_globals.h"

namespace {

const char* const EMPTY_REPORT = "<?xml version=\"1.0\"?>\n<report>\n</report>\n";

}  // namespace

TEST_F(ParseTest, ConfigurationLineForcesNamespacesWithSchema)
{
    PARSE_OPTIONS o;
    o.use_schema = true;
    o.use_namespaces = false;
    o.use_static_buffers = false;
    parse_text(EMPTY_REPORT, o);
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages[0],
              "RDB_XML: Parser configuration: Schema (true), Namespaces (true), Static Buffers (false), "
              "Dead Parser (false)");

    PARSE_OPTIONS plain;
    plain.use_namespaces = false;
    plain.dead_parser = true;
    parse_text(EMPTY_REPORT, plain);
    EXPECT_EQ(m_messages[0],
              "RDB_XML: Parser configuration: Schema (false), Namespaces (false), Static Buffers (true), "
              "Dead Parser (true)");
}

TEST_F(ParseTest, CleanFileGivesEmptyReportAndEveryPhaseLine)
{
    std::string path = write_file("clean.xml", EMPTY_REPORT);
    REPORT_PTR report = parse_file(path);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->get_main_folder(), nullptr);
    ASSERT_EQ(m_messages.size(), 6u);
    EXPECT_EQ(m_messages[1].rfind("RDB_XML: Xerces initialized in ", 0), 0u);
    EXPECT_EQ(m_messages[2], "RDB_XML: Processing file: " + path);
    EXPECT_EQ(m_messages[3].rfind("RDB_XML: Parser constructed in ", 0), 0u);
    EXPECT_EQ(m_messages[4].rfind("RDB_XML: Parsing completed in ", 0), 0u);
    EXPECT_EQ(m_messages[5], "RDB_XML: Parsing resulted in 0 errors, 0 warnings");
}

TEST_F(ParseTest, MalformedDocumentGivesFatalErrorWithItsLine)
{
    REPORT_PTR report = parse_text("<report>\n<a>\n</b>\n</report>\n");
    EXPECT_EQ(report, nullptr);
    std::vector<std::string> fatal = messages_with("Fatal Error: ");
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_NE(fatal[0].find(" at line: 3"), std::string::npos) << fatal[0];
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings"));
}

TEST_F(ParseTest, GzipAndTheStreamFlagChangeNothing)
{
    std::string xml = report_with("<text name=\"t\" parent=\"main\"><ascii_text>body</ascii_text></text>") +
                      "<!-- " + std::string(200000, 'x') + " -->\n";
    std::string plain = json_of(parse_text(xml).get());
    EXPECT_NE(plain.find("\"body\""), std::string::npos);
    EXPECT_EQ(json_of(parse_file(write_file("packed.xml.gz", gzip_bytes(xml))).get()), plain);
    PARSE_OPTIONS flag;
    flag.stream_flag = true;
    EXPECT_EQ(json_of(parse_text(xml, flag).get()), plain);
}

TEST_F(ParseTest, FileOfExactlyOneReadBlockIsReadWhole)
{
    // Xerces-C reads in blocks of 48 KiB; a document that fills blocks
    // exactly must still end cleanly.
    std::string head = "<report><!--";
    std::string tail = "--></report>";
    for (std::size_t size : {std::size_t(48 * 1024), std::size_t(64 * 1024), std::size_t(96 * 1024)}) {
        std::string xml = head + std::string(size - head.size() - tail.size(), 'z') + tail;
        ASSERT_EQ(xml.size(), size);
        EXPECT_NE(parse_text(xml), nullptr) << size;
    }
}

TEST_F(ParseTest, DeadParserBuildsNothingButStillChecks)
{
    PARSE_OPTIONS o;
    o.dead_parser = true;
    REPORT_PTR report = parse_text(report_with("<text name=\"t\" parent=\"main\"/>"), o);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->get_main_folder(), nullptr);
    EXPECT_EQ(parse_text("<report>", o), nullptr);
}

TEST_F(ParseTest, CaughtXercesExceptionEndsParseWithoutTotals)
{
    // A sink that throws the parser's own exception from inside the parse,
    // as the parser would from deep in its scanner.
    msg_set_sink([this](const char* tag, const char* text) {
        m_messages.push_back(std::string(tag) + ": " + text);
        if (std::string(text).rfind("Fatal Error:", 0) == 0)
            throw xercesc::RuntimeException(__FILE__, __LINE__, xercesc::XMLExcepts::Gen_NoDTDValidator);
    });
    REPORT_PTR report = parse_text("<report>\n<unclosed>\n</report>\n");
    EXPECT_EQ(report, nullptr);
    ASSERT_GE(m_messages.size(), 3u);
    std::size_t n = m_messages.size();
    EXPECT_EQ(m_messages[n - 2].rfind("RDB_XML: Xerces Exception: ", 0), 0u) << m_messages[n - 2];
    EXPECT_EQ(m_messages[n - 1].rfind("RDB_XML: Parsing completed in ", 0), 0u);
    EXPECT_EQ(count_messages_with("Parsing resulted in"), 0);
    EXPECT_EQ(rdb_xml_reader, nullptr);
}

TEST_F(ParseTest, GlobalsAreClearedAfterEveryCallAndOtherExceptionsPassToTheCaller)
{
    auto expect_cleared = [] {
        EXPECT_EQ(rdb_xml_reader, nullptr);
        EXPECT_EQ(rdb_xml_report, nullptr);
        EXPECT_EQ(rdb_xml_action_point, nullptr);
        EXPECT_EQ(rdb_xml_active_handler, nullptr);
        EXPECT_EQ(rdb_xml_folder_index.count(), 0);
    };
    parse_text(report_with(""));
    expect_cleared();
    parse_text("<report><broken></report>");
    expect_cleared();
    msg_set_sink([](const char*, const char* text) {
        if (std::string(text).rfind("Fatal Error:", 0) == 0)
            throw std::runtime_error("host sink failed");
    });
    EXPECT_THROW(parse_text("<report>\n<unclosed>\n</report>\n"), std::runtime_error);
    expect_cleared();
}
