// Nothing lost: random valid reports, plain and compressed, come back from
// the parser as exactly the JSON their generator recorded.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>

#include "hdb_instance.h"
#include "parse_fixture.h"
#include "report_generator.h"

namespace {

const unsigned SEEDS_PER_BLOCK = 50;
const unsigned BLOCKS = 6;

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
                          << "): " << json_difference(read, generated.expected, true);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RoundTripTest, ::testing::Range(0u, BLOCKS));

// Collects what the records of many reports hold.
void collect(const rapidjson::Value& value, std::set<std::string>& seen)
{
    if (value.IsArray())
        for (const auto& item : value.GetArray())
            collect(item, seen);
    if (!value.IsObject())
        return;
    for (auto m = value.MemberBegin(); m != value.MemberEnd(); ++m) {
        seen.insert(std::string("key:") + m->name.GetString());
        if (m->value.IsString()) {
            std::string text = m->value.GetString();
            seen.insert(m->name.GetString() + std::string("=") + text.substr(0, 16));
            seen.insert(text.size() > 512 ? "long text" : "");
            seen.insert(text.find_first_of("&<>\"'") != std::string::npos ? "xml special" : "");
            seen.insert(text.find('\xF0') != std::string::npos ? "four-byte character" : "");
        }
        collect(m->value, seen);
    }
}

TEST(RoundTripGenerator, CoversEveryKindAndEveryCell)
{
    // The generated reports are worth their run time only if they hold
    // every kind of content, read in every way.
    std::set<std::string> seen;
    for (unsigned seed = 0; seed < SEEDS_PER_BLOCK * BLOCKS; ++seed) {
        GENERATED_REPORT generated;
        generate_report(seed, generated);
        collect(generated.expected, seen);
        seen.insert(generated.gzip ? "gzip" : "plain");
        seen.insert(generated.use_schema ? "schema" : "no schema");
        seen.insert(generated.use_static_buffers ? "static" : "dynamic");
        seen.insert(generated.xml.find("<![CDATA[") != std::string::npos ? "cdata" : "");
        std::string xml = generated.xml;
        std::transform(xml.begin(), xml.end(), xml.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
        seen.insert(xml.find("type=\"floorplan\"") != std::string::npos ? "floorplan" : "");
        for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1))
            seen.insert(std::isupper(static_cast<unsigned char>(generated.xml[at + 1])) ? "capitals" : "");
    }
    for (const char* kind : {"folder", "text", "legal", "summary", "chart", "embedded", "waveform", "table",
                             "tan_spd_table", "tan_slack_table"})
        EXPECT_TRUE(seen.count(std::string("kind=") + kind)) << kind;
    for (const char* type : {"string", "int", "iname", "delay"})
        EXPECT_TRUE(seen.count(std::string("type=") + type)) << type;
    for (const char* key : {"key:foreground", "key:background", "key:slots", "key:columns", "key:instance",
                            "long text", "xml special", "four-byte character", "embedded_type=html",
                            "chart_type=histogram", "display_option=mhz", "gzip", "plain", "schema", "no schema",
                            "static", "dynamic", "cdata", "floorplan", "capitals"})
        EXPECT_TRUE(seen.count(key)) << key;
}

}  // namespace
