// The parser's own fast paths give exactly what the library calls they stand
// in for give: element kinds against XMLString::compareIString, numbers
// against sscanf; and the UTF-8 the transcoder writes, to the byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include "rdb_xml_convert.h"
#include "rdb_xml_element.h"
#include "rdb_xml_transcode.h"

TEST(FastPaths, ElementKindMatchesTheLibraryComparison)
{
    xercesc::XMLPlatformUtils::Initialize();
    // Every name the handlers know, and names near them: characters flipped
    // in case, replaced by a neighbour (so '@', '[', '`', '{' and, beside
    // '_', '^' and DEL) or by characters beyond ASCII that fold onto ASCII
    // letters (KELVIN SIGN, LONG S) or do not; names cut short or made
    // longer. A name is of a kind exactly when the library's comparison
    // finds it equal to that kind's name, and unknown when it equals none.
    std::vector<std::u16string> names;
    for (int kind = 0; kind < RDB_XML_ELEMENT_UNKNOWN; ++kind)
        names.push_back(rdb_xml_element_name(static_cast<RDB_XML_ELEMENT_KIND>(kind)));
    ASSERT_EQ(rdb_xml_element_name(RDB_XML_ELEMENT_UNKNOWN), nullptr);
    const std::u16string extra[] = {u"", u"k", u"rows", u"tan_slack_tables", u"display_option_"};
    const char16_t others[] = {u'\u212A', u'\u017F', u'\u00e9', u'\u0159', u'@', u'[', u'\x7F', u'^'};
    std::mt19937 random(7);
    for (int round = 0; round < 40000; ++round) {
        std::u16string local = round < 4 * static_cast<int>(names.size())
                                   ? names[static_cast<std::size_t>(round) % names.size()]
                                   : (random() % 8 == 0 ? extra[random() % 5] : names[random() % names.size()]);
        for (char16_t& c : local) {
            switch (round < static_cast<int>(names.size()) ? 7 : random() % 10) {
            case 0: c = static_cast<char16_t>(c ^ 0x20); break;
            case 1: c = static_cast<char16_t>(c + 1 - 2 * static_cast<int>(random() % 2)); break;
            case 2: c = others[random() % 8]; break;
            case 3: if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32); break;
            default: break;
            }
        }
        if (random() % 10 == 0)
            local = random() % 2 == 0 ? local + u"x" : local.substr(0, local.size() / 2);
        RDB_XML_ELEMENT_KIND expected = RDB_XML_ELEMENT_UNKNOWN;
        for (int kind = 0; kind < RDB_XML_ELEMENT_UNKNOWN; ++kind) {
            if (xercesc::XMLString::compareIString(local.c_str(), names[static_cast<std::size_t>(kind)].c_str()) == 0) {
                ASSERT_EQ(expected, RDB_XML_ELEMENT_UNKNOWN) << "two names match";
                expected = static_cast<RDB_XML_ELEMENT_KIND>(kind);
            }
        }
        EXPECT_EQ(rdb_xml_element_kind(local.c_str()), expected) << std::string(local.begin(), local.end());
    }
    EXPECT_EQ(rdb_xml_element_kind(nullptr), RDB_XML_ELEMENT_UNKNOWN);
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
        EXPECT_EQ(rdb_xml_read_int(text.c_str(), "int_cell"), as_int) << '"' << text << '"';
        EXPECT_EQ(rdb_xml_read_long(text.c_str(), "delay"), as_long) << '"' << text << '"';
    }
}

TEST(FastPaths, Utf8OfEveryWidthWithLoneSurrogatesReplacedAndWithinItsRoom)
{
    // The units to read (a count shorter than the text cuts a pair), and the
    // bytes they give.
    struct ROW {
        std::u16string text;
        std::size_t units;
        std::string utf8;
    };
    const std::string replacement = "\xEF\xBF\xBD";
    const ROW rows[] = {
        {u"abc", 3, "abc"},
        {u"\u00e9\u07ff\u0800\u20ac\uffff\U0001D11E\U0010FFFF", 9,
         "\xC3\xA9\xDF\xBF\xE0\xA0\x80\xE2\x82\xAC\xEF\xBF\xBF\xF0\x9D\x84\x9E\xF4\x8F\xBF\xBF"},
        {u"a\xD800" u"b\xDC00\xDBFF", 5, "a" + replacement + "b" + replacement + replacement},
        {u"x\U0001D11E", 2, "x" + replacement},
    };
    for (const ROW& row : rows) {
        SCOPED_TRACE(row.utf8);
        EXPECT_EQ(rdb_xml_utf8_length(row.text.c_str(), row.units), row.utf8.size());
        std::string out(4 * row.units + 1, '#');
        EXPECT_EQ(rdb_xml_utf8_encode(row.text.c_str(), row.units, &out[0]), row.utf8.size());
        EXPECT_EQ(out.substr(0, row.utf8.size() + 1), row.utf8 + '\0');
        if (row.units != row.text.size())
            continue;
        // Within room for exactly the bytes, and not for one less: then
        // nothing is written past the room and its terminator.
        for (std::size_t room : {row.utf8.size(), row.utf8.size() - 1}) {
            std::string within(room + 8, '#');
            EXPECT_EQ(rdb_xml_utf8_encode_within(row.text.c_str(), &within[0], room), room == row.utf8.size());
            EXPECT_EQ(within.substr(room + 1), std::string(7, '#')) << room;
            if (room == row.utf8.size()) {
                EXPECT_EQ(within.substr(0, room + 1), row.utf8 + '\0');
            }
        }
    }
}
