// The transcoding buffer and the UTF-16 to UTF-8 transcoder behind it.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include "msg.h"
#include "rdb_xml_char_buffer.h"
#include "rdb_xml_globals.h"
#include "rdb_xml_transcode.h"

namespace {

class CharBufferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        xercesc::XMLPlatformUtils::Initialize();
        msg_set_sink([this](const char*, const char* text) {
            m_dynamic_messages += std::string(text) == "Using dynamic buffer: XMLCh* -> char*";
        });
        m_saved = rdb_xml_use_static_buffers;
    }
    void TearDown() override
    {
        msg_set_sink(MSG_SINK());
        rdb_xml_use_static_buffers = m_saved;
    }
    int m_dynamic_messages = 0;
    bool m_saved = true;
};

}  // namespace

TEST(TranscodeTest, MatchesXercesOnRandomText)
{
    xercesc::XMLPlatformUtils::Initialize();
    std::mt19937 random(12345);
    const char16_t pool[] = {u'a', u'<', u'&', u'\n', u'\u00e9', u'\u07ff', u'\u0800', u'\u4e2d', u'\uffee'};
    for (int round = 0; round < 500; ++round) {
        std::u16string text;
        std::size_t length = random() % 700;
        while (text.size() < length) {
            if (random() % 8 == 0) {
                unsigned long cp = 0x10000 + random() % 0xFFFFF;
                text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                text += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                text += pool[random() % (sizeof pool / sizeof pool[0])];
            }
        }
        char* expected = xercesc::XMLString::transcode(text.c_str());
        std::string ours(rdb_xml_utf8_length(text.data(), text.size()) + 1, '\0');
        std::size_t n = rdb_xml_utf8_encode(text.data(), text.size(), &ours[0]);
        ours.resize(n);
        EXPECT_EQ(ours, std::string(expected)) << "round " << round;
        // The one-pass form for zero-terminated values, with room and without.
        std::string within(3 * text.size() + 1, '\0');
        ASSERT_TRUE(rdb_xml_utf8_encode_within(text.c_str(), &within[0], 3 * text.size()));
        EXPECT_EQ(std::string(within.c_str()), std::string(expected)) << "round " << round;
        if (n > 0) {
            EXPECT_FALSE(rdb_xml_utf8_encode_within(text.c_str(), &within[0], n - 1)) << "round " << round;
        }
        xercesc::XMLString::release(&expected);
    }
}

// Texts whose narrow form is a few bytes either side of the inline limit,
// ending in characters of every UTF-8 length: the buffer holds what the
// library transcoder gives, inline exactly up to 512 bytes (not characters).
TEST_F(CharBufferTest, TextsAroundTheInlineLimitMatchXerces)
{
    rdb_xml_use_static_buffers = true;
    const std::u16string tails[] = {u"a", u"\u00e9", u"\u4e2d", u"\U0001D6FF", u"&\u07ff<"};
    int expected_messages = 0;
    RDB_XML_CHAR_BUFFER buffer;
    for (const std::u16string& tail : tails) {
        for (std::size_t prefix = 500; prefix <= 514; ++prefix) {
            std::u16string text = std::u16string(prefix, u'x') + tail;
            char* expected = xercesc::XMLString::transcode(text.c_str());
            buffer.assign(text.c_str());
            EXPECT_EQ(std::string(buffer.text()), std::string(expected)) << prefix;
            bool long_text = std::string(expected).size() > RDB_XML_CHAR_BUFFER::INLINE_SIZE;
            EXPECT_EQ(buffer.on_heap(), long_text) << prefix;
            expected_messages += long_text;
            xercesc::XMLString::release(&expected);
        }
    }
    EXPECT_EQ(m_dynamic_messages, expected_messages);
    EXPECT_EQ(static_cast<int>(RDB_XML_CHAR_BUFFER::INLINE_SIZE), 512);
    // A short value after a long one: inline again, the heap copy released.
    buffer.assign(u"short");
    EXPECT_FALSE(buffer.on_heap());
    EXPECT_STREQ(buffer.text(), "short");
}
