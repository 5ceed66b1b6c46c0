// The JSON writer on what no parsed report holds: control characters, NUL
// bytes and bytes that are not UTF-8. Every kind of object is written and
// read back whole by the round trip of generated reports.
#include <gtest/gtest.h>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <sstream>
#include <string>

#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_report.h>
#include "full_buffer.h"

namespace {

std::string json_of(const RDB_REPORT* report)
{
    std::ostringstream out;
    rdb_write_json(report, out);
    return out.str();
}

// The name of the main folder of a report that holds `name` there, read
// back with UTF-8 validation: the writer's output must be valid JSON.
std::string name_read_back(const std::string& name)
{
    RDB_REPORT report;
    report.add_main_folder(new RDB_FOLDER_OBJECT(STL_STRING(name.data(), name.size())));
    std::string json = json_of(&report);
    for (char c : json)
        EXPECT_GE(static_cast<unsigned char>(c), 0x20u) << "raw control character in " << json;
    rapidjson::Document document;
    document.Parse<rapidjson::kParseValidateEncodingFlag>(json.c_str(), json.size());
    if (document.HasParseError()) {
        ADD_FAILURE() << rapidjson::GetParseError_En(document.GetParseError()) << " in " << json;
        return std::string();
    }
    const rapidjson::Value& read = document["main_folder"]["name"];
    return std::string(read.GetString(), read.GetStringLength());
}

}  // namespace

TEST(JsonWriter, TextReadsBackExactlyAndIllFormedUtf8AsReplacementCharacters)
{
    EXPECT_EQ(json_of(nullptr), "null");
    RDB_REPORT report;
    EXPECT_EQ(json_of(&report), "{\"main_folder\":null,\"current_folder\":null}");
    // Quotes, backslashes, control characters (NUL included), and non-ASCII
    // in two, three and four bytes.
    const char awkward[] = "q\"uote\\back/slash\n\t\r\x01\x1f\x7f"
                           "caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80 end\0nul";
    EXPECT_EQ(name_read_back(std::string(awkward, sizeof(awkward) - 1)), std::string(awkward, sizeof(awkward) - 1));

    const std::pair<std::string, std::string> cases[] = {
        {"a\xff" "b", "a\xef\xbf\xbd" "b"},
        {"\xc3", "\xef\xbf\xbd"},                                                  // cut short at the end
        {"\xe6\x97" "x", "\xef\xbf\xbd" "x"},                                      // one part for the valid prefix
        {"\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},                                  // overlong form
        {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},                  // surrogate
        {"\xf4\x90\x80\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // above U+10FFFF
        {"\xe2\x82\xac\x80", "\xe2\x82\xac\xef\xbf\xbd"},                          // stray continuation byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(name_read_back(c.first), c.second);
}

TEST(JsonWriter, MemoryRunningOutOnTheStreamEndsTheDocumentWithBadAlloc)
{
    RDB_REPORT report;
    RDB_FOLDER_OBJECT* main = new RDB_FOLDER_OBJECT(STL_STRING("main"));
    ASSERT_TRUE(report.add_main_folder(main));
    RDB_TABLE_OBJECT* table = new RDB_TABLE_OBJECT(STL_STRING("t"), RDB_OBJECT_TYPE_TABLE);
    ASSERT_TRUE(main->add_object_to_list(table));
    for (int r = 0; r < 3000; ++r)
        ASSERT_TRUE(table->add_string_row("a cell of some length", "and another one", RDB_ROW_END));
    const std::string whole = json_of(&report);

    // Out of memory before the first block, in the middle, and at the last.
    for (std::size_t room : {std::size_t(0), whole.size() / 2, whole.size() - 1}) {
        FULL_BUFFER buffer(room);
        std::ostream out(&buffer);
        out.exceptions(std::ios::badbit);
        EXPECT_THROW(rdb_write_json(&report, out), std::bad_alloc) << "room " << room;
        EXPECT_EQ(buffer.m_text, whole.substr(0, buffer.m_text.size()));
        EXPECT_LT(buffer.m_text.size(), whole.size());
    }
}
