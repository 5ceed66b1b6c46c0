// STL_STRING: construction, byte-wise order and equality, appending and
// emptying.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "stl_string.h"

TEST(String, ConstructsFromTextOrNothing)
{
    EXPECT_TRUE(STL_STRING().empty());
    EXPECT_STREQ(STL_STRING().c_str(), "");
    EXPECT_TRUE(STL_STRING(nullptr).empty());
    STL_STRING s("folder");
    EXPECT_STREQ(s.c_str(), "folder");
    EXPECT_EQ(s.size(), 6u);
    s = "other";
    EXPECT_STREQ(s.c_str(), "other");
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.empty());
}

TEST(String, OrdersByUnsignedBytes)
{
    // Upper case before lower case, and bytes from 0x80 after all ASCII.
    std::vector<std::string> expected = {"", "A", "Main", "Z", "a", "main", "main2", "z", "\x7f", "\x80", "\xC3\xA9", "\xFF"};
    std::vector<STL_STRING> strings;
    for (auto it = expected.rbegin(); it != expected.rend(); ++it)
        strings.emplace_back(it->c_str());
    std::sort(strings.begin(), strings.end(), [](const STL_STRING& a, const STL_STRING& b) { return a < b; });
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::string(strings[i].c_str()), expected[i]) << i;

    for (std::size_t i = 0; i + 1 < expected.size(); ++i) {
        const char* low = expected[i].c_str();
        const char* high = expected[i + 1].c_str();
        EXPECT_TRUE(low < STL_STRING(high)) << i;
        EXPECT_FALSE(high < STL_STRING(low)) << i;
        EXPECT_TRUE(STL_STRING(low) < high) << i;
        EXPECT_FALSE(STL_STRING(high) < low) << i;
        EXPECT_FALSE(STL_STRING(low) < STL_STRING(low)) << i;
    }
}

TEST(String, EqualityIsExact)
{
    EXPECT_TRUE(STL_STRING("Main") == "Main");
    EXPECT_FALSE(STL_STRING("Main") == "main");
    EXPECT_FALSE(STL_STRING("Main") == "Mai");
    EXPECT_FALSE(STL_STRING("Mai") == "Main");
    EXPECT_TRUE(STL_STRING("") == "");
    EXPECT_TRUE(STL_STRING() == static_cast<const char*>(nullptr));
    EXPECT_TRUE(STL_STRING("a") != "b");
    EXPECT_TRUE(STL_STRING("a") == STL_STRING("a"));
}

TEST(String, AppendsAndEmpties)
{
    STL_STRING text;
    text += "first chunk, ";
    text += nullptr;
    text.append(STL_STRING("second chunk"));
    text.append(", third and more", 7);
    EXPECT_STREQ(text.c_str(), "first chunk, second chunk, third");
    STL_STRING::iterator after = text.erase(text.begin(), text.end());
    EXPECT_TRUE(text.empty());
    EXPECT_STREQ(text.c_str(), "");
    EXPECT_EQ(after, text.end());
    text += "again";
    EXPECT_STREQ(text.c_str(), "again");
    STL_STRING copy = text;
    text.erase(text.begin(), text.begin() + 2);
    EXPECT_STREQ(text.c_str(), "ain");
    EXPECT_STREQ(copy.c_str(), "again");
}
