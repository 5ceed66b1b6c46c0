// Parses on different threads are independent: many threads parsing a mix
// of good and bad files at once give, for every file, exactly the report and
// the messages that one thread alone gives, also when they all resolve
// against one loaded hierarchy, and while the process-wide message sink is
// being replaced.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include <rdbxml/hdb_instance.h>
#include <rdbxml/msg.h>
#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_xml.h>
#include "instance_reports.h"
#include "parse_outcome.h"
#include "read_file.h"
#include "report_generator.h"
#include "scratch_dir.h"

namespace {

// A file is parsed from memory when its index is odd.
TEST_PARSE_OUTCOME parse(const TEST_INPUT& file, bool from_memory, HDB_ACTION_PT_INSTANCE* action_point = nullptr)
{
    RDB_XML_OPTIONS options;
    options.m_action_point = action_point;
    return test_parse_outcome(file.read(from_memory), options);
}

class ThreadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = test_scratch_dir("threads");
        ASSERT_FALSE(s_dir.empty());
        add_file("example.xml", test_read_file(RDBXML_SOURCE_DIR "/examples/report.xml"));
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
        s_files.push_back(TEST_INPUT{s_dir + "/missing.xml", std::string()});
        for (std::size_t i = 0; i < s_files.size(); ++i)
            s_expected.push_back(parse(s_files[i], i % 2 == 1));
        // The mix the tests rely on: reports, failures with messages, and
        // passed-over content kept as a warning.
        int reports = 0, failures = 0;
        for (const TEST_PARSE_OUTCOME& outcome : s_expected)
            (outcome.json == "null" ? failures : reports) += 1;
        ASSERT_GE(reports, 10);
        ASSERT_GE(failures, 10);
        ASSERT_NE(s_expected[0].json.find("Flow summary"), std::string::npos);
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(s_dir); }


    static void add_file(const std::string& name, const std::string& content)
    {
        std::string path = s_dir + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        s_files.push_back(TEST_INPUT{path, content});
    }

    // `threads` threads at once each check every one of `n` files `rounds`
    // times, starting at its own place in the list; returns the number of
    // checks that failed.
    static int run_threads(int threads, int rounds, std::size_t n, const std::function<bool(std::size_t)>& check)
    {
        std::atomic<int> differences{0};
        std::atomic<bool> go{false};
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([t, rounds, n, &check, &differences, &go] {
                while (!go)
                    std::this_thread::yield();
                for (std::size_t k = 0; k < n * static_cast<std::size_t>(rounds); ++k) {
                    std::size_t i = (k + static_cast<std::size_t>(t) * 7) % n;
                    if (!check(i)) {
                        ADD_FAILURE() << "thread " << t << " differs on file " << i;
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

    // Each file parsed as the one thread did.
    static int run_threads(int threads, int rounds)
    {
        return run_threads(threads, rounds, s_files.size(),
                           [](std::size_t i) { return parse(s_files[i], i % 2 == 1) == s_expected[i]; });
    }

    static std::string s_dir;
    static std::vector<TEST_INPUT> s_files;
    static std::vector<TEST_PARSE_OUTCOME> s_expected;
};

std::string ThreadTest::s_dir;
std::vector<TEST_INPUT> ThreadTest::s_files;
std::vector<TEST_PARSE_OUTCOME> ThreadTest::s_expected;

TEST_F(ThreadTest, FourThreadsGiveTheOneThreadResults) { EXPECT_EQ(run_threads(4, 3), 0); }

TEST_F(ThreadTest, SixteenThreadsGiveTheOneThreadResults) { EXPECT_EQ(run_threads(16, 1), 0); }

}  // namespace

TEST_F(ThreadTest, OneLoadedHierarchyServesEveryThread)
{
    // A host loads its design once and hands it to parses on 8 threads at
    // once, whose first lookups all meet in a hierarchy that no search has
    // used yet.
    const int blocks = 60, units = 50;
    const std::string design = s_dir + "/design.txt";
    std::ofstream(design) << test_design_hierarchy(blocks, units);
    std::vector<TEST_INPUT> reports;
    for (int seed = 0; seed < 16; ++seed) {
        std::string content = test_instance_report(seed, 200, blocks, units);
        std::string path = s_dir + "/cells" + std::to_string(seed) + ".xml";
        std::ofstream(path, std::ios::binary) << content;
        reports.push_back(TEST_INPUT{path, content});
    }
    STL_STRING error;
    std::vector<TEST_PARSE_OUTCOME> alone;
    {
        std::unique_ptr<HDB_HIERARCHY> own = HDB_HIERARCHY::load(design.c_str(), &error);
        ASSERT_NE(own, nullptr) << error.c_str();
        for (std::size_t i = 0; i < reports.size(); ++i)
            alone.push_back(parse(reports[i], i % 2 == 1, own->action_point()));
    }
    // The cells did resolve: a unit alone at the first block holding it.
    ASSERT_NE(alone[0].json.find(R"("instance":"top/b0/u12","path":"u12")"), std::string::npos) << alone[0].json;

    std::unique_ptr<HDB_HIERARCHY> shared = HDB_HIERARCHY::load(design.c_str(), &error);
    ASSERT_NE(shared, nullptr) << error.c_str();
    HDB_ACTION_PT_INSTANCE* action_point = shared->action_point();
    EXPECT_EQ(run_threads(8, 1, reports.size(),
                          [&](std::size_t i) { return parse(reports[i], i % 2 == 1, action_point) == alone[i]; }),
              0);
}

TEST_F(ThreadTest, FirstSearchesOfAHandBuiltTreeOnManyThreads)
{
    // A tree a host builds itself has no search index until its first
    // search: 8 threads making that first search at once all get the
    // instances one thread finds.
    HDB_INSTANCE_NAME top("top", nullptr);
    for (int b = 0; b < 100; ++b)
        for (int u = 0; u < 100; ++u)
            top.add_child(("b" + std::to_string(b)).c_str())->add_child(("u" + std::to_string(u)).c_str());
    std::vector<std::string> names;
    for (int u = 0; u < 40; ++u)
        names.push_back("u" + std::to_string(u));
    EXPECT_EQ(run_threads(8, 1, names.size(),
                          [&](std::size_t i) {
                              HDB_INSTANCE_NAME* found = top.find_in_descendants(names[i].c_str(), true);
                              return found != nullptr && found->full_path() == ("top/b0/" + names[i]).c_str();
                          }),
              0);
}

TEST_F(ThreadTest, ReplacingTheProcessSinkWhileThreadsParse)
{
    // Parses without a sink of their own hand their lines to the process's
    // sink, which another thread replaces all the while: every line reaches
    // one of the sinks, and a sink once replaced is released, never run
    // after it is gone (each holds text of its own that it reads).
    auto delivered = std::make_shared<std::atomic<long>>(0);
    auto counting_sink = [](const std::shared_ptr<std::atomic<long>>& count, int generation) {
        std::string own = "sink " + std::to_string(generation);
        return [delivered = count, own](const char* tag, const char* text) {
            if (own.compare(0, 5, "sink ") == 0 && tag != nullptr && text != nullptr)
                ++*delivered;
        };
    };
    auto report_of = [](std::size_t i) {
        RDB_XML_OPTIONS printing;
        printing.m_print_messages = true;
        RDB_XML_RESULT result = rdb_xml_parse_input(RDB_XML_INPUT::file(s_files[i].path), printing);
        std::ostringstream json;
        rdb_write_json(result.m_report.get(), json);
        return json.str();
    };
    msg_set_sink(counting_sink(delivered, 0));
    for (std::size_t i = 0; i < s_files.size(); ++i)
        report_of(i);
    const long lines_per_round = *delivered;
    ASSERT_GT(lines_per_round, static_cast<long>(s_files.size()));
    *delivered = 0;

    std::atomic<bool> parsing{true};
    std::thread replacer([&] {
        for (int generation = 1; parsing || generation < 1000; ++generation)
            msg_set_sink(counting_sink(delivered, generation));
    });
    const int threads = 4;
    EXPECT_EQ(run_threads(threads, 1, s_files.size(), [&](std::size_t i) { return report_of(i) == s_expected[i].json; }),
              0);
    parsing = false;
    replacer.join();
    msg_set_sink(nullptr);
    EXPECT_EQ(*delivered, lines_per_round * threads);
    // Only this test holds the count now: every sink was released.
    EXPECT_EQ(delivered.use_count(), 1);
}
