// Messages: the installable sink, the default stderr line, long texts,
// internal-error reports and switching output off.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "msg.h"

namespace {

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        msg_set_sink([this](const char* tag, const char* text) { m_lines.emplace_back(tag, text); });
    }
    void TearDown() override
    {
        msg_set_sink(nullptr);
        msg_set_enabled(true);
    }

    std::vector<std::pair<std::string, std::string>> m_lines;
};

}  // namespace

TEST_F(MessagesTest, TheSinkReceivesTagAndWholeFormattedText)
{
    EXPECT_TRUE(msg_local_debug("RDB_XML", "Parsing %s: %d errors, %.1f ms", "report.xml", 3, 1.25));
    MSG_INTERNAL_ERROR::report("x != nullptr", "RDB_XML", "db/rdb/rdb_xml_parser", 123);
    std::string long_text = std::string(3000, 'x') + "END";
    msg_local_debug("T", "[%s] %d", long_text.c_str(), 42);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"RDB_XML", "Parsing report.xml: 3 errors, 1.2 ms"},
        {"RDB_XML", "Internal error: check \"x != nullptr\" failed at db/rdb/rdb_xml_parser:123"},
        {"T", "[" + long_text + "] 42"}};
    EXPECT_EQ(m_lines, expected);
    // Exactly at the size of the inline buffer, and one byte either side.
    for (std::size_t n : {510u, 511u, 512u, 513u}) {
        msg_local_debug("T", "%s", std::string(n, 'y').c_str());
        EXPECT_EQ(m_lines.back().second, std::string(n, 'y'));
    }
}

TEST_F(MessagesTest, DisabledOutputReachesNoSink)
{
    msg_set_enabled(false);
    EXPECT_FALSE(msg_is_enabled());
    msg_local_debug("RDB_XML", "hidden %d", 1);
    MSG_INTERNAL_ERROR::report("c", "RDB_XML", "f", 1);
    EXPECT_TRUE(m_lines.empty());
    msg_set_enabled(true);
    msg_local_debug("RDB_XML", "shown");
    EXPECT_EQ(m_lines.size(), 1u);
}

TEST_F(MessagesTest, TheDefaultSinkWritesTagColonTextToStderr)
{
    msg_set_sink(nullptr);
    ::testing::internal::CaptureStderr();
    msg_local_debug("RDB_XML", "Total errors: %d", 0);
    MSG_INTERNAL_ERROR::report("a < b", "GEN", "h/x", 7);
    std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "RDB_XML: Total errors: 0\nGEN: Internal error: check \"a < b\" failed at h/x:7\n");
}
