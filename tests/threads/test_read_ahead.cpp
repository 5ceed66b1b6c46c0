// Compressed reports are decompressed on a thread of the parse's own while
// the parser reads: a report parses as its plain file does, progress is
// called on the parsing thread and counts what the parse has read, damage
// ends the parse with the stream's own reason and only after everything
// before it was parsed, no thread outlives its parse, and without a thread
// the parse decompresses by itself.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <rdbxml/rdb_xml.h>
#include "brim_zifstream.h"
#include "compress_bytes.h"
#include "parse_outcome.h"
#include "scratch_dir.h"
#include "thread_checks.h"

namespace {

TEST_PARSE_OUTCOME parse(const TEST_INPUT& input, bool from_memory,
                         const RDB_XML_PROGRESS& progress = RDB_XML_PROGRESS())
{
    RDB_XML_OPTIONS options;
    options.m_progress = progress;
    return test_parse_outcome(input.read(from_memory), options);
}

// A report of one table of `rows` rows, about 90 bytes each; a row whose end
// tag does not match its start at `broken_row`, if any.
std::string table_report(int rows, int broken_row = -1)
{
    std::string xml = "<report><folders><root name=\"main\"/></folders>\n<table name=\"t\" parent=\"main\">\n";
    for (int i = 0; i < rows; ++i) {
        xml += "<row><int_cell>" + std::to_string(i) + "</int_cell><string_cell>u_core/u_alu_" +
               std::to_string(i * 7919 % 1009) + "</string_cell><int_cell>" + std::to_string(i % 97) + "</int_cell>";
        xml += i == broken_row ? "</roe>\n" : "</row>\n";
    }
    return xml + "</table></report>\n";
}

// The bytes with the one at `at` changed.
std::string flipped(std::string bytes, std::size_t at)
{
    bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
    return bytes;
}

// What the stream says of damaged `bytes`, read directly to the damage.
std::string stream_damage(const std::string& bytes)
{
    BRIM_ZIFSTREAM in(bytes.data(), bytes.size(), "damaged");
    std::vector<char> buffer(65536);
    while (in.good())
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    return in.damage();
}

// The input positions the stream gives after each read of 64 KiB.
std::vector<std::uint64_t> step_positions(const std::string& bytes)
{
    BRIM_ZIFSTREAM in(bytes.data(), bytes.size(), "steps");
    std::vector<std::uint64_t> positions;
    std::vector<char> buffer(65536);
    while (in.good()) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        positions.push_back(in.input_position());
    }
    return positions;
}

class PrefetchParseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = test_scratch_dir("read-ahead");
        ASSERT_FALSE(s_dir.empty());
        s_plain = table_report(40000);  // 3.4 MB: many blocks of read-ahead
        s_plain_outcome = parse(TEST_INPUT{"r.xml", s_plain}, true);
        ASSERT_EQ(s_plain_outcome.diagnostics.size(), 0u);
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(s_dir); }

    static TEST_INPUT input(const std::string& name, const std::string& bytes)
    {
        TEST_INPUT in{s_dir + "/" + name, bytes};
        std::ofstream(in.path, std::ios::binary) << bytes;
        return in;
    }

    // The outcome of `in` must be `expected` but for the name of the input.
    static void expect_outcome(const TEST_INPUT& in, bool memory, const TEST_PARSE_OUTCOME& expected,
                               const TEST_PARSE_OUTCOME& got)
    {
        EXPECT_EQ(got.json, expected.json) << in.path << (memory ? " in memory" : "");
        EXPECT_EQ(got.diagnostics, expected.diagnostics) << in.path << (memory ? " in memory" : "");
        EXPECT_EQ(got.messages.size(), expected.messages.size()) << in.path << (memory ? " in memory" : "");
    }

    static std::string s_dir;
    static std::string s_plain;
    static TEST_PARSE_OUTCOME s_plain_outcome;
};

std::string PrefetchParseTest::s_dir;
std::string PrefetchParseTest::s_plain;
TEST_PARSE_OUTCOME PrefetchParseTest::s_plain_outcome;

TEST_F(PrefetchParseTest, CompressedReportsParseAsThePlainOneWithProgressOnTheParsingThread)
{
    // One thread more while a compressed report is parsed than while the
    // plain one is (which may have the storage's own, for pages ahead).
    const int threads = test_threads_at_rest();
    int plain_during = 0;
    for (const char* format : {"plain", "gzip", "zstd", "xz"}) {
        const TEST_INPUT in = input(std::string("threads.xml.") + format, compress_bytes(format, s_plain));
        int during = 0;
        parse(in, false, [&during](std::uint64_t, std::uint64_t) {
            during = std::max(during, test_threads_now());
            return true;
        });
        if (std::string(format) == "plain") {
            plain_during = during;
            EXPECT_LE(during, threads + 1);
        } else {
            EXPECT_EQ(during, plain_during + 1) << format;
        }
    }

    for (const char* format : COMPRESSED_FORMATS) {
        const TEST_INPUT in = input(std::string("r.xml.") + format, compress_bytes(format, s_plain));
        const std::vector<std::uint64_t> steps = step_positions(in.bytes);
        ASSERT_GT(steps.size(), 40u);
        for (bool memory : {false, true}) {
            SCOPED_TRACE(std::string(format) + (memory ? " in memory" : " file"));
            const std::thread::id parsing = std::this_thread::get_id();
            std::vector<std::uint64_t> seen;
            int elsewhere = 0;
            TEST_PARSE_OUTCOME outcome = parse(in, memory, [&](std::uint64_t read, std::uint64_t total) {
                elsewhere += std::this_thread::get_id() != parsing || total != in.bytes.size();
                seen.push_back(read);
                return true;
            });
            expect_outcome(in, memory, s_plain_outcome, outcome);
            EXPECT_EQ(elsewhere, 0);
            ASSERT_GE(seen.size(), 40u);
            EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
            EXPECT_EQ(seen.back(), in.bytes.size());
            // What the parse has read, not what was decompressed ahead of it:
            // after the parser's first read, the input the stream took for
            // its first step or two.
            EXPECT_LE(seen.front(), steps[1]);
        }
    }
}

TEST_F(PrefetchParseTest, DamageEndsTheParseAsWhenTheParserDecompressesItself)
{
    // Damage in the middle, a cut, bytes after the end, a flipped check
    // value: the parse ends with the stream's words, after what the document
    // had said before (a flipped byte that only the check value finds may
    // first have made the document wrong), exactly as when no thread reads
    // ahead.
    std::vector<TEST_INPUT> inputs;
    for (const char* format : COMPRESSED_FORMATS) {
        const std::string whole = compress_bytes(format, s_plain);
        const std::pair<const char*, std::string> cases[] = {{"flip", flipped(whole, whole.size() / 2)},
                                                             {"cut", whole.substr(0, whole.size() * 3 / 4)},
                                                             {"trailing", whole + "junk"},
                                                             {"check", flipped(whole, whole.size() - 2)}};
        for (const auto& [what, bytes] : cases)
            inputs.push_back(input(std::string(what) + ".xml." + format, bytes));
    }
    // An error of the document shortly before the input breaks off: the
    // thread, ahead of the parser, meets the cut first, but its failure
    // waits behind the blocks before it.
    const std::string broken = table_report(40000, 10000);
    const std::size_t error_at = broken.find("</roe>");
    for (const char* format : COMPRESSED_FORMATS) {
        const std::string whole = compress_bytes(format, broken);
        BRIM_ZIFSTREAM in(whole.data(), whole.size(), "broken");
        std::string skipped(error_at + 200000, '\0');
        in.read(&skipped[0], static_cast<std::streamsize>(skipped.size()));
        inputs.push_back(input(std::string("broken-cut.xml.") + format, whole.substr(0, in.input_position())));
    }

    std::vector<TEST_PARSE_OUTCOME> alone;
    {
        TEST_NO_THREADS none;
        ASSERT_TRUE(none.set());
        for (const TEST_INPUT& in : inputs) {
            for (bool memory : {false, true})
                alone.push_back(parse(in, memory));
        }
    }
    std::size_t k = 0;
    for (const TEST_INPUT& in : inputs) {
        const std::string damage = stream_damage(in.bytes);
        for (bool memory : {false, true}) {
            SCOPED_TRACE(in.path + (memory ? " in memory" : ""));
            const TEST_PARSE_OUTCOME& expected = alone[k++];
            TEST_PARSE_OUTCOME outcome = parse(in, memory);
            EXPECT_EQ(outcome.diagnostics, expected.diagnostics);
            EXPECT_EQ(outcome.json, "null");
            ASSERT_GE(outcome.diagnostics.size(), 1u);
            EXPECT_EQ(outcome.diagnostics.back(), "0:0 Input stream error: " + damage);
            if (in.path.find("broken-cut") != std::string::npos) {
                EXPECT_EQ(outcome.diagnostics.size(), 2u);
                EXPECT_NE(outcome.diagnostics[0].find("expected end of tag 'row'"), std::string::npos);
            } else if (in.path.find("/flip") == std::string::npos) {
                EXPECT_EQ(outcome.diagnostics.size(), 1u);
            }
        }
    }
}

TEST_F(PrefetchParseTest, NoThreadOutlivesAParseThatEndsEarly)
{
    // Cancelled by the host, and ended by an error of the document near its
    // start, while the thread waits for room far ahead of the parser.
    const int threads = test_threads_at_rest();
    const std::string broken = table_report(40000, 300);
    for (const char* format : COMPRESSED_FORMATS) {
        const TEST_INPUT whole = input(std::string("whole.xml.") + format, compress_bytes(format, s_plain));
        const TEST_INPUT early = input(std::string("early.xml.") + format, compress_bytes(format, broken));
        for (bool memory : {false, true}) {
            SCOPED_TRACE(std::string(format) + (memory ? " in memory" : " file"));
            TEST_PARSE_OUTCOME cancelled, ended;
            test_must_return("a cancelled parse", [&] {
                int calls = 0;
                cancelled = parse(whole, memory, [&calls](std::uint64_t, std::uint64_t) { return ++calls < 2; });
            });
            EXPECT_TRUE(cancelled.cancelled && cancelled.json == "null");
            EXPECT_TRUE(test_back_to_threads(threads));
            test_must_return("a parse ended by an error", [&] { ended = parse(early, memory); });
            ASSERT_EQ(ended.diagnostics.size(), 1u);
            EXPECT_NE(ended.diagnostics[0].find("expected end of tag 'row'"), std::string::npos) << ended.diagnostics[0];
            EXPECT_TRUE(test_back_to_threads(threads));
        }
    }
}

TEST_F(PrefetchParseTest, WithoutAThreadTheParseDecompressesByItself)
{
    std::vector<TEST_INPUT> inputs;
    std::vector<TEST_PARSE_OUTCOME> expected;
    for (const char* format : COMPRESSED_FORMATS) {
        const std::string whole = compress_bytes(format, s_plain);
        for (const std::string& bytes : {whole, flipped(whole, whole.size() / 2)}) {
            inputs.push_back(input(std::string("alone-") + std::to_string(inputs.size()) + ".xml", bytes));
            expected.push_back(parse(inputs.back(), false));
        }
    }
    TEST_NO_THREADS none;
    ASSERT_TRUE(none.set());
    // What the test stands on: no thread starts now.
    EXPECT_THROW(std::thread([] {}).join(), std::system_error);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        for (bool memory : {false, true}) {
            TEST_PARSE_OUTCOME outcome = parse(inputs[i], memory);
            expect_outcome(inputs[i], memory, expected[i], outcome);
            EXPECT_EQ(outcome.json != "null", i % 2 == 0) << inputs[i].path;
        }
    }
}

TEST_F(PrefetchParseTest, ManyParsesOfCompressedReportsAtOnce)
{
    // Each thread parses every input, good and damaged, from file and memory,
    // each with its own read-ahead thread: the outcomes of one thread alone.
    std::vector<TEST_INPUT> inputs;
    std::vector<TEST_PARSE_OUTCOME> expected;
    const std::string plain = table_report(8000, -1), broken = table_report(8000, 5000);
    for (const char* format : COMPRESSED_FORMATS) {
        for (const std::string& xml : {plain, broken}) {
            const std::string whole = compress_bytes(format, xml);
            for (const std::string& bytes : {whole, flipped(whole, whole.size() / 2)}) {
                inputs.push_back(input(std::string("many-") + std::to_string(inputs.size()) + ".xml", bytes));
                expected.push_back(parse(inputs.back(), inputs.size() % 2 == 0));
            }
        }
    }
    std::atomic<int> differences{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([t, &inputs, &expected, &differences] {
            for (std::size_t k = 0; k < inputs.size() * 2; ++k) {
                std::size_t i = (k + static_cast<std::size_t>(t) * 5) % inputs.size();
                if (!(parse(inputs[i], (i + 1) % 2 == 0) == expected[i]))
                    ++differences;
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(differences, 0);
}

}  // namespace
