// Memory running out at any allocation of a parse, the XML parser's own
// included, gives either no report, with a message, or the whole report:
// never a crash, an exception out of the parser, or a report with parts
// missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_xml.h>
#include "compress_bytes.h"
#include "failing_new.h"
#include "report_generator.h"

// When its memory runs out the XML parser does not release everything it
// allocated for itself. Only blocks it took through the memory manager each
// parse gives it are let go by the leak checker, so that a leak of ours, or
// of a block the parser took from us, still shows.
extern "C" const char* __lsan_default_suppressions() { return "leak:RDB_XML_XERCES_MEMORY::allocate\n"; }

namespace {

struct OUTCOME {
    bool parsed = false;
    std::string json;
    std::string messages;
    bool out_of_memory = false;
    bool threw = false;
    unsigned long allocations = 0;  // made by the parse
};

// Parses `xml` from memory with the n-th allocation of the parse failing
// (0: none). Only the parse runs under the failure, not the test's own work
// around it.
OUTCOME parse_failing(const std::string& xml, unsigned long n)
{
    OUTCOME outcome;
    RDB_XML_OPTIONS options;
    std::string messages;
    messages.reserve(1 << 16);
    options.m_message_sink = [&messages](const char*, const char* text) {
        // Appends within the reserved room: the sink itself never allocates.
        std::size_t length = std::strlen(text);
        if (messages.size() + length + 1 < messages.capacity()) {
            messages.append(text, length);
            messages.push_back('\n');
        }
    };
    RDB_XML_INPUT input = RDB_XML_INPUT::memory(xml.data(), xml.size(), "sweep.xml");
    RDB_XML_RESULT result;
    unsigned long before = test_new_count();
    test_fail_new_after(n);
    try {
        result = rdb_xml_parse_input(input, options);
    } catch (...) {
        outcome.threw = true;
    }
    test_fail_new_after(0);
    outcome.allocations = test_new_count() - before;
    outcome.parsed = result.m_report != nullptr;
    outcome.out_of_memory = result.m_out_of_memory;
    if (outcome.parsed) {
        std::ostringstream json;
        rdb_write_json(result.m_report.get(), json);
        outcome.json = json.str();
    }
    outcome.messages = messages;
    return outcome;
}

// Fails allocation 1, 1 + step, 1 + 2 step, ... up to the count one parse
// makes; every outcome is whole or nothing.
void sweep(const std::string& xml, unsigned long step)
{
    OUTCOME whole = parse_failing(xml, 0);
    ASSERT_TRUE(whole.parsed) << whole.messages;
    unsigned long allocations = whole.allocations;
    ASSERT_GT(allocations, 100u);
    int refused = 0;
    for (unsigned long n = 1; n <= allocations; n += step) {
        OUTCOME outcome = parse_failing(xml, n);
        ASSERT_FALSE(outcome.threw) << "allocation " << n;
        if (outcome.parsed) {
            ASSERT_EQ(outcome.json, whole.json) << "allocation " << n << " gave a different report";
        } else {
            ++refused;
            // Said, and said as running out of memory.
            ASSERT_NE(outcome.messages.find("Out of memory while reading"), std::string::npos)
                << "allocation " << n << ":\n" << outcome.messages;
            ASSERT_TRUE(outcome.out_of_memory) << "allocation " << n;
        }
    }
    EXPECT_GT(refused, 0);
}

std::string read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FailingNew, EveryAllocationOfTheExample)
{
    sweep(read(RDBXML_SOURCE_DIR "/examples/report.xml"), 1);
}

TEST(FailingNew, EveryAllocationOfTheExampleCompressed)
{
    // Read ahead on a thread of its own, whose set-up may fail too.
    std::string xml = read(RDBXML_SOURCE_DIR "/examples/report.xml");
    for (const char* format : COMPRESSED_FORMATS) {
        SCOPED_TRACE(format);
        sweep(compress_bytes(format, xml), 1);
    }
}

TEST(FailingNew, AllocationsThroughGeneratedReports)
{
    for (unsigned seed : {3u, 17u}) {
        GENERATED_REPORT generated;
        generate_report(seed, generated);
        SCOPED_TRACE("seed " + std::to_string(seed));
        sweep(generated.xml, 7);
    }
}

}  // namespace
