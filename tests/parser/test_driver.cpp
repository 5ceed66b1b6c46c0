// The parse entry: configuration, phases and totals, the result, and the
// clean-up after every end of a parse.
#include <regex>

#include <rdbxml/msg.h>
#include "parse_fixture.h"
#include "rdb_xml_globals.h"

namespace {

const char* const EMPTY_REPORT = "<?xml version=\"1.0\"?>\n<report>\n</report>\n";

}  // namespace

TEST_F(ParseTest, ConfigurationLineAndEveryPhaseLineOfACleanFile)
{
    PARSE_OPTIONS o;
    o.use_schema = true;
    o.use_namespaces = false;  // forced on by the schema
    o.use_static_buffers = false;
    std::string path = write_file("clean.xml", EMPTY_REPORT);
    REPORT_PTR report = parse_file(path, o);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->get_main_folder(), nullptr);
    ASSERT_EQ(m_messages.size(), 6u);
    EXPECT_EQ(m_messages[0], "RDB_XML: Parser configuration: Schema (true), Namespaces (true), Static Buffers (false), "
                             "Dead Parser (false)");
    // Each phase's time, as the stopwatch shows it.
    const std::string lap = " in [0-9]+\\.[0-9]{3} (ms|s)";
    EXPECT_TRUE(std::regex_match(m_messages[1], std::regex("RDB_XML: Xerces initialized" + lap))) << m_messages[1];
    EXPECT_EQ(m_messages[2], "RDB_XML: Processing file: " + path);
    EXPECT_TRUE(std::regex_match(m_messages[3], std::regex("RDB_XML: Parser constructed" + lap))) << m_messages[3];
    EXPECT_TRUE(std::regex_match(m_messages[4], std::regex("RDB_XML: Parsing completed" + lap))) << m_messages[4];
    EXPECT_EQ(m_messages[5], "RDB_XML: Parsing resulted in 0 errors, 0 warnings");

    // The dead parser builds nothing but still checks.
    PARSE_OPTIONS dead;
    dead.use_namespaces = false;
    dead.dead_parser = true;
    report = parse_text(report_with("<text name=\"t\" parent=\"main\"/>"), dead);
    EXPECT_EQ(m_messages[0], "RDB_XML: Parser configuration: Schema (false), Namespaces (false), "
                             "Static Buffers (true), Dead Parser (true)");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->get_main_folder(), nullptr);
    EXPECT_EQ(parse_text("<report>", dead), nullptr);
}

TEST_F(ParseTest, MalformedDocumentGivesOneFatalErrorWithItsLine)
{
    EXPECT_EQ(parse_text("<report>\n<a>\n</b>\n</report>\n"), nullptr);
    std::vector<std::string> fatal = messages_with("Fatal Error: ");
    ASSERT_EQ(fatal.size(), 1u);
    EXPECT_NE(fatal[0].find(" at line: 3"), std::string::npos) << fatal[0];
    EXPECT_TRUE(has_message("RDB_XML: Parsing resulted in 1 error, 0 warnings"));
}

TEST_F(ParseTest, EveryEndOfAParseClearsTheGlobalsAndNoExceptionLeavesIt)
{
    auto expect_cleared = [] {
        EXPECT_EQ(rdb_xml_reader, nullptr);
        EXPECT_EQ(rdb_xml_report, nullptr);
        EXPECT_EQ(rdb_xml_action_point, nullptr);
        EXPECT_EQ(rdb_xml_active_handler, nullptr);
        EXPECT_EQ(rdb_xml_folder_index, nullptr);
    };
    parse_text(report_with("<folder_ref name=\"main\" parent=\"main\"/>"));
    expect_cleared();
    parse_text("<report><broken></report>");
    expect_cleared();

    // An exception thrown from deep in the parse, here by the message sink,
    // ends the parse without a report and goes no further.
    msg_set_sink([](const char*, const char* text) {
        if (std::string(text).rfind("Fatal Error:", 0) == 0)
            throw std::runtime_error("host sink failed");
    });
    EXPECT_EQ(parse_text("<report>\n<unclosed>\n</report>\n"), nullptr);
    expect_cleared();
}
