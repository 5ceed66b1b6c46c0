// The parser's own fast paths give exactly what the library calls they stand
// in for give: element names against XMLString::compareIString, numbers
// against sscanf.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include "rdb_xml_content_handler.h"
#include "rdb_xml_convert.h"

TEST(FastPaths, NameCompareMatchesTheLibrary)
{
    xercesc::XMLPlatformUtils::Initialize();
    // Names near the real ones: characters flipped in case, replaced by a
    // neighbour (those next to the letters, '@', '[', '`', '{', too) or by
    // characters beyond ASCII that fold onto ASCII letters (KELVIN SIGN,
    // LONG S) or do not; names cut short or made longer.
    const char16_t* const names[] = {u"row", u"string_cell", u"tan_slack_table", u"k", u""};
    const char16_t others[] = {u'\u212A', u'\u017F', u'\u00e9', u'\u0159', u'@', u'['};
    std::mt19937 random(7);
    for (int round = 0; round < 5000; ++round) {
        std::u16string name = names[random() % 5], local = name;
        for (char16_t& c : local) {
            switch (random() % 8) {
            case 0: c = static_cast<char16_t>(c ^ 0x20); break;
            case 1: c = static_cast<char16_t>(c + 1 - 2 * static_cast<int>(random() % 2)); break;
            case 2: c = others[random() % 6]; break;
            default: break;
            }
        }
        if (random() % 8 == 0)
            local = random() % 2 == 0 ? local + u"x" : local.substr(0, local.size() / 2);
        EXPECT_EQ(rdb_xml_name_is(local.c_str(), name.c_str()),
                  xercesc::XMLString::compareIString(local.c_str(), name.c_str()) == 0)
            << std::string(local.begin(), local.end()) << " / " << std::string(name.begin(), name.end());
    }
}

TEST(FastPaths, ReadNumberMatchesScanf)
{
    std::vector<std::string> texts = {
        "0", "42", " 42 ", "\t\n\v\f\r 7", "-3", "+5", "-0", "7x", "abc", "", " ", "-", "+", "- 5", "--5",
        "123456789", "-123456789", "1234567890", "2147483647", "2147483648", "-2147483648", "-2147483649",
        "99999999999", "9223372036854775807", "9223372036854775808", "-9223372036854775809",
        "0000000000012", "000000001", "12.5", "1e3", "0x1F", "\xC2\xA0" "5"};
    std::mt19937 random(11);
    for (int round = 0; round < 5000; ++round) {
        texts.emplace_back();
        for (std::size_t i = random() % 14; i > 0; --i)
            texts.back() += " \t\n+-0123456789x"[random() % 16];
    }
    for (const std::string& text : texts) {
        int as_int = 0;
        long as_long = 0;
        std::sscanf(text.c_str(), "%d", &as_int);
        std::sscanf(text.c_str(), "%ld", &as_long);
        EXPECT_EQ(rdb_xml_read_int(text.c_str()), as_int) << '"' << text << '"';
        EXPECT_EQ(rdb_xml_read_long(text.c_str()), as_long) << '"' << text << '"';
    }
}
