// Shared fixture of the parser tests: runs rdb_xml_parse on real files,
// captures its messages and the report as it stood at the end of the parse,
// and compares reports through their JSON.
#pragma once

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <memory>
#include <string>
#include <vector>

#include <rdbxml/rdb_report.h>
#include "gzip_bytes.h"

class HDB_ACTION_PT_INSTANCE;
class HDB_HIERARCHY;

struct PARSE_OPTIONS {
    HDB_ACTION_PT_INSTANCE* action_point = nullptr;
    bool stream_flag = false;
    bool use_schema = false;
    bool use_namespaces = true;
    bool use_static_buffers = true;
    bool dead_parser = false;
};

typedef std::unique_ptr<RDB_REPORT> REPORT_PTR;

// The object called `name` anywhere below `folder` (depth first), as a T;
// null when there is none of that class.
template <class T>
const T* find_object(const RDB_FOLDER_OBJECT& folder, const std::string& name)
{
    for (const RDB_OBJECT* object : folder.objects()) {
        if (object->get_name().view() == name)
            if (const T* found = dynamic_cast<const T*>(object))
                return found;
        if (const RDB_FOLDER_OBJECT* sub = object->dynamic_cast_to_RDB_FOLDER_OBJECT())
            if (const T* found = find_object<T>(*sub, name))
                return found;
    }
    return nullptr;
}

template <class T>
const T* find_object(const REPORT_PTR& report, const std::string& name)
{
    return report != nullptr ? find_object<T>(*report->get_main_folder(), name) : nullptr;
}

class ParseTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Parses a file, or `xml` written to one; the messages of the parse
    // replace those of the last one.
    REPORT_PTR parse_file(const std::string& path, const PARSE_OPTIONS& options = PARSE_OPTIONS());
    REPORT_PTR parse_text(const std::string& xml, const PARSE_OPTIONS& options = PARSE_OPTIONS());
    // The report's JSON (the model's writer), or "null".
    static std::string json_of(const RDB_REPORT* report);
    // Whether the objects of the main folder of the report the last parse
    // made, as it stood when the parse printed its totals (a parse that
    // counted errors drops it right after), hold the JSON `pattern`: objects
    // have every member the pattern names, holding its value ({} for any
    // object), and none that it names with a '!' before ("!footer": any
    // value); arrays as many entries, each holding the pattern's; other
    // values are equal.
    ::testing::AssertionResult objects_hold(const std::string& pattern) const;

    // A file in this test's scratch directory holding `content`; a file of
    // tests/data or of examples; the hierarchy of a file of instance paths;
    // a report of the folder "main" and `body`.
    std::string write_file(const std::string& name, const std::string& content);
    static std::string data_file(const std::string& name) { return RDBXML_TEST_DATA_DIR "/" + name; }
    static std::string example_file(const std::string& name) { return RDBXML_SOURCE_DIR "/examples/" + name; }
    static std::unique_ptr<HDB_HIERARCHY> load_hierarchy(const std::string& path);
    static std::string report_with(const std::string& body)
    {
        return "<report><folders><root name=\"main\"/></folders>\n" + body + "</report>";
    }

    // Messages of the last parse that contain `part`, or are `text`; all of
    // them, shortened, to show with a failure.
    std::vector<std::string> messages_with(const std::string& part) const;
    int count_messages_with(const std::string& part) const { return static_cast<int>(messages_with(part).size()); }
    bool has_message(const std::string& text) const;
    std::string dump() const;

    // For a test that makes allocations fail: in any other, a parse that
    // says memory ran out fails the test, for it refused a file for a
    // reason it did not name.
    void allocations_fail_here() { m_allocations_may_fail = true; }

    std::vector<std::string> m_messages;
    std::string m_totals_json;
    std::string m_scratch;
    bool m_allocations_may_fail = false;
    std::string m_unexpected_out_of_memory;
};

// Where the JSON `value` first differs from `pattern`, as a path with both
// values there; empty when it holds the pattern (as objects_hold says). With
// `whole` the two must be equal.
std::string json_difference(const rapidjson::Value& value, const rapidjson::Value& pattern, bool whole,
                            const std::string& path = std::string());


