// Compressed reports are checked to their very end: trailing data of any
// size, a cut, or one flipped byte anywhere (in the data or in a check
// value) refuses the report with the stream's own reason; what the format's
// own test tools accept (gzip members one after another, zero padding after
// gzip) parses.
#include "compress_bytes.h"
#include "parse_fixture.h"

namespace {

struct FORMAT {
    const char* name;
    std::string (*pack)(const std::string&);
};

const FORMAT FORMATS[] = {{"gzip", gzip_bytes},
                          {"zstd", [](const std::string& data) { return compress_bytes("zstd", data); }},
                          {"xz", [](const std::string& data) { return compress_bytes("xz", data); }}};

class StreamTest : public ParseTest, public ::testing::WithParamInterface<FORMAT> {
protected:
    // A report of exactly `size` bytes, so that its end meets the end of a
    // read block.
    static std::string report_of_size(std::size_t size)
    {
        std::string head = "<report><folders><root name=\"main\"/></folders><text name=\"t\" parent=\"main\"><ascii_text>";
        std::string tail = "</ascii_text></text></report>";
        std::string body;
        for (std::size_t i = 0; body.size() + head.size() + tail.size() < size; ++i)
            body += static_cast<char>('a' + (i * 7919 % 26));
        return head + body.substr(0, size - head.size() - tail.size()) + tail;
    }

    void expect_refused(const std::string& bytes, const std::string& what)
    {
        EXPECT_EQ(parse_text(bytes), nullptr) << what;
        std::vector<std::string> said = messages_with("RDB_XML: Input stream error: ");
        ASSERT_EQ(said.size(), 1u) << what << "\n" << dump();
        EXPECT_NE(said[0].find(" at byte "), std::string::npos) << said[0];
        EXPECT_EQ(count_messages_with("Parsing resulted in"), 0) << what;
    }
};

TEST_P(StreamTest, TrailingDataCutsAndFlippedBytesAreRefusedWithTheStreamsReason)
{
    const FORMAT& format = GetParam();
    for (std::size_t size : {std::size_t(65536), std::size_t(4 * 65536), std::size_t(100000)}) {
        std::string xml = report_of_size(size);
        std::string packed = format.pack(xml);
        ASSERT_FALSE(packed.empty());
        SCOPED_TRACE(std::string(format.name) + ", " + std::to_string(size) + " bytes");
        ASSERT_NE(parse_text(packed), nullptr) << dump();
        for (const std::string& garbage : {std::string("x"), std::string("junk after the end\n"), std::string(70000, 'g')})
            expect_refused(packed + garbage, "trailing " + std::to_string(garbage.size()) + " bytes");
        for (std::size_t cut : {packed.size() / 2, packed.size() - 1})
            expect_refused(packed.substr(0, cut), "cut at " + std::to_string(cut));
        // In the data, and in the last bytes, where the check values are.
        for (std::size_t at : {packed.size() / 2, packed.size() - 2, packed.size() - 6}) {
            std::string damaged = packed;
            damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
            expect_refused(damaged, "byte " + std::to_string(at) + " flipped");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, StreamTest, ::testing::ValuesIn(FORMATS),
                         [](const ::testing::TestParamInfo<FORMAT>& info) { return std::string(info.param.name); });

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

}  // namespace
