// STL_STRING: construction, byte-wise order and equality, appending and
// emptying.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "stl_string.h"

TEST(String, OrdersAndComparesByUnsignedBytes)
{
    // Upper case before lower case, and bytes from 0x80 after all ASCII.
    const std::vector<std::string> ordered = {"",     "A", "Main", "Z",    "a",          "main",
                                              "main2", "z", "\x7f", "\x80", "\xC3\xA9", "\xFF"};
    for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
        const char* low = ordered[i].c_str();
        const char* high = ordered[i + 1].c_str();
        EXPECT_TRUE(low < STL_STRING(high)) << i;
        EXPECT_FALSE(high < STL_STRING(low)) << i;
        EXPECT_TRUE(STL_STRING(low) < high) << i;
        EXPECT_FALSE(STL_STRING(high) < low) << i;
        EXPECT_FALSE(STL_STRING(low) < STL_STRING(low)) << i;
        EXPECT_TRUE(STL_STRING(low) != high) << i;
        EXPECT_FALSE(STL_STRING(high) == low) << i;
    }
    EXPECT_FALSE(STL_STRING("Main") == "Mai" || STL_STRING("Mai") == "Main");
    EXPECT_TRUE(STL_STRING() == static_cast<const char*>(nullptr));
    EXPECT_TRUE(STL_STRING(nullptr).empty());
    EXPECT_TRUE(STL_STRING("a") == STL_STRING("a"));
}

TEST(String, AppendsAssignsAndEmpties)
{
    STL_STRING text;
    text += "first chunk, ";
    text += nullptr;
    text.append(STL_STRING("second chunk"));
    text.append(", third and more", 7);
    EXPECT_STREQ(text.c_str(), "first chunk, second chunk, third");
    EXPECT_EQ(text.size(), 32u);
    STL_STRING::iterator after = text.erase(text.begin(), text.end());
    EXPECT_TRUE(text.empty());
    EXPECT_STREQ(text.c_str(), "");
    EXPECT_EQ(after, text.end());
    text = "again";
    STL_STRING copy = text;
    text.erase(text.begin(), text.begin() + 2);
    EXPECT_STREQ(text.c_str(), "ain");
    EXPECT_STREQ(copy.c_str(), "again");
    text = static_cast<const char*>(nullptr);
    EXPECT_TRUE(text.empty());
}
