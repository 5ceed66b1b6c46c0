// Nothing lost: random valid reports, plain and compressed, come back from
// the parser as exactly the JSON their generator recorded.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "hdb_instance.h"
#include "parse_fixture.h"
#include "report_generator.h"

namespace {

const unsigned SEEDS_PER_BLOCK = 50;
const unsigned BLOCKS = 6;

std::string text_of(const rapidjson::Value& value)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    std::string text(buffer.GetString(), buffer.GetSize());
    return text.size() > 400 ? text.substr(0, 400) + "..." : text;
}

// Where two JSON values first differ, as a path with both values there;
// empty when they are equal.
std::string first_difference(const rapidjson::Value& expected, const rapidjson::Value& got, const std::string& path)
{
    if (expected == got)
        return std::string();
    if (expected.IsObject() && got.IsObject()) {
        for (auto m = expected.MemberBegin(); m != expected.MemberEnd(); ++m) {
            std::string at = path + "/" + m->name.GetString();
            auto found = got.FindMember(m->name);
            if (found == got.MemberEnd())
                return at + ": missing";
            std::string difference = first_difference(m->value, found->value, at);
            if (!difference.empty())
                return difference;
        }
        return path + ": members the record does not have: " + text_of(got);
    }
    if (expected.IsArray() && got.IsArray()) {
        for (rapidjson::SizeType i = 0; i < expected.Size() && i < got.Size(); ++i) {
            std::string difference = first_difference(expected[i], got[i], path + "/" + std::to_string(i));
            if (!difference.empty())
                return difference;
        }
        return path + ": " + std::to_string(expected.Size()) + " entries recorded, " + std::to_string(got.Size()) +
               " read";
    }
    return path + ": recorded " + text_of(expected) + ", read " + text_of(got);
}

// Keeps a failing report where a person can read it again.
std::string keep(unsigned seed, const std::string& xml)
{
    const char* base = std::getenv("RDBXML_TEST_TMP");
    std::string path = std::string(base != nullptr ? base : "/tmp") + "/roundtrip-seed-" + std::to_string(seed) + ".xml";
    std::ofstream(path, std::ios::binary) << xml;
    return path;
}

class RoundTripTest : public ParseTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(RoundTripTest, GeneratedReportsComeBackWhole)
{
    STL_STRING error;
    std::unique_ptr<HDB_HIERARCHY> hierarchy =
        HDB_HIERARCHY::load(write_file("hierarchy.txt", generator_hierarchy()).c_str(), &error);
    ASSERT_NE(hierarchy, nullptr) << error.c_str();

    for (unsigned seed = GetParam() * SEEDS_PER_BLOCK; seed < (GetParam() + 1) * SEEDS_PER_BLOCK; ++seed) {
        GENERATED_REPORT generated;
        generate_report(seed, generated);
        PARSE_OPTIONS options;
        options.action_point = hierarchy->action_point();
        options.use_schema = generated.use_schema;
        options.use_namespaces = generated.use_namespaces;
        options.use_static_buffers = generated.use_static_buffers;
        std::string path = generated.gzip ? write_file("report.xml.gz", gzip_bytes(generated.xml))
                                          : write_file("report.xml", generated.xml);
        REPORT_PTR report = parse_file(path, options);
        if (report == nullptr) {
            std::string why;
            for (const std::string& m : messages_with("rror"))
                why += "\n  " + m.substr(0, 300);
            ADD_FAILURE() << "seed " << seed << " gave no report (" << keep(seed, generated.xml) << ")" << why;
            continue;
        }
        std::string json = json_of(report.get());
        rapidjson::Document read;
        read.Parse(json.data(), json.size());
        ASSERT_FALSE(read.HasParseError()) << "seed " << seed;
        if (read != generated.expected)
            ADD_FAILURE() << "seed " << seed << " (" << keep(seed, generated.xml)
                          << "): " << first_difference(generated.expected, read, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RoundTripTest, ::testing::Range(0u, BLOCKS));

// Collects what the records of many reports hold.
void collect(const rapidjson::Value& value, std::set<std::string>& seen)
{
    if (value.IsObject()) {
        for (auto m = value.MemberBegin(); m != value.MemberEnd(); ++m) {
            seen.insert(std::string("key:") + m->name.GetString());
            if (m->value.IsString()) {
                std::string text = m->value.GetString();
                seen.insert(m->name.GetString() + std::string("=") + text.substr(0, 16));
                if (text.size() > 512)
                    seen.insert("long text");
                if (text.find_first_of("&<>\"'") != std::string::npos)
                    seen.insert("xml special");
                if (text.find('\xF0') != std::string::npos)
                    seen.insert("four-byte character");
            }
            collect(m->value, seen);
        }
    } else if (value.IsArray()) {
        for (const auto& item : value.GetArray())
            collect(item, seen);
    }
}

TEST(RoundTripGenerator, CoversEveryKindAndEveryCell)
{
    // The generated reports are worth their run time only if they hold
    // every kind of content.
    std::set<std::string> seen;
    std::set<std::string> modes;
    for (unsigned seed = 0; seed < SEEDS_PER_BLOCK * BLOCKS; ++seed) {
        GENERATED_REPORT generated;
        generate_report(seed, generated);
        collect(generated.expected, seen);
        modes.insert(generated.gzip ? "gzip" : "plain");
        modes.insert(generated.use_schema ? "schema" : "no schema");
        modes.insert(generated.use_static_buffers ? "static" : "dynamic");
        if (generated.xml.find("<![CDATA[") != std::string::npos)
            modes.insert("cdata");
        std::string xml = generated.xml;
        std::transform(xml.begin(), xml.end(), xml.begin(), [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        if (xml.find("type=\"floorplan\"") != std::string::npos)
            modes.insert("floorplan");
        for (std::size_t at = generated.xml.find('<'); at != std::string::npos; at = generated.xml.find('<', at + 1))
            if (std::isupper(static_cast<unsigned char>(generated.xml[at + 1])))
                modes.insert("element names in capitals");
    }
    for (const char* kind : {"folder", "text", "legal", "summary", "chart", "embedded", "waveform", "table",
                             "tan_spd_table", "tan_slack_table"})
        EXPECT_TRUE(seen.count(std::string("kind=") + kind)) << kind;
    for (const char* type : {"string", "int", "iname", "delay"})
        EXPECT_TRUE(seen.count(std::string("type=") + type)) << type;
    for (const char* key : {"key:foreground", "key:background", "key:slots", "key:columns", "key:instance",
                            "long text", "xml special", "four-byte character", "embedded_type=html",
                            "chart_type=histogram", "display_option=mhz"})
        EXPECT_TRUE(seen.count(key)) << key;
    for (const char* mode : {"gzip", "plain", "schema", "no schema", "static", "dynamic", "cdata", "floorplan",
                             "element names in capitals"})
        EXPECT_TRUE(modes.count(mode)) << mode;
}

}  // namespace
