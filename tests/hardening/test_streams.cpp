// Compressed reports through the parser: what the format's own test tools
// accept (gzip members one after another, zero padding after gzip) parses.
// Input after a NUL character, where the XML parser stops reading, is judged
// too; and an input that never ends, ends. (What each stream refuses, and
// with which words, the stream's own tests hold; that a refusal ends the
// parse with them, with and without reading ahead, the read-ahead tests.)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <rdbxml/rdb_xml.h>

#include "bounded_run.h"
#include "compress_bytes.h"
#include "parse_fixture.h"
#include "read_file.h"

namespace {

TEST_F(ParseTest, GzipMembersInTurnAndZeroPaddingAreOneReport)
{
    std::string xml = report_with("<text name=\"t\" parent=\"main\"><ascii_text>two members</ascii_text></text>");
    std::string members = gzip_bytes(xml.substr(0, 40)) + gzip_bytes(xml.substr(40));
    REPORT_PTR whole = parse_text(xml);
    ASSERT_NE(whole, nullptr);
    for (const std::string& packed : {members, gzip_bytes(xml) + std::string(1000, '\0'), members + std::string(3, '\0')}) {
        REPORT_PTR report = parse_text(packed);
        ASSERT_NE(report, nullptr) << dump();
        EXPECT_EQ(json_of(report.get()), json_of(whole.get()));
    }
}

// "LINE:COLUMN" of the NUL character that refuses `bytes`, through the
// entry with diagnostics; "none" when no diagnostic names one.
std::string nul_place(const std::string& bytes)
{
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(bytes.data(), bytes.size()), RDB_XML_OPTIONS());
    for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics)
        if (d.m_message.rfind("NUL character (U+0000) at byte ", 0) == 0 && d.m_severity == RDB_XML_DIAGNOSTIC::FATAL_ERROR)
            return result.m_report ? "a report" : std::to_string(d.m_line) + ":" + std::to_string(d.m_column);
    return "none";
}

TEST_F(ParseTest, InputAfterANulCharacterIsJudgedNotDropped)
{
    const std::string example = test_read_file(example_file("report.xml"));
    const std::string lines = std::to_string(std::count(example.begin(), example.end(), '\n') + 1);
    ASSERT_NE(parse_text(example), nullptr) << dump();
    // Garbage after the example is refused, after a NUL as without one; so
    // is the NUL alone, compressed or not.
    for (const std::string& after : {std::string("\0<garbage", 9), std::string(1, '\0'), std::string("<garbage")}) {
        for (const std::string& bytes : {example + after, gzip_bytes(example + after)}) {
            SCOPED_TRACE(std::to_string(after.size()) + " bytes after the example, of " + std::to_string(bytes.size()));
            EXPECT_EQ(parse_text(bytes), nullptr);
            bool nul = after[0] == '\0';
            EXPECT_EQ(has_message("RDB_XML: NUL character (U+0000) at byte " + std::to_string(example.size()) +
                                  " of the document: XML allows it nowhere"),
                      nul)
                << dump();
            EXPECT_EQ(nul_place(bytes), nul ? lines + ":1" : "none");
        }
    }
    // Where the parser would have stopped without a word, or with a word
    // about something else: in text, in a value, before anything. Lines end
    // at LF, CR LF and CR; a column is a character.
    auto nul_between = [](const std::string& before, const std::string& after) {
        return before + std::string(1, '\0') + after;
    };
    const std::pair<std::string, std::string> places[] = {
        {nul_between("<report>", "</report>"), "1:9"},
        {nul_between("", "<report/>"), "1:1"},
        {nul_between("<report>\r\n<a\rb=\"\xC3\xA9\xE6\x97\xA5", "\"/></report>"), "3:6"},
        {nul_between("<report/>\n\n<!-- x ", " -->"), "3:8"},
    };
    for (const auto& place : places)
        EXPECT_EQ(nul_place(place.first), place.second) << place.first;
}

TEST_F(ParseTest, EndlessInputEndsOnceTheParseFailed)
{
    // A device and a pipe that never end, wrong from their first byte: the
    // parse ends, and the check of the rest with it. A second of CPU would
    // do; a bound that a drain of all of it would meet in any case.
    BOUNDED_RUN zeros = bounded_run([] { return rdb_xml_parse("/dev/zero", nullptr, false, false, true, true, false) == nullptr; }, 10, 512 << 20);
    EXPECT_TRUE(zeros.ok) << "/dev/zero: " << zeros.outcome;
    BOUNDED_RUN pipe_of_y = bounded_run(
        [] {
            int ends[2];
            if (pipe(ends) != 0)
                return false;
            pid_t writer = fork();
            if (writer == 0) {
                // Writes until the reader is gone (EPIPE, or SIGPIPE).
                close(ends[0]);
                std::string block(65536, 'y');
                while (write(ends[1], block.data(), block.size()) > 0) {
                }
                _exit(0);
            }
            close(ends[1]);
            RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::descriptor(ends[0], "<pipe>"), RDB_XML_OPTIONS());
            close(ends[0]);
            waitpid(writer, nullptr, 0);
            return writer > 0 && !result.m_report && !result.m_diagnostics.empty() &&
                   result.m_diagnostics[0].m_message == "invalid document structure" &&
                   result.m_diagnostics[0].m_file == "<pipe>";
        },
        10, 512 << 20);
    EXPECT_TRUE(pipe_of_y.ok) << "a pipe of y: " << pipe_of_y.outcome;
}

}  // namespace
