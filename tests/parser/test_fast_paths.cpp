// The parser's own fast paths give exactly what the library calls they stand
// in for give: element names against XMLString::compareIString, numbers
// against sscanf.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include "rdb_xml_content_handler.h"
#include "rdb_xml_convert.h"

namespace {

bool library_equal(const std::u16string& a, const std::u16string& b)
{
    return xercesc::XMLString::compareIString(a.c_str(), b.c_str()) == 0;
}

// What sscanf reads from `text` into a `NUMBER`.
template <class NUMBER>
NUMBER scanned(const std::string& text, const char* format)
{
    NUMBER value = 0;
    std::sscanf(text.c_str(), format, &value);
    return value;
}

void expect_read_as_scanf(const std::string& text)
{
    EXPECT_EQ(rdb_xml_read_int(text.c_str()), scanned<int>(text, "%d")) << '"' << text << '"';
    EXPECT_EQ(rdb_xml_read_long(text.c_str()), scanned<long>(text, "%ld")) << '"' << text << '"';
}

}  // namespace

TEST(NameCompareTest, MatchesTheLibraryComparison)
{
    xercesc::XMLPlatformUtils::Initialize();
    const std::vector<std::u16string> names = {u"row", u"string_cell", u"tan_slack_table", u"header", u"", u"k"};
    // Case variants, prefixes, extensions, and characters beyond ASCII that
    // fold onto ASCII letters (KELVIN SIGN, LONG S) or do not.
    const std::vector<std::u16string> seen = {
        u"row",  u"ROW",  u"Row",  u"ro",   u"rows", u"",    u"string_cell", u"String_Cell", u"STRING_CELLx",
        u"tan_slac\u212A_table", u"\u017Ftring_cell", u"header", u"HEADER", u"heade\u0159", u"k", u"K",
        u"\u212A", u"\u00e9", u"r\u00d6w", u"row\U0001D400", u"tan_slack_tablE", u"@row", u"[row"};
    for (const std::u16string& name : names)
        for (const std::u16string& local : seen)
            EXPECT_EQ(rdb_xml_name_is(local.c_str(), name.c_str()), library_equal(local, name))
                << std::string(local.begin(), local.end()) << " / " << std::string(name.begin(), name.end());

    // Random ASCII names near the real ones: every character flipped in case
    // or replaced by a neighbour, including those next to the letters ('@',
    // '[', '`', '{').
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::u16string name = names[random() % 4];
        std::u16string local = name;
        for (char16_t& c : local) {
            switch (random() % 6) {
            case 0: c = static_cast<char16_t>(c ^ 0x20); break;
            case 1: c = static_cast<char16_t>(c + 1); break;
            case 2: c = static_cast<char16_t>(c - 1); break;
            default: break;
            }
        }
        EXPECT_EQ(rdb_xml_name_is(local.c_str(), name.c_str()), library_equal(local, name));
    }
}

TEST(ReadNumberTest, MatchesScanf)
{
    const std::vector<std::string> texts = {
        "0", "42", " 42 ", "\t\n\v\f\r 7", "-3", "+5", "-0", "7x", "abc", "", " ", "-", "+", "- 5", "--5",
        "123456789", "-123456789", "1234567890", "2147483647", "2147483648", "-2147483648", "-2147483649",
        "99999999999", "9223372036854775807", "9223372036854775808", "-9223372036854775809",
        "0000000000012", "000000001", "12.5", "1e3", "0x1F", "\xC2\xA0" "5"};
    for (const std::string& text : texts)
        expect_read_as_scanf(text);
    std::mt19937 random(11);
    const char pool[] = " \t\n+-0123456789x";
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (std::size_t i = random() % 14; i > 0; --i)
            text += pool[random() % (sizeof pool - 1)];
        expect_read_as_scanf(text);
    }
}
