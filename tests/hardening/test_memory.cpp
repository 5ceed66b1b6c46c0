// Nothing grows: one process parsing a thousand files in a row, good and bad
// mixed, ends with the heap and the open files it had after the first
// hundred; reading a large report again and again takes no more memory than
// reading it once.
#include <malloc.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

#include <rdbxml/mem_manager.h>
#include <rdbxml/mem_pool.h>
#include <rdbxml/rdb_xml.h>

#include "allocation_sweep.h"
#include "heap_bytes.h"
#include "parse_fixture.h"
#include "parse_outcome.h"
#include "read_file.h"
#include "report_generator.h"
#include "scratch_dir.h"

namespace {

long open_files()
{
    auto fds = std::filesystem::directory_iterator("/proc/self/fd");
    return std::distance(begin(fds), end(fds));
}

TEST_F(ParseTest, ThousandParsesHoldHeapAndOpenFilesFlat)
{
    // Valid reports, some cut short plain and compressed, and every kind of
    // bad file: (path, whether it gives a report, whether it is validated).
    std::vector<std::tuple<std::string, bool, bool>> files;
    for (unsigned seed = 1000; seed < 1024; ++seed) {
        GENERATED_REPORT generated;
        generate_report(seed, generated);
        std::string packed = gzip_bytes(generated.xml);
        files.emplace_back(write_file(std::to_string(seed), generated.gzip ? packed : generated.xml), true,
                           generated.use_schema);
        if (seed % 4 == 0) {
            std::string cut = generated.xml.substr(0, generated.xml.size() * 2 / 3);
            std::string packed_cut = packed.substr(0, packed.size() / 2);
            files.emplace_back(write_file("cut" + std::to_string(seed), cut), false, false);
            files.emplace_back(write_file("cut.gz" + std::to_string(seed), packed_cut), false, false);
        }
    }
    const std::string folders = "<folders><root name=\"m\"/></folders>";
    std::string deep = "<report>";
    while (deep.size() < 30000)  // deeper than elements may nest
        deep += "<a>";
    for (const std::string& bad :
         {std::string(), "<report>" + folders + "<text parent=\"m\"><ascii_text>x",
          "<report>" + folders + "<chart parent=\"m\"><type>donut</type></chart></report>",
          std::string("<!DOCTYPE report [<!ENTITY e SYSTEM \"/etc/hostname\">]><report>&e;</report>"),
          [] {
              // Billion laughs.
              std::string dtd = "<!ENTITY l0 \"lol\">";
              for (int i = 1; i < 10; ++i)
                  dtd += "<!ENTITY l" + std::to_string(i) + " \"" +
                         [i] {
                             std::string refs;
                             for (int k = 0; k < 10; ++k)
                                 refs += "&l" + std::to_string(i - 1) + ";";
                             return refs;
                         }() +
                         "\">";
              return "<!DOCTYPE report [" + dtd + "]><report>&l9;</report>";
          }(),
          deep})
        files.emplace_back(write_file("bad" + std::to_string(files.size()), bad), false, false);
    files.emplace_back(write_file("undeclared-parent", report_with("<table parent=\"nowhere\"><row/></table>")), true,
                       false);
    files.emplace_back(m_scratch + "/missing.xml", false, false);
    files.emplace_back(m_scratch, false, false);  // a directory

    long heap = 0, fds = 0;
    for (int n = 0; n < 1000; ++n) {
        if (n == 100) {
            heap = test_heap_bytes();
            fds = open_files();
        }
        const auto& file = files[static_cast<std::size_t>(n) % files.size()];
        PARSE_OPTIONS options;
        options.use_schema = std::get<2>(file);
        options.use_static_buffers = n % 3 != 0;
        ASSERT_EQ(parse_file(std::get<0>(file), options) != nullptr, std::get<1>(file)) << std::get<0>(file);
    }
    EXPECT_EQ(open_files(), fds);
    // The heap comes back to what it was, but for what the test itself
    // keeps (its message lists) and allocator noise.
    EXPECT_LT(test_heap_bytes() - heap, 64L << 10) << "heap " << heap << " -> " << test_heap_bytes() << " bytes";
}

// A report of `rows` rows of a name, a number and a delay in one table:
// about 100 bytes of file a row.
std::string report_of_rows(int rows)
{
    std::string xml = "<report><folders><root name=\"main\"/></folders>\n<table parent=\"main\"><header>rows</header>\n";
    for (int i = 0; i < rows; ++i)
        xml += "<row><string_cell>name " + std::to_string(i) + "</string_cell><int_cell>" + std::to_string(i * 7) +
               "</int_cell><delay_cell><delay>" + std::to_string(i % 1000) + "</delay></delay_cell></row>\n";
    return xml + "</table></report>\n";
}

TEST(PoolChunks, ReadingOneReportAfterAnotherTakesNoMoreThanReadingOne)
{
    const std::string dir = test_scratch_dir("pool-chunks");
    ASSERT_FALSE(dir.empty());
    const std::string path = dir + "/rows.xml";
    std::ofstream(path, std::ios::binary) << report_of_rows(50000);
    ASSERT_GT(std::filesystem::file_size(path), 4u << 20);

    MEM_POOL::reset_most_mapped();
    std::size_t most_after_first = 0, arena_after_first = 0;
    for (int read = 1; read <= 4; ++read) {
        SCOPED_TRACE("read " + std::to_string(read));
        {
            RDB_XML_OPTIONS options;
            options.m_message_sink = [](const char*, const char*) {};
            RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(path), options);
            ASSERT_NE(result.m_report, nullptr);
            EXPECT_GE(MEM_POOL::mapped_bytes(), 4u << 20) << "the report should live in its chunks";
        }
        // The report is gone, and every chunk with it.
        EXPECT_EQ(MEM_POOL::mapped_bytes(), 0u);
        if (read == 1) {
            most_after_first = MEM_POOL::most_mapped_bytes();
            arena_after_first = mallinfo2().arena;
        }
    }
    EXPECT_EQ(MEM_POOL::most_mapped_bytes(), most_after_first) << "two reports' chunks were mapped at once";
    // Nor did the C heap take the chunks over: it grew by much less than the
    // smallest of them (2 MiB). Under a sanitizer the C heap is not used and
    // this holds trivially.
    long grown = static_cast<long>(mallinfo2().arena) - static_cast<long>(arena_after_first);
    EXPECT_LT(grown, 512L << 10) << "the heap grew from " << arena_after_first << " bytes";
    std::filesystem::remove_all(dir);
}

// Parses `xml` from memory into `outcome`.
void parse_into(const std::string& xml, TEST_PARSE_OUTCOME& outcome)
{
    test_parse_into(RDB_XML_INPUT::memory(xml.data(), xml.size(), "sweep.xml"), RDB_XML_OPTIONS(), outcome);
}

std::string json_of_parse(const std::string& xml)
{
    TEST_PARSE_OUTCOME outcome;
    parse_into(xml, outcome);
    return outcome.json;
}

// Every allocation of one parse through the memory manager, failed in turn
// (on this thread only): the result is the whole report, or no report and
// the out-of-memory message, after which the parse says nothing but its end.
void sweep_manager_allocations(const std::string& xml)
{
    TEST_PARSE_OUTCOME whole;
    parse_into(xml, whole);
    ASSERT_NE(whole.json, "null");
    test_allocation_sweep(
        test_manager_hook(), TEST_SWEEP_PLAN(), [] { return TEST_PARSE_OUTCOME(); },
        [&](TEST_PARSE_OUTCOME& outcome) { parse_into(xml, outcome); },
        [&](const TEST_PARSE_OUTCOME& outcome, bool refused) {
            if (!refused || outcome.json != "null") {
                ASSERT_EQ(outcome.json, whole.json);
                return;
            }
            ASSERT_TRUE(outcome.out_of_memory);
            auto said = std::find_if(outcome.messages.begin(), outcome.messages.end(), [](const std::string& line) {
                return line.rfind("Out of memory while reading ", 0) == 0;
            });
            ASSERT_NE(said, outcome.messages.end());
            // Stopped at the first failure: nothing follows but the
            // completion time, which is not among the messages.
            ASSERT_EQ(outcome.messages.end() - said, 1) << outcome.messages.back();
        });
}

TEST(ManagerAllocationFailure, EveryAllocationOfTheExampleAndOfGeneratedReports)
{
    sweep_manager_allocations(test_read_file(RDBXML_SOURCE_DIR "/examples/report.xml"));
    for (unsigned seed : {5u, 11u, 23u}) {
        GENERATED_REPORT generated;
        generate_report(seed, generated);
        SCOPED_TRACE("seed " + std::to_string(seed));
        sweep_manager_allocations(generated.xml);
    }
}

TEST(ManagerAllocationFailure, OneThreadsFailuresLeaveAnotherThreadsParseWhole)
{
    std::string example = test_read_file(RDBXML_SOURCE_DIR "/examples/report.xml");
    std::string whole = json_of_parse(example);
    std::atomic<bool> done{false};
    std::atomic<int> parses{0}, wrong{0};
    std::thread other([&] {
        while (!done || parses == 0) {
            if (json_of_parse(example) != whole)
                ++wrong;
            ++parses;
        }
    });
    sweep_manager_allocations(example);
    done = true;
    other.join();
    EXPECT_EQ(wrong, 0) << "of " << parses << " parses";
}

}  // namespace
