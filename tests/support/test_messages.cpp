// Messages: the installable sink with texts around the size of the inline
// buffer, internal-error reports, switching output off, and the default
// stderr line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <rdbxml/msg.h>

TEST(Messages, TheSinkReceivesTagAndWholeTextUnlessOutputIsOff)
{
    std::vector<std::string> lines, expected;
    msg_set_sink([&lines](const char* tag, const char* text) { lines.push_back(std::string(tag) + "|" + text); });
    for (std::size_t n : {510u, 511u, 512u, 513u, 3000u}) {
        msg_local_debug("T", "[%s] %d %.1f", std::string(n, 'y').c_str(), 42, 1.25);
        expected.push_back("T|[" + std::string(n, 'y') + "] 42 1.2");
    }
    msg_set_enabled(false);
    msg_local_debug("RDB_XML", "hidden %d", 1);
    MSG_INTERNAL_ERROR::report("c", "RDB_XML", "f", 1);
    msg_set_enabled(true);
    msg_set_sink(nullptr);
    EXPECT_EQ(lines, expected);

    ::testing::internal::CaptureStderr();
    msg_local_debug("RDB_XML", "Total errors: %d", 0);
    MSG_INTERNAL_ERROR::report("a < b", "GEN", "h/x", 7);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "RDB_XML: Total errors: 0\nGEN: Internal error: check \"a < b\" failed at h/x:7\n");
}
