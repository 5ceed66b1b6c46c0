// Memory running out at any allocation of a parse, the XML parser's own
// included, gives either no report, with a message, or the whole report:
// never a crash, an exception out of the parser, or a report with parts
// missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_xml.h>
#include "compress_bytes.h"
#include "allocation_sweep.h"
#include "failing_new.h"
#include "read_file.h"
#include "report_generator.h"

// When its memory runs out the XML parser does not release everything it
// allocated for itself. Only blocks it took through the memory manager each
// parse gives it are let go by the leak checker, so that a leak of ours, or
// of a block the parser took from us, still shows.
extern "C" const char* __lsan_default_suppressions() { return "leak:RDB_XML_XERCES_MEMORY::allocate\n"; }

namespace {

// One parse of `xml` from memory: what it is given, made before the sweep
// arms its failure, and what it gave. Only the parse runs under the failure,
// not the test's own work around it.
struct PARSE_RUN {
    RDB_XML_OPTIONS options;
    RDB_XML_INPUT input;
    std::string messages;
    RDB_XML_RESULT result;
    bool threw = false;

    explicit PARSE_RUN(const std::string& xml) : input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "sweep.xml"))
    {
        messages.reserve(1 << 16);
        options.m_message_sink = [this](const char*, const char* text) {
            // Appends within the reserved room: the sink itself never allocates.
            std::size_t length = std::strlen(text);
            if (messages.size() + length + 1 < messages.capacity()) {
                messages.append(text, length);
                messages.push_back('\n');
            }
        };
    }

    void parse()
    {
        try {
            result = rdb_xml_parse_input(input, options);
        } catch (...) {
            threw = true;
        }
    }

    std::string json() const
    {
        std::ostringstream json;
        rdb_write_json(result.m_report.get(), json);
        return json.str();
    }
};

// Fails allocation 1, 1 + step, 1 + 2 step, ... of a parse; every outcome
// is whole or nothing.
void sweep(const std::string& xml, unsigned long step)
{
    std::string whole;
    TEST_SWEEP_PLAN plan;
    plan.step = step;
    test_allocation_sweep(
        test_new_hook(), plan, [&] { return std::make_unique<PARSE_RUN>(xml); },
        [](std::unique_ptr<PARSE_RUN>& run) { run->parse(); },
        [&](const std::unique_ptr<PARSE_RUN>& run, bool refused) {
            ASSERT_FALSE(run->threw);
            bool parsed = run->result.m_report != nullptr;
            if (!refused) {
                ASSERT_TRUE(parsed) << run->messages;
                if (whole.empty())
                    whole = run->json();
            }
            if (parsed) {
                ASSERT_EQ(run->json(), whole) << "a different report";
            } else {
                // Said, and said as running out of memory.
                ASSERT_NE(run->messages.find("Out of memory while reading"), std::string::npos) << run->messages;
                ASSERT_TRUE(run->result.m_out_of_memory);
            }
        });
}


TEST(FailingNew, EveryAllocationOfTheExample)
{
    sweep(test_read_file(RDBXML_SOURCE_DIR "/examples/report.xml"), 1);
}

TEST(FailingNew, EveryAllocationOfTheExampleCompressed)
{
    // Read ahead on a thread of its own, whose set-up may fail too.
    std::string xml = test_read_file(RDBXML_SOURCE_DIR "/examples/report.xml");
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
