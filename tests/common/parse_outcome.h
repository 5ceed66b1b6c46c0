// All that one parse gave, to compare parses with: the report as JSON
// ("null" without one), the lines it said (without those that give a time,
// which differ from run to run), its diagnostics as "LINE:COLUMN message",
// and how it ended.
//
// Header-only: it calls the parser and the JSON writer, and a test program
// links one of the parser's two builds (the shared library as hosts do, or
// the static one to look inside); a compiled helper would bring its own.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_xml.h>
#include "timing_lines.h"

struct TEST_PARSE_OUTCOME {
    std::string json;
    std::vector<std::string> messages;
    std::vector<std::string> diagnostics;
    bool cancelled = false;
    bool out_of_memory = false;

    bool operator==(const TEST_PARSE_OUTCOME& other) const
    {
        return json == other.json && messages == other.messages && diagnostics == other.diagnostics &&
               cancelled == other.cancelled && out_of_memory == other.out_of_memory;
    }
};

// A test's input file with its bytes, parsed from the one or the other.
struct TEST_INPUT {
    std::string path;
    std::string bytes;

    RDB_XML_INPUT read(bool from_memory) const
    {
        return from_memory ? RDB_XML_INPUT::memory(bytes.data(), bytes.size(), path) : RDB_XML_INPUT::file(path);
    }
};

// Parses `input` with `options` (whose message sink it replaces) into
// `outcome`, which the caller may have made beforehand: a sweep of
// allocation failures makes it before it arms the failure.
inline void test_parse_into(const RDB_XML_INPUT& input, RDB_XML_OPTIONS options, TEST_PARSE_OUTCOME& outcome)
{
    options.m_message_sink = [&outcome](const char*, const char* text) {
        if (!test_is_timing_line(text))
            outcome.messages.emplace_back(text);
    };
    RDB_XML_RESULT result = rdb_xml_parse_input(input, options);
    std::ostringstream json;
    rdb_write_json(result.m_report.get(), json);
    outcome.json = json.str();
    for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics)
        outcome.diagnostics.push_back(std::to_string(d.m_line) + ":" + std::to_string(d.m_column) + " " + d.m_message);
    outcome.cancelled = result.m_cancelled;
    outcome.out_of_memory = result.m_out_of_memory;
}

inline TEST_PARSE_OUTCOME test_parse_outcome(const RDB_XML_INPUT& input, const RDB_XML_OPTIONS& options = RDB_XML_OPTIONS())
{
    TEST_PARSE_OUTCOME outcome;
    test_parse_into(input, options, outcome);
    return outcome;
}
