#include "parse_fixture.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "hdb_instance.h"
#include "msg.h"
#include "rdb_json_writer.h"
#include "rdb_xml.h"
#include "rdb_xml_globals.h"

void ParseTest::SetUp()
{
    const char* base = std::getenv("RDBXML_TEST_TMP");
    std::string root = base != nullptr ? base : "/tmp";
    mkdir(root.c_str(), 0755);
    std::string pattern = root + "/parse-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    m_scratch = name.data();
    msg_set_sink([this](const char* tag, const char* text) {
        m_messages.push_back(std::string(tag) + ": " + text);
        if (std::strncmp(text, "Parsing resulted in", 19) == 0)
            m_totals_json = json_of(rdb_xml_report);
    });
}

void ParseTest::TearDown()
{
    msg_set_sink(MSG_SINK());
    std::string command = "rm -rf '" + m_scratch + "'";
    if (std::system(command.c_str()) != 0)
        ADD_FAILURE() << "could not remove " << m_scratch;
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
    std::ofstream out(path, std::ios::binary);
    out << content;
    return path;
}

std::string ParseTest::data_file(const std::string& name) { return std::string(RDBXML_TEST_DATA_DIR) + "/" + name; }

std::string ParseTest::example_file(const std::string& name)
{
    return std::string(RDBXML_SOURCE_DIR) + "/examples/" + name;
}

std::unique_ptr<HDB_HIERARCHY> ParseTest::load_hierarchy(const std::string& path)
{
    STL_STRING error;
    std::unique_ptr<HDB_HIERARCHY> hierarchy = HDB_HIERARCHY::load(path.c_str(), &error);
    EXPECT_NE(hierarchy, nullptr) << error.c_str();
    return hierarchy;
}

std::string ParseTest::report_with(const std::string& body)
{
    return "<report><folders><root name=\"main\"/></folders>\n" + body + "</report>";
}

namespace {

std::string text_of(const rapidjson::Value& value)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    std::string text(buffer.GetString(), buffer.GetSize());
    return text.size() > 400 ? text.substr(0, 400) + "..." : text;
}

}  // namespace

std::string json_difference(const rapidjson::Value& value, const rapidjson::Value& pattern, bool whole,
                            const std::string& path)
{
    bool same_size = pattern.IsObject() && value.IsObject() && pattern.MemberCount() == value.MemberCount();
    if (pattern.IsObject() && value.IsObject() && (same_size || (!whole && pattern.MemberCount() > 0))) {
        for (auto m = pattern.MemberBegin(); m != pattern.MemberEnd(); ++m) {
            std::string at = path + "/" + m->name.GetString();
            auto found = value.FindMember(m->name);
            if (found == value.MemberEnd() && !whole && m->value.IsNull())
                continue;
            std::string difference =
                found == value.MemberEnd() ? at + ": missing" : json_difference(found->value, m->value, whole, at);
            if (!difference.empty())
                return difference;
        }
        return std::string();
    }
    if (pattern.IsArray() && value.IsArray() && pattern.Size() == value.Size()) {
        for (rapidjson::SizeType i = 0; i < pattern.Size(); ++i) {
            std::string difference = json_difference(value[i], pattern[i], whole, path + "/" + std::to_string(i));
            if (!difference.empty())
                return difference;
        }
        return std::string();
    }
    return value == pattern ? std::string() : path + ": expected " + text_of(pattern) + ", read " + text_of(value);
}

::testing::AssertionResult ParseTest::holds(const std::string& json, const std::string& pattern)
{
    rapidjson::Document value;
    rapidjson::Document expected;
    value.Parse(json.c_str(), json.size());
    expected.Parse(pattern.c_str(), pattern.size());
    if (value.HasParseError() || expected.HasParseError())
        return ::testing::AssertionFailure() << "not JSON: " << (value.HasParseError() ? json : pattern);
    std::string difference = json_difference(value, expected, false);
    if (difference.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << difference;
}

std::vector<std::string> ParseTest::messages_with(const std::string& part) const
{
    std::vector<std::string> found;
    for (const std::string& m : m_messages)
        if (m.find(part) != std::string::npos)
            found.push_back(m);
    return found;
}

bool ParseTest::has_message(const std::string& text) const
{
    for (const std::string& m : m_messages)
        if (m == text)
            return true;
    return false;
}

std::string gzip_bytes(const std::string& data)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}
