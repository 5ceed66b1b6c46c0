// Parses on different threads are independent: many threads parsing a mix
// of good and bad files at once give, for every file, exactly the report and
// the messages that one thread alone gives.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_xml.h>
#include "report_generator.h"
#include "scratch_dir.h"

namespace {

struct OUTCOME {
    std::string json;
    std::vector<std::string> messages;  // without the timings, which vary
    std::vector<std::string> diagnostics;
};

struct INPUT_FILE {
    std::string path;
    std::string bytes;  // parsed from memory when the index is odd
};

OUTCOME parse(const INPUT_FILE& file, bool from_memory)
{
    OUTCOME outcome;
    RDB_XML_OPTIONS options;
    options.m_message_sink = [&outcome](const char*, const char* text) {
        if (std::strstr(text, " in ") == nullptr || std::strstr(text, "ms") == nullptr)
            outcome.messages.emplace_back(text);
    };
    RDB_XML_RESULT result = rdb_xml_parse_input(
        from_memory ? RDB_XML_INPUT::memory(file.bytes.data(), file.bytes.size(), file.path) : RDB_XML_INPUT::file(file.path),
        options);
    std::ostringstream json;
    rdb_write_json(result.m_report.get(), json);
    outcome.json = json.str();
    for (const RDB_XML_DIAGNOSTIC& d : result.m_diagnostics)
        outcome.diagnostics.push_back(std::to_string(d.m_line) + ":" + std::to_string(d.m_column) + " " + d.m_message);
    return outcome;
}

class ThreadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = test_scratch_dir("threads");
        ASSERT_FALSE(s_dir.empty());
        add_file("example.xml", read(RDBXML_SOURCE_DIR "/examples/report.xml"));
        for (unsigned seed = 1; seed <= 12; ++seed) {
            GENERATED_REPORT generated;
            generate_report(seed, generated);
            add_file("generated" + std::to_string(seed) + ".xml", generated.xml);
            // Bad ones: cut short, and an unknown enumeration.
            add_file("cut" + std::to_string(seed) + ".xml", generated.xml.substr(0, generated.xml.size() / 2));
        }
        add_file("unknown-type.xml",
                 "<report><folders><root name=\"m\"/></folders><chart parent=\"m\"><type>donut</type></chart></report>");
        add_file("undeclared.xml", "<report><folders><root name=\"m\"/></folders><text parent=\"x\"/></report>");
        s_files.push_back(INPUT_FILE{s_dir + "/missing.xml", std::string()});
        for (std::size_t i = 0; i < s_files.size(); ++i)
            s_expected.push_back(parse(s_files[i], i % 2 == 1));
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(s_dir); }

    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void add_file(const std::string& name, const std::string& content)
    {
        std::string path = s_dir + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        s_files.push_back(INPUT_FILE{path, content});
    }

    // Each thread parses every file `rounds` times, starting at its own
    // place in the list; returns the number of outcomes that differed.
    static int run_threads(int threads, int rounds)
    {
        std::atomic<int> differences{0};
        std::atomic<bool> go{false};
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([t, rounds, &differences, &go] {
                while (!go)
                    std::this_thread::yield();
                std::size_t n = s_files.size();
                for (std::size_t k = 0; k < n * static_cast<std::size_t>(rounds); ++k) {
                    std::size_t i = (k + static_cast<std::size_t>(t) * 7) % n;
                    OUTCOME outcome = parse(s_files[i], i % 2 == 1);
                    const OUTCOME& expected = s_expected[i];
                    if (outcome.json != expected.json || outcome.messages != expected.messages ||
                        outcome.diagnostics != expected.diagnostics) {
                        ADD_FAILURE() << "thread " << t << " differs on " << s_files[i].path;
                        ++differences;
                    }
                }
            });
        }
        go = true;
        for (std::thread& worker : workers)
            worker.join();
        return differences;
    }

    static std::string s_dir;
    static std::vector<INPUT_FILE> s_files;
    static std::vector<OUTCOME> s_expected;
};

std::string ThreadTest::s_dir;
std::vector<INPUT_FILE> ThreadTest::s_files;
std::vector<OUTCOME> ThreadTest::s_expected;

TEST_F(ThreadTest, ReferenceHoldsGoodAndBadFiles)
{
    // The mix is what the other tests rely on: reports, failures with
    // messages, and passed-over content kept as a warning.
    int reports = 0, failures = 0;
    for (const OUTCOME& outcome : s_expected)
        (outcome.json == "null" ? failures : reports) += 1;
    EXPECT_GE(reports, 10);
    EXPECT_GE(failures, 10);
    EXPECT_NE(s_expected[0].json.find("Flow summary"), std::string::npos);
}

TEST_F(ThreadTest, FourThreadsGiveTheOneThreadResults) { EXPECT_EQ(run_threads(4, 3), 0); }

TEST_F(ThreadTest, SixteenThreadsGiveTheOneThreadResults) { EXPECT_EQ(run_threads(16, 1), 0); }

}  // namespace
