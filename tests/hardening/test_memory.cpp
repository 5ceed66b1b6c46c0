// Nothing grows: one process parsing a thousand files in a row, good and bad
// mixed, ends with the heap and the open files it had after the first
// hundred; reading a large report again and again takes no more memory than
// reading it once.
#include <malloc.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <tuple>

#include <rdbxml/mem_manager.h>
#include <rdbxml/mem_pool.h>
#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_xml.h>

#include "allocation_sweep.h"
#include "heap_bytes.h"
#include "parse_fixture.h"
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

struct SWEEP_OUTCOME {
    std::string json;  // empty without a report
    std::vector<std::string> lines;
    bool out_of_memory = false;
};

// Parses `xml`, saying everything to `outcome`.
void parse_into(const std::string& xml, SWEEP_OUTCOME& outcome)
{
    RDB_XML_OPTIONS options;
    options.m_message_sink = [&outcome](const char*, const char* text) { outcome.lines.emplace_back(text); };
    RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml.data(), xml.size(), "sweep.xml"), options);
    outcome.out_of_memory = result.m_out_of_memory;
    if (result.m_report != nullptr) {
        std::ostringstream json;
        rdb_write_json(result.m_report.get(), json);
        outcome.json = json.str();
    }
}

SWEEP_OUTCOME parse_whole(const std::string& xml)
{
    SWEEP_OUTCOME outcome;
    parse_into(xml, outcome);
    return outcome;
}

// Every allocation of one parse through the memory manager, failed in turn
// (on this thread only): the result is the whole report, or no report and
// the out-of-memory message, after which the parse says nothing but its end.
void sweep_manager_allocations(const std::string& xml)
{
    const std::string whole = parse_whole(xml).json;
    ASSERT_FALSE(whole.empty());
    test_allocation_sweep(
        test_manager_hook(), TEST_SWEEP_PLAN(), [] { return SWEEP_OUTCOME(); },
        [&](SWEEP_OUTCOME& outcome) { parse_into(xml, outcome); },
        [&](const SWEEP_OUTCOME& outcome, bool refused) {
            if (!refused || !outcome.json.empty()) {
                ASSERT_EQ(outcome.json, whole);
                return;
            }
            ASSERT_TRUE(outcome.out_of_memory);
            auto said = std::find_if(outcome.lines.begin(), outcome.lines.end(), [](const std::string& line) {
                return line.rfind("Out of memory while reading ", 0) == 0;
            });
            ASSERT_NE(said, outcome.lines.end());
            // Stopped at the first failure: at most the completion time follows.
            ASSERT_LE(outcome.lines.end() - said, 2) << outcome.lines.back();
        });
}

std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ManagerAllocationFailure, EveryAllocationOfTheExampleAndOfGeneratedReports)
{
    sweep_manager_allocations(read_text(RDBXML_SOURCE_DIR "/examples/report.xml"));
    for (unsigned seed : {5u, 11u, 23u}) {
        GENERATED_REPORT generated;
        generate_report(seed, generated);
        SCOPED_TRACE("seed " + std::to_string(seed));
        sweep_manager_allocations(generated.xml);
    }
}

TEST(ManagerAllocationFailure, OneThreadsFailuresLeaveAnotherThreadsParseWhole)
{
    std::string example = read_text(RDBXML_SOURCE_DIR "/examples/report.xml");
    std::string whole = parse_whole(example).json;
    std::atomic<bool> done{false};
    std::atomic<int> parses{0}, wrong{0};
    std::thread other([&] {
        while (!done || parses == 0) {
            if (parse_whole(example).json != whole)
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
