#include "parse_fixture.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <rdbxml/hdb_instance.h>
#include <rdbxml/msg.h>
#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_xml.h>
#include "rdb_xml_globals.h"
#include "scratch_dir.h"

void ParseTest::SetUp()
{
    m_scratch = test_scratch_dir("parse");
    ASSERT_FALSE(m_scratch.empty());
    msg_set_sink([this](const char* tag, const char* text) {
        m_messages.push_back(std::string(tag) + ": " + text);
        if (!m_allocations_may_fail && std::strncmp(text, "Out of memory", 13) == 0)
            m_unexpected_out_of_memory = text;
        if (std::strncmp(text, "Parsing resulted in", 19) == 0)
            m_totals_json = json_of(rdb_xml_report);
    });
}

void ParseTest::TearDown()
{
    EXPECT_EQ(m_unexpected_out_of_memory, "") << "a parse said memory ran out, and no allocation was made to fail";
    msg_set_sink(MSG_SINK());
    std::filesystem::remove_all(m_scratch);
}

REPORT_PTR ParseTest::parse_file(const std::string& path, const PARSE_OPTIONS& o)
{
    m_messages.clear();
    m_totals_json = "null";
    return REPORT_PTR(rdb_xml_parse(path.c_str(), o.action_point, o.stream_flag, o.use_schema, o.use_namespaces,
                                    o.use_static_buffers, o.dead_parser));
}

REPORT_PTR ParseTest::parse_text(const std::string& xml, const PARSE_OPTIONS& options)
{
    return parse_file(write_file("report.xml", xml), options);
}

std::string ParseTest::json_of(const RDB_REPORT* report)
{
    std::ostringstream out;
    rdb_write_json(report, out);
    return out.str();
}

std::string ParseTest::write_file(const std::string& name, const std::string& content)
{
    std::string path = m_scratch + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::unique_ptr<HDB_HIERARCHY> ParseTest::load_hierarchy(const std::string& path)
{
    STL_STRING error;
    std::unique_ptr<HDB_HIERARCHY> hierarchy = HDB_HIERARCHY::load(path.c_str(), &error);
    EXPECT_NE(hierarchy, nullptr) << error.c_str();
    return hierarchy;
}

std::string json_difference(const rapidjson::Value& value, const rapidjson::Value& pattern, bool whole,
                            const std::string& path)
{
    bool same_size = pattern.IsObject() && value.IsObject() && pattern.MemberCount() == value.MemberCount();
    if (pattern.IsObject() && value.IsObject() && (same_size || (!whole && pattern.MemberCount() > 0))) {
        for (auto m = pattern.MemberBegin(); m != pattern.MemberEnd(); ++m) {
            const char* name = m->name.GetString();
            if (name[0] == '!') {
                if (value.HasMember(name + 1))
                    return path + "/" + (name + 1) + ": present";
                continue;
            }
            auto found = value.FindMember(m->name);
            std::string at = path + "/" + name;
            std::string difference =
                found != value.MemberEnd() ? json_difference(found->value, m->value, whole, at) : at + ": missing";
            if (!difference.empty())
                return difference;
        }
        return "";
    }
    if (pattern.IsArray() && value.IsArray() && pattern.Size() == value.Size()) {
        for (rapidjson::SizeType i = 0; i < pattern.Size(); ++i) {
            std::string difference = json_difference(value[i], pattern[i], whole, path + "/" + std::to_string(i));
            if (!difference.empty())
                return difference;
        }
        return "";
    }
    if (value == pattern)
        return "";
    rapidjson::StringBuffer expected, read;
    rapidjson::Writer<rapidjson::StringBuffer> expected_writer(expected), read_writer(read);
    pattern.Accept(expected_writer);
    value.Accept(read_writer);
    return path + ": expected " + std::string(expected.GetString()).substr(0, 400) + ", read " +
           std::string(read.GetString()).substr(0, 400);
}

::testing::AssertionResult ParseTest::objects_hold(const std::string& pattern) const
{
    rapidjson::Document value, expected;
    value.Parse(m_totals_json.c_str());
    expected.Parse(("{\"main_folder\":{\"objects\":" + pattern + "}}").c_str());
    if (value.HasParseError() || expected.HasParseError())
        return ::testing::AssertionFailure() << "not JSON: " << (value.HasParseError() ? m_totals_json : pattern);
    std::string difference = json_difference(value, expected, false);
    return difference.empty() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << difference;
}

std::vector<std::string> ParseTest::messages_with(const std::string& part) const
{
    std::vector<std::string> found;
    std::copy_if(m_messages.begin(), m_messages.end(), std::back_inserter(found),
                 [&part](const std::string& m) { return m.find(part) != std::string::npos; });
    return found;
}

bool ParseTest::has_message(const std::string& text) const
{
    return std::find(m_messages.begin(), m_messages.end(), text) != m_messages.end();
}

std::string ParseTest::dump() const
{
    std::string all;
    for (const std::string& m : m_messages)
        all += m.substr(0, 300) + "\n";
    return all;
}
