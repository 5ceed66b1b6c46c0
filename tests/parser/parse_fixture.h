// Shared fixture of the parser tests: runs rdb_xml_parse on real files and
// captures every message it prints.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "rdb_report.h"

class HDB_ACTION_PT_INSTANCE;

struct PARSE_OPTIONS {
    HDB_ACTION_PT_INSTANCE* action_point = nullptr;
    bool stream_flag = false;
    bool use_schema = false;
    bool use_namespaces = true;
    bool use_static_buffers = true;
    bool dead_parser = false;
};

struct REPORT_DELETER {
    void operator()(RDB_REPORT* report) const { delete report; }
};
typedef std::unique_ptr<RDB_REPORT, REPORT_DELETER> REPORT_PTR;

class ParseTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Parses a file; the messages of the parse replace those of the last one.
    REPORT_PTR parse_file(const std::string& path, const PARSE_OPTIONS& options = PARSE_OPTIONS());
    // Writes `xml` to a fresh file and parses it.
    REPORT_PTR parse_text(const std::string& xml, const PARSE_OPTIONS& options = PARSE_OPTIONS());
    // The report's JSON (the model's writer), or "null".
    static std::string json_of(const RDB_REPORT* report);

    // A new file in this test's scratch directory holding `content`.
    std::string write_file(const std::string& name, const std::string& content);
    static std::string data_file(const std::string& name);

    // Messages of the last parse that contain `part`.
    std::vector<std::string> messages_with(const std::string& part) const;
    bool has_message(const std::string& text) const;
    int count_messages_with(const std::string& part) const { return static_cast<int>(messages_with(part).size()); }

    std::vector<std::string> m_messages;
    std::string m_scratch;
};

// gzip of `data`, as a whole file image.
std::string gzip_bytes(const std::string& data);
