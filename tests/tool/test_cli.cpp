// The rdbxml tool as a person runs it: help, usage errors, exit statuses,
// what goes to stdout and what to stderr, several files in one run, the
// JSON lines, and the options reaching the parser.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

const char* const MALFORMED = "<report>\n  <text name=\"a\">\n</report>\n";

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Every line of stderr is a parser message.
void expect_only_messages(const std::string& err)
{
    for (const std::string& line : tool_lines(err))
        EXPECT_EQ(line.rfind("RDB_XML: ", 0), 0u) << line;
}

// The member `name` of a JSON object, which must be there.
const rapidjson::Value& member(const rapidjson::Value& object, const char* name)
{
    EXPECT_TRUE(object.IsObject());
    static const rapidjson::Value null_value;
    if (!object.IsObject() || !object.HasMember(name)) {
        ADD_FAILURE() << "no member " << name;
        return null_value;
    }
    return object[name];
}

// The object named `name` among the objects of a JSON folder.
const rapidjson::Value* object_named(const rapidjson::Value& folder, const char* name)
{
    for (const auto& object : member(folder, "objects").GetArray())
        if (object["name"] == name)
            return &object;
    ADD_FAILURE() << "no object " << name;
    return nullptr;
}

// The cell of the example's "Clocks" table that names the first clock's
// source: an instance-name cell.
rapidjson::Value clock_source_cell(const std::string& json_line, rapidjson::Document& document)
{
    document.Parse(json_line.c_str());
    EXPECT_FALSE(document.HasParseError());
    const rapidjson::Value* timing = object_named(member(member(document, "report"), "main_folder"), "timing");
    if (timing == nullptr)
        return rapidjson::Value();
    const rapidjson::Value* clocks = object_named(*timing, "Clocks");
    if (clocks == nullptr)
        return rapidjson::Value();
    return rapidjson::Value(member(*clocks, "rows")[1][2], document.GetAllocator());
}

}  // namespace

TEST(ToolHelp, NamesEveryOptionTheExitStatusesAndExamples)
{
    TOOL_RUN run = tool_run({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const char* option : {"--text", "--json", "--noout", "--hierarchy FILE", "--schema", "--no-namespaces",
                               "--dynamic-buffers", "--dead-parser", "--stream-flag", "-q,--quiet", "-h,--help",
                               "--version", "FILE"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    EXPECT_NE(run.out.find("Exit status:\n  0  "), std::string::npos);
    EXPECT_NE(run.out.find("\n  1  "), std::string::npos);
    EXPECT_NE(run.out.find("\n  2  usage error"), std::string::npos);
    std::size_t examples = run.out.find("Examples:\n");
    ASSERT_NE(examples, std::string::npos);
    EXPECT_GE(count(run.out.substr(examples), "\n  rdbxml "), 2u);
}

TEST(ToolHelp, VersionNamesTheTool)
{
    TOOL_RUN run = tool_run({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("rdbxml ", 0), 0u);
    EXPECT_EQ(tool_lines(run.out).size(), 1u);
}

TEST(ToolUsage, ErrorsExitTwoWithOneLineAndReadNothing)
{
    TOOL_SCRATCH scratch;
    std::string bad_hierarchy = scratch.write("bad.txt", "top/a\nother/b\n");
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--json", "--noout"},
        {"--text", "--json", tool_example_report()},
        {"--hierarchy"},
        {"--hierarchy", scratch.dir() + "/missing.txt"},
        {"--hierarchy", bad_hierarchy},
    };
    for (const auto& args : cases) {
        TOOL_RUN run = tool_run(args);
        std::string shown = args[0] + (args.size() > 1 ? " " + args[1] : "");
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_EQ(run.out, "") << shown;
        ASSERT_EQ(tool_lines(run.err).size(), 1u) << shown << ": " << run.err;
        EXPECT_EQ(run.err.rfind("rdbxml: ", 0), 0u) << shown;
        EXPECT_EQ(run.err.find("RDB_XML"), std::string::npos) << shown;
    }
}

TEST(ToolOutput, WithNoFileReadsTheBundledExample)
{
    TOOL_RUN run = tool_run({});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("report, current folder \"main\"\nfolder \"main\"\n", 0), 0u);
    EXPECT_NE(run.err.find("RDB_XML: Processing file: "), std::string::npos);
    EXPECT_NE(run.err.find("/examples/report.xml\n"), std::string::npos);
    EXPECT_NE(run.err.find("RDB_XML: Parsing resulted in 0 errors, 0 warnings\n"), std::string::npos);
    expect_only_messages(run.err);
    EXPECT_EQ(run.out.find("RDB_XML"), std::string::npos);
}

TEST(ToolOutput, QuietSilencesTheMessagesButNotTheReport)
{
    TOOL_RUN loud = tool_run({tool_example_report()});
    TOOL_RUN quiet = tool_run({"-q", tool_example_report()});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_FALSE(quiet.out.empty());
    EXPECT_EQ(quiet.out, loud.out);
    EXPECT_EQ(tool_run({"--quiet", tool_example_report()}).err, "");
}

TEST(ToolOutput, NooutPrintsOnlyMessagesAndTheStatus)
{
    TOOL_SCRATCH scratch;
    TOOL_RUN good = tool_run({"--noout", tool_example_report()});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out, "");
    EXPECT_NE(good.err.find("Parsing resulted in 0 errors"), std::string::npos);

    TOOL_RUN bad = tool_run({"--noout", scratch.write("bad.xml", MALFORMED)});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("RDB_XML: Fatal Error: "), std::string::npos);
    EXPECT_NE(bad.err.find(" at line: 3\n"), std::string::npos);
    expect_only_messages(bad.err);
}

TEST(ToolFiles, OneFailingFileDoesNotStopTheOthers)
{
    TOOL_SCRATCH scratch;
    std::string bad = scratch.write("bad.xml", MALFORMED);
    std::string missing = scratch.dir() + "/missing.xml";
    TOOL_RUN run = tool_run({tool_example_report(), missing, bad, tool_example_report()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(count(run.out, "report, current folder \"main\"\n"), 2u);
    // Each file was processed, in the order given.
    std::size_t first = run.err.find("Processing file: " + tool_example_report());
    std::size_t second = run.err.find("Processing file: " + missing);
    std::size_t third = run.err.find("Processing file: " + bad);
    std::size_t fourth = run.err.find("Processing file: " + tool_example_report(), first + 1);
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_LT(third, fourth);
    EXPECT_NE(fourth, std::string::npos);
    expect_only_messages(run.err);

    EXPECT_EQ(tool_run({"-q", tool_example_report(), tool_example_report()}).status, 0);
    EXPECT_EQ(tool_run({"-q", missing, missing}).status, 1);
}

TEST(ToolFiles, JsonIsOneLinePerFileWithTheFileAsGiven)
{
    TOOL_SCRATCH scratch;
    // A name that JSON must escape.
    std::string odd = scratch.write("a \"quoted\\\" name.xml", "<report><folders><root name=\"r\"/></folders></report>");
    std::string missing = scratch.dir() + "/missing.xml";
    TOOL_RUN run = tool_run({"--json", tool_example_report(), missing, odd});
    EXPECT_EQ(run.status, 1);
    expect_only_messages(run.err);
    std::vector<std::string> lines = tool_lines(run.out);
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string> files = {tool_example_report(), missing, odd};
    const std::vector<const char*> main_folders = {"main", nullptr, "r"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        rapidjson::Document line;
        line.Parse(lines[i].c_str());
        ASSERT_FALSE(line.HasParseError()) << lines[i];
        ASSERT_TRUE(line.IsObject());
        ASSERT_EQ(line.MemberCount(), 2u);
        EXPECT_STREQ(line.MemberBegin()->name.GetString(), "file");
        EXPECT_EQ(std::string(member(line, "file").GetString()), files[i]);
        const rapidjson::Value& report = member(line, "report");
        if (main_folders[i] == nullptr) {
            EXPECT_TRUE(report.IsNull());
            continue;
        }
        const rapidjson::Value& main_folder = member(report, "main_folder");
        EXPECT_STREQ(member(main_folder, "kind").GetString(), "folder");
        EXPECT_STREQ(member(main_folder, "name").GetString(), main_folders[i]);
    }
}

TEST(ToolParsing, HierarchyResolvesTheInstanceNameCells)
{
    rapidjson::Document with_document, without_document;
    TOOL_RUN with = tool_run({"--json", "-q", "--hierarchy", tool_example_hierarchy(), tool_example_report()});
    ASSERT_EQ(with.status, 0);
    rapidjson::Value cell = clock_source_cell(with.out, with_document);
    ASSERT_TRUE(cell.IsObject());
    EXPECT_STREQ(member(cell, "type").GetString(), "iname");
    ASSERT_TRUE(member(cell, "instance").IsString());
    EXPECT_STREQ(member(cell, "instance").GetString(), "top/cpu/pll");

    TOOL_RUN without = tool_run({"--json", "-q", tool_example_report()});
    ASSERT_EQ(without.status, 0);
    cell = clock_source_cell(without.out, without_document);
    ASSERT_TRUE(cell.IsObject());
    EXPECT_TRUE(member(cell, "instance").IsNull());

    // The text form shows the resolved path in the table.
    TOOL_RUN text = tool_run({"-q", "--hierarchy", tool_example_hierarchy(), tool_example_report()});
    EXPECT_NE(text.out.find("clk_core         2500  top/cpu/pll\n"), std::string::npos) << text.out;
}

TEST(ToolParsing, OptionsReachTheParser)
{
    struct CASE {
        std::vector<std::string> options;
        const char* configuration;
    };
    const std::vector<CASE> cases = {
        {{}, "Schema (false), Namespaces (true), Static Buffers (true), Dead Parser (false)"},
        {{"--schema"}, "Schema (true), Namespaces (true), Static Buffers (true), Dead Parser (false)"},
        {{"--no-namespaces"}, "Schema (false), Namespaces (false), Static Buffers (true), Dead Parser (false)"},
        {{"--dynamic-buffers"}, "Schema (false), Namespaces (true), Static Buffers (false), Dead Parser (false)"},
        {{"--dead-parser"}, "Schema (false), Namespaces (true), Static Buffers (true), Dead Parser (true)"},
    };
    for (const CASE& c : cases) {
        std::vector<std::string> args = c.options;
        args.push_back("--noout");
        args.push_back(tool_example_report());
        TOOL_RUN run = tool_run(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.err.find(std::string("RDB_XML: Parser configuration: ") + c.configuration + "\n"),
                  std::string::npos)
            << run.err;
    }
    // Validation decides: a well-formed file that breaks the schema reads
    // without it and fails with it.
    std::string invalid = RDBXML_TEST_DATA_DIR "/schema_two_errors.xml";
    EXPECT_EQ(tool_run({"-q", "--noout", invalid}).status, 0);
    EXPECT_EQ(tool_run({"-q", "--noout", "--schema", invalid}).status, 1);
    // The dead parser builds an empty report.
    TOOL_RUN dead = tool_run({"-q", "--json", "--dead-parser", tool_example_report()});
    EXPECT_NE(dead.out.find("\"report\":{\"main_folder\":null"), std::string::npos) << dead.out;
}
