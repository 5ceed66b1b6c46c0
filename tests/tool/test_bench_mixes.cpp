// The benchmark's report mixes (bench/rdb_bench_gen --mix) read by the built
// tool: every mix valid against the schema and without a warning, the
// default mix the same bytes as the file the benchmark's figures were taken
// on, and the mixes made of what they say.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

const std::string GENERATOR = RDBXML_OUTPUT_DIR "/rdb_bench_gen";

struct MIX_LINE {
    std::string name;
    std::string groups;
};

// `rdb_bench_gen --list`: a mix a line, its name and then its groups.
std::vector<MIX_LINE> listed_mixes()
{
    TOOL_RUN run = tool_shell(tool_shell_quoted(GENERATOR) + " --list");
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<MIX_LINE> mixes;
    for (const std::string& line : tool_lines(run.out)) {
        std::string::size_type space = line.find(' ');
        mixes.push_back({line.substr(0, space), space == std::string::npos ? "" : line.substr(space + 1)});
    }
    return mixes;
}

// Writes the mix at `megabytes` into `scratch`; the file's path.
std::string generate(const TOOL_SCRATCH& scratch, const std::string& mix, const std::string& megabytes)
{
    const std::string path = scratch.dir() + "/" + mix + ".xml";
    TOOL_RUN run = tool_shell(tool_shell_quoted(GENERATOR) + " --mix " + tool_shell_quoted(mix) + " " +
                              tool_shell_quoted(path) + " " + megabytes);
    EXPECT_EQ(run.status, 0) << mix << ": " << run.err;
    return path;
}

// Per million bytes of `text`.
double per_mb(const std::string& text, const std::string& part)
{
    return static_cast<double>(tool_count(text, part)) * 1e6 / static_cast<double>(text.size());
}

// The generator is built with the benchmark programs, which may be off.
class BenchMixes : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::access(GENERATOR.c_str(), X_OK) != 0)
            GTEST_SKIP() << "no " << GENERATOR << " (RDBXML_BUILD_BENCH off)";
    }
};

}  // namespace

TEST_F(BenchMixes, EveryMixIsValidAndReadWithoutAWarning)
{
    std::vector<MIX_LINE> mixes = listed_mixes();
    ASSERT_GE(mixes.size(), 10u);
    EXPECT_EQ(mixes[0].name, "default");
    TOOL_SCRATCH scratch;
    for (const MIX_LINE& mix : mixes) {
        SCOPED_TRACE(mix.name);
        EXPECT_NE(mix.groups, "");
        const std::string file = generate(scratch, mix.name, "0.3");
        const std::string text = test_read_file(file);
        // The size asked for, give or take the last piece of content.
        EXPECT_GE(text.size(), 300000u);
        EXPECT_LT(text.size(), 330000u);
        for (const char* check : {"--schema", "--strict"}) {
            TOOL_RUN run = tool_run({check, "--noout", file});
            EXPECT_EQ(run.status, 0) << check << ": " << run.err;
            EXPECT_EQ(run.err, "") << check;
        }
    }
}

TEST_F(BenchMixes, DefaultMixIsTheBenchmarksFileByteForByte)
{
    // The checksum of the file before there were mixes, at 0.3 MB, seed 7;
    // --mix may stand anywhere among the arguments.
    TOOL_SCRATCH scratch;
    TOOL_RUN run = tool_shell("cd " + tool_shell_quoted(scratch.dir()) + " && g=" + tool_shell_quoted(GENERATOR) +
                              " && \"$g\" a.xml 0.3 7 && \"$g\" b.xml --mix default 0.3 7 && cmp a.xml b.xml &&"
                              " cksum < a.xml");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1462567478 300365\n");
}

TEST_F(BenchMixes, MixesAreMadeOfWhatTheySay)
{
    TOOL_SCRATCH scratch;
    // Many small tables with fewer colours than the default file.
    std::string text = test_read_file(generate(scratch, "small-tables", "1"));
    EXPECT_NEAR(per_mb(text, "<iname_cell"), 3800, 300);
    EXPECT_NEAR(per_mb(text, "ground=\""), 4300, 300);
    EXPECT_GT(per_mb(text, "<summary "), 10);
    text = test_read_file(generate(scratch, "default", "1"));
    EXPECT_NEAR(per_mb(text, "ground=\""), 10200, 500);
    // The single kinds: one kind of cell (and the heading row's titles).
    text = test_read_file(generate(scratch, "ints", "0.3"));
    EXPECT_EQ(tool_count(text, "<int_cell>"), 8 * tool_count(text, "<row>") - 8 * tool_count(text, "<header>"));
    EXPECT_EQ(tool_count(text, "ground=\""), 0u);
    text = test_read_file(generate(scratch, "int-colours", "0.3"));
    EXPECT_EQ(tool_count(text, "<int_cell foreground=\""), tool_count(text, "<int_cell"));
    text = test_read_file(generate(scratch, "narrow", "0.3"));
    EXPECT_EQ(tool_count(text, "<int_cell>"), 2 * tool_count(text, "<row>") - 2 * tool_count(text, "<header>"));
    text = test_read_file(generate(scratch, "strings", "0.3"));
    EXPECT_EQ(tool_count(text, "<string_cell>"), 6 * tool_count(text, "<row>"));
    EXPECT_EQ(tool_count(text, "<int_cell"), 0u);
    EXPECT_EQ(tool_count(text, "ground=\""), 0u);
    text = test_read_file(generate(scratch, "gauges", "0.3"));
    EXPECT_EQ(tool_count(text, "<gauge "), 200 * tool_count(text, "<summary "));
    EXPECT_EQ(tool_count(text, "<row>"), 0u);
    // Two rows a table, but the last one may be cut short.
    text = test_read_file(generate(scratch, "tiny-tables", "0.3"));
    EXPECT_LE(tool_count(text, "<row>"), 2 * tool_count(text, "<header>"));
    EXPECT_GE(tool_count(text, "<row>"), 2 * tool_count(text, "<header>") - 1);
}
