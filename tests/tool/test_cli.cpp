// The rdbxml tool as a person runs it: help, usage errors, exit statuses,
// what goes to stdout and what to stderr, several files in one run, the
// JSON lines, and the options reaching the parser.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "gzip_bytes.h"
#include "rdb_bench_reports.h"
#include "tool_runner.h"

namespace {

const char* const MALFORMED = "<report>\n  <text name=\"a\">\n</report>\n";

// Stderr holds diagnostics in the compiler's form ("FILE:LINE:COL: error:
// ...", or "FILE: error: ..." where there is no place) and, with -v, the
// parser's own lines; after several files, last, the `summary` of them.
void expect_only_messages(const std::string& err, const std::string& summary = std::string())
{
    std::vector<std::string> lines = tool_lines(err);
    if (!summary.empty()) {
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), summary);
        lines.pop_back();
    }
    for (const std::string& line : lines)
        EXPECT_TRUE(line.rfind("RDB_XML: ", 0) == 0 || line.find(": error: ") != std::string::npos ||
                    line.find(": warning: ") != std::string::npos)
            << line;
}

// `value` as one line of JSON, with the "path" of every object (and of a
// summary's gauges) left out: what selecting keeps of an object besides
// its path, which may change as the objects before it go.
std::string without_paths(const rapidjson::Value& value)
{
    rapidjson::Document copy;
    copy.CopyFrom(value, copy.GetAllocator());
    std::vector<rapidjson::Value*> open{&copy};
    while (!open.empty()) {
        rapidjson::Value* v = open.back();
        open.pop_back();
        if (v->IsArray()) {
            for (auto& item : v->GetArray())
                open.push_back(&item);
        } else if (v->IsObject()) {
            if (v->HasMember("kind") || v->HasMember("slots"))
                v->RemoveMember("path");
            for (auto& member : v->GetObject())
                open.push_back(&member.value);
        }
    }
    rapidjson::StringBuffer text;
    rapidjson::Writer<rapidjson::StringBuffer> writer(text);
    copy.Accept(writer);
    return text.GetString();
}

// Every object of a JSON report: its path, and the object that is not a
// folder it is (a summary for its gauges) as without_paths writes it.
struct JSON_PATH {
    std::string path;
    std::string leaf;  // empty for a folder
};
void json_paths(const rapidjson::Value& object, std::vector<JSON_PATH>& paths)
{
    bool folder = object.HasMember("objects");
    std::string leaf = folder ? std::string() : without_paths(object);
    paths.push_back({object["path"].GetString(), leaf});
    if (!folder && object.HasMember("gauges") && object["gauges"].IsObject())
        paths.push_back({object["gauges"]["path"].GetString(), leaf});
    if (folder)
        for (const auto& nested : object["objects"].GetArray())
            json_paths(nested, paths);
}

}  // namespace

TEST(ToolHelp, HelpAndVersionGoToStdout)
{
    TOOL_RUN run = tool_run({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const char* part : {"--html OUT", "--where CONDITION", "--top N", "rdbxml ls FILE", "Exit status:\n  0  ",
                             "\n  2  usage error", "Examples:\n"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part;
    TOOL_RUN version = tool_run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("rdbxml ", 0), 0u);
    // Written as every output is: a failed write is said (diff's trouble is 2).
    for (const char* args : {"--help", "--version", "diff --help", "check --help"}) {
        for (const char* fault : {">/dev/full", ">&-"}) {
            TOOL_RUN failed = tool_shell("\"$RDBXML\" " + std::string(args) + " " + fault);
            EXPECT_EQ(failed.status, args[0] == 'd' ? 2 : 1) << args << fault;
            EXPECT_EQ(failed.err.rfind("rdbxml: cannot write standard output: ", 0), 0u) << args << fault;
        }
    }
}

TEST(ToolHelp, TheManualPageTellsEveryOptionOfTheHelp)
{
    // The page is written by hand: an option the help has and the page
    // lacks is one a reader of the page never learns of.
    std::string manual = test_read_file(RDBXML_SOURCE_DIR "/docs/rdbxml.1");
    ASSERT_NE(manual, "");
    std::string plain;
    for (std::size_t i = 0; i < manual.size(); ++i) {
        if (manual.compare(i, 2, "\\-") == 0)
            ++i;  // roff's "\-" is a hyphen
        plain += manual[i];
    }
    // Each command's help, and how many options it has at least.
    const std::pair<const char*, std::size_t> helps[] = {{"--help", 7},      {"diff --help", 7},  {"check --help", 7},
                                                         {"ls --help", 7},   {"index --help", 7}, {"trend --help", 6}};
    for (const auto& [help, least] : helps) {
        TOOL_RUN run = tool_shell("\"$RDBXML\" " + std::string(help));
        ASSERT_EQ(run.status, 0) << help;
        std::size_t options = 0;
        for (const std::string& line : tool_lines(run.out)) {
            std::size_t at = line.find("--");
            if (line.rfind("  -", 0) != 0 || at == std::string::npos)
                continue;
            std::string option = line.substr(at, line.find_first_of(" ,", at) - at);
            EXPECT_NE(plain.find(option), std::string::npos) << help << ": " << option;
            ++options;
        }
        EXPECT_GE(options, least) << help;
    }
}

TEST(ToolHelp, BashCompletesCommandsOptionsAndTheirValuesFromTheHelp)
{
    TOOL_SCRATCH scratch;
    scratch.write("run one.xml", "");
    // Each line: the words typed (the last is being completed), then what
    // the completion offers, '|' after each.
    const std::string script = ". " RDBXML_SOURCE_DIR R"(/tools/completion/rdbxml.bash
comp() { COMP_WORDS=("$RDBXML" "$@"); COMP_CWORD=$#; _rdbxml; printf "%s|" "${COMPREPLY[@]}"; echo; }
comp d; comp diff --co; comp diff --color ""; comp --html r; comp -j ""; comp trend --cs
comp trend --csv r; comp check --j)";
    TOOL_RUN run = tool_shell("cd " + tool_shell_quoted(scratch.dir()) + " && bash -c " + tool_shell_quoted(script));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(tool_lines(run.out), (std::vector<std::string>{"diff|", "--color|", "auto|always|never|",
                                                              "run one.xml|", "|", "--csv|", "run one.xml|",
                                                              "--junit|--jobs|"}));
}

TEST(ToolUsage, ErrorsExitTwoWithOneLineAndReadNothing)
{
    TOOL_SCRATCH scratch;
    std::string bad_hierarchy = scratch.write("bad.txt", "top/a\nother/b\n");
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"},
        {"--json", "--noout"},
        {"--text", "--json", tool_example_report()},
        {"--html", scratch.dir() + "/x.html", "--json"},
        {"--hierarchy"},
        {"--hierarchy", scratch.dir() + "/missing.txt"},
        {"--hierarchy", bad_hierarchy},
        {"-", "-"},
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

TEST(ToolOutput, ReportOnStdoutMessagesOnStderr)
{
    // With no file the bundled example is read; a clean file says nothing.
    TOOL_RUN run = tool_run({});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("folder \"main\"\n  folder \"summaries\"\n", 0), 0u);
    EXPECT_EQ(run.err, "");

    // Verbose adds the parser's own lines, and the objects' settings to the
    // tree; quiet prints nothing on stderr and the same tree.
    for (const char* verbose : {"-v", "--verbose"}) {
        TOOL_RUN loud = tool_run({verbose, tool_example_report()});
        EXPECT_EQ(loud.status, 0);
        EXPECT_EQ(loud.err.rfind("RDB_XML: Parser configuration: ", 0), 0u) << loud.err;
        EXPECT_NE(loud.err.find("RDB_XML: Processing file: " + tool_example_report() + "\n"), std::string::npos);
        EXPECT_NE(loud.err.find("RDB_XML: Parsing resulted in 0 errors, 0 warnings\n"), std::string::npos);
        expect_only_messages(loud.err);
        EXPECT_EQ(loud.out.rfind("report, current folder \"main\"\nfolder \"main\"\n  folder \"summaries\" creator \"flow\"\n", 0), 0u);
        EXPECT_NE(loud.out.find("      settings: object type 8, last cmp/flp location available: yes, 3 rows, analysis type 1"), std::string::npos);
        // A summary's gauges with their settings, but not the name the file
        // format gives their object, which the JSON keeps.
        EXPECT_NE(loud.out.find("\n      gauges, size 20:\n"), std::string::npos) << loud.out;
        EXPECT_EQ(loud.out.find("This name"), std::string::npos) << loud.out;
    }
    TOOL_SCRATCH scratch;
    std::string bad = scratch.write("bad.xml", MALFORMED);
    for (const char* quiet : {"-q", "--quiet"}) {
        TOOL_RUN silent = tool_run({quiet, tool_example_report(), bad});
        EXPECT_EQ(silent.status, 1);
        EXPECT_EQ(silent.err, "");
        EXPECT_EQ(silent.out, run.out);
    }

    // Without output only the diagnostics and the status tell.
    TOOL_RUN broken = tool_run({"--noout", tool_example_report(), bad});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out, "");
    EXPECT_NE(broken.err.find("\n" + bad + ":3:3: error: "), std::string::npos) << broken.err;
    expect_only_messages(broken.err, "2 files: 1 good, 1 failed, 1 with warnings");
}

TEST(ToolOutput, MessagesQuotingTheReportAreEscapedAsTheTreeIs)
{
    // A name holding a terminal's control sequence ("ESC [ 2 J" clears the
    // screen; XML 1.1 lets a reference write it) reaches stderr in a
    // warning only escaped, and so does a file name holding one and a byte
    // that is not UTF-8. Well-formed UTF-8 stays as it is.
    TOOL_SCRATCH scratch;
    std::string file = scratch.write("names\x1b[2J\xff.xml",
                                     "<?xml version=\"1.1\"?><report><folders><root name=\"main\"/></folders>\n"
                                     "<text name=\"&#x1b;[2J\xc3\xa9\" parent=\"nowhere\"/></report>");
    TOOL_RUN run = tool_run({"--noout", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, scratch.dir() + "/names\\x1b[2J\\xff.xml:2:43: warning: text \"\\x1b[2J\xc3\xa9\" names the "
                                       "folder \"nowhere\", which was never declared: it is not placed\n");
}

TEST(ToolFiles, OneFailingFileDoesNotStopTheOthers)
{
    TOOL_SCRATCH scratch;
    std::string bad = scratch.write("bad.xml", MALFORMED);
    std::string missing = scratch.dir() + "/missing.xml";
    TOOL_RUN run = tool_run({"-v", tool_example_report(), missing, bad, tool_example_report()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(tool_count(run.out, "report, current folder \"main\"\n"), 2u);
    // A file that cannot be read is named as such, not only as a bad document.
    EXPECT_EQ(tool_count(run.err, missing + ": error: cannot read: No such file or directory\n"), 1u);
    expect_only_messages(run.err, "4 files: 2 good, 2 failed, 1 with warnings");
    // Each file was processed, in the order given.
    std::size_t at = 0;
    for (const std::string& said : {"Processing file: " + tool_example_report() + "\n", missing + ": error: ",
                                    "Processing file: " + bad + "\n", "Processing file: " + tool_example_report()}) {
        at = run.err.find(said, at);
        ASSERT_NE(at, std::string::npos) << said;
        ++at;
    }
    EXPECT_EQ(tool_run({"-q", tool_example_report(), tool_example_report()}).status, 0);
    EXPECT_EQ(tool_run({"-q", missing, missing}).status, 1);
}

TEST(ToolFiles, SeveralFilesEndWithACountOfTheGoodTheFailedAndTheWarned)
{
    // Good: a report, and its output written; with warnings: good or not.
    TOOL_SCRATCH scratch;
    std::string warned = scratch.write("warned.xml", "<report><folders><root name=\"main\"/><folder name=\"lost\"/>"
                                                     "</folders></report>\n");
    std::string bad = scratch.write("bad.xml", MALFORMED);
    std::string missing = scratch.dir() + "/missing.xml";
    TOOL_RUN run = tool_run({"--noout", tool_example_report(), warned, bad, missing});
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> lines = tool_lines(run.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "4 files: 2 good, 2 failed, 2 with warnings");
    EXPECT_EQ(tool_count(run.err, " files: "), 1u);

    // A page that cannot be written fails its file, which gave a report.
    scratch.write("pages/report.html/in-the-way", "");
    TOOL_RUN pages = tool_run({"--html", scratch.dir() + "/pages/", tool_example_report(), warned});
    EXPECT_EQ(pages.status, 1);
    EXPECT_EQ(pages.err.substr(pages.err.find("\n2 files: ") + 1), "2 files: 1 good, 1 failed, 1 with warnings\n")
        << pages.err;

    // One file says it all in its own lines; -q says nothing.
    EXPECT_EQ(tool_run({"--noout", warned}).err.find(" files: "), std::string::npos);
    EXPECT_EQ(tool_run({"-q", "--noout", tool_example_report(), warned, bad}).err, "");
}

TEST(ToolFiles, ADirectoryWithNoReportFileIsAnErrorNamingIt)
{
    // A mistyped or empty run directory must not pass as "every file was
    // good": it fails as a file that gives no report does, and the others
    // are still read.
    TOOL_SCRATCH scratch;
    scratch.write("runs/notes.txt", "not a report");
    std::string runs = scratch.dir() + "/runs";
    TOOL_RUN run = tool_run({"--json", runs, tool_example_report()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, runs + ": error: no report file below this directory (*.xml, *.xml.gz, *.xml.zst, *.xml.xz)\n"
                              "2 files: 1 good, 1 failed, 0 with warnings\n");
    EXPECT_EQ(tool_lines(run.out).size(), 2u) << run.out;
    EXPECT_EQ(tool_count(run.out, "{\"file\":" + std::string("\"") + runs + "\",\"report\":null}\n"), 1u) << run.out;
    EXPECT_EQ(tool_run({"-q", "--noout", runs}).status, 1);
    // A directory with a report below it is as before.
    scratch.write("runs/deep/r.xml", test_read_file(tool_example_report()));
    TOOL_RUN found = tool_run({"--noout", runs});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.err, "");
}

TEST(ToolFiles, StandardInputIsReadAsAStreamAndEndsOnceItFailed)
{
    // A report through a pipe, plain and compressed, reads as the file does.
    TOOL_SCRATCH scratch;
    std::string packed = scratch.write("report.xml.gz", gzip_bytes(test_read_file(tool_example_report())));
    std::string expected = tool_run({tool_example_report()}).out;
    for (const std::string& file : {tool_example_report(), packed}) {
        TOOL_RUN piped = tool_shell("cat " + tool_shell_quoted(file) + " | \"$RDBXML\" -");
        EXPECT_EQ(piped.status, 0) << piped.err;
        EXPECT_EQ(piped.out, expected) << file;
    }
    // A pipe that never ends, wrong from its first byte: the tool says so
    // and ends, its memory flat (a copy of all of it would outgrow the bound
    // within a second), as it does on a device that never ends.
    const std::string limits = tool_limits(10, 512);
    TOOL_RUN endless = tool_shell("yes | (" + limits + "\"$RDBXML\" -)");
    EXPECT_EQ(endless.status, 1);
    EXPECT_EQ(endless.err, "<stdin>:1:1: error: invalid document structure\n");
    TOOL_RUN zeros = tool_shell(limits + "\"$RDBXML\" /dev/zero");
    EXPECT_EQ(zeros.status, 1);
    EXPECT_EQ(zeros.err, "/dev/zero:1:1: error: invalid document structure\n/dev/zero:1:1: error: NUL character "
                         "(U+0000) at byte 0 of the document: XML allows it nowhere\n");
}

TEST(ToolFiles, JsonIsOneLinePerFileWithTheFileAsGiven)
{
    TOOL_SCRATCH scratch;
    // A name that JSON must escape.
    std::string odd = scratch.write("a \"quoted\\\" name.xml", "<report><folders><root name=\"r\"/></folders></report>");
    std::string missing = scratch.dir() + "/missing.xml";
    TOOL_RUN run = tool_run({"--json", tool_example_report(), missing, odd});
    EXPECT_EQ(run.status, 1);
    expect_only_messages(run.err, "3 files: 2 good, 1 failed, 0 with warnings");
    std::vector<std::string> lines = tool_lines(run.out);
    ASSERT_EQ(lines.size(), 3u);
    const std::string files[] = {tool_example_report(), missing, odd};
    const char* const main_folders[] = {"main", nullptr, "r"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        rapidjson::Document line;
        line.Parse(lines[i].c_str());
        ASSERT_TRUE(!line.HasParseError() && line.IsObject() && line.MemberCount() == 2u) << lines[i];
        EXPECT_STREQ(line.MemberBegin()->name.GetString(), "file");
        EXPECT_EQ(line["file"], files[i].c_str());
        const rapidjson::Value& report = line["report"];
        if (main_folders[i] == nullptr)
            EXPECT_TRUE(report.IsNull());
        else
            EXPECT_EQ(report["main_folder"]["name"], main_folders[i]) << lines[i];
    }
}

TEST(ToolFiles, EachJsonObjectsPathSelectsThatObjectAgain)
{
    // Handed back to --select, an object's path keeps that object: the one
    // of its duplicates, a name with '/' or '\\', a nested folder with all
    // it holds, a summary for its gauges. A table and a text of one name
    // share their path, and so both stay.
    const std::string file = RDBXML_TEST_DATA_DIR "/nested_paths.xml";
    TOOL_RUN whole = tool_run({"--json", file});
    ASSERT_EQ(whole.status, 0) << whole.err;
    rapidjson::Document report;
    report.Parse(whole.out.c_str());
    ASSERT_FALSE(report.HasParseError()) << whole.out;
    // Right after the kind and the name, before what differs by kind.
    EXPECT_NE(whole.out.find(R"({"kind":"folder","name":"deep","path":"main/timing/deep","creator":)"), std::string::npos)
        << whole.out;
    std::vector<JSON_PATH> paths;
    json_paths(report["report"]["main_folder"], paths);
    ASSERT_EQ(paths.size(), 14u);
    std::set<std::string> distinct;
    for (const JSON_PATH& object : paths) {
        distinct.insert(object.path);
        // What the path should keep: the objects of that path, and what the
        // folders of that path hold (every object here differs from the
        // others but in its path).
        std::set<std::string> expected, kept;
        for (const JSON_PATH& other : paths)
            if (!other.leaf.empty() && (other.path == object.path || other.path.rfind(object.path + "/", 0) == 0))
                expected.insert(other.leaf);
        TOOL_RUN selected = tool_run({"--json", "--select", object.path, file});
        ASSERT_EQ(selected.status, 0) << object.path << "\n" << selected.err;
        rapidjson::Document narrowed;
        narrowed.Parse(selected.out.c_str());
        std::vector<JSON_PATH> left;
        json_paths(narrowed["report"]["main_folder"], left);
        for (const JSON_PATH& other : left)
            if (!other.leaf.empty())
                kept.insert(other.leaf);
        EXPECT_EQ(kept, expected) << object.path;
    }
    // The table and the text "x" of one folder share theirs, and so do a
    // summary and its gauges.
    EXPECT_EQ(distinct.size(), 12u);
}

TEST(ToolFiles, JsonPathsOfTheObjectsOfOneFolderCostTimeLinearInThem)
{
    // A path found through the owners per object costs the objects before
    // it in its folder: minutes for these 200 000 texts of one name.
    std::string xml = "<report><folders><root name=\"main\"/></folders>";
    for (int i = 0; i < 200000; ++i)
        xml += "<text name=\"x\" parent=\"main\"/>";
    xml += "</report>";
    TOOL_SCRATCH scratch;
    std::string file = scratch.write("same_names.xml", xml);
    TOOL_RUN run = tool_shell(tool_limits(60, 2048) + "\"$RDBXML\" --json " + tool_shell_quoted(file) + " >" +
                              tool_shell_quoted(scratch.dir() + "/out.json") + " && tail -c 200 " +
                              tool_shell_quoted(scratch.dir() + "/out.json"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"path\":\"main/x[200000]\""), std::string::npos) << run.out;
}

TEST(ToolFiles, JsonPathsOfADeepChainGrowWithItsObjectsNotTheSquareOfItsDepth)
{
    // A path per object of a chain 30 000 deep would be 2 GB of JSON for
    // this 1 MB file: past 4096 bytes a path is null.
    TOOL_SCRATCH scratch;
    std::string file = scratch.write("chain.xml", rdb_bench_folder_chain(30000, true));
    std::string out = scratch.dir() + "/out.json";
    TOOL_RUN run = tool_shell(tool_limits(60, 1024) + "\"$RDBXML\" --json " + tool_shell_quoted(file) + " >" +
                              tool_shell_quoted(out) + " && wc -c <" + tool_shell_quoted(out));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_LT(std::stoul(run.out), 20000000ul);
    std::string json = test_read_file(out);
    EXPECT_NE(json.find("{\"kind\":\"text\",\"name\":\"deep\",\"path\":null,"), std::string::npos);
    EXPECT_NE(json.find("\"path\":\"main/f0/f1/f2\","), std::string::npos);

    // The limit to the byte: the paths of a folder and a summary of 4096
    // bytes are written, and the summary's gauges have the summary's; that
    // of the text in the folder is not written.
    std::string name(4091, 'n');
    file = scratch.write("long.xml", "<report><folders><root name=\"main\"/><folder name=\"" + name + "\"/></folders>"
                                     "<folder_ref name=\"" + name + "\" parent=\"main\"/>"
                                     "<text name=\"t\" parent=\"" + name + "\"/>"
                                     "<summary name=\"" + name + "\" parent=\"main\"><gauges><gauge name=\"g\"/></gauges>"
                                     "</summary></report>");
    run = tool_run({"--json", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(tool_count(run.out, "\"path\":\"main/" + name + "\","), 3u);
    EXPECT_NE(run.out.find("{\"kind\":\"text\",\"name\":\"t\",\"path\":null,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"gauges\":{\"name\":\"This name should not be observed\",\"path\":\"main/" + name +
                           "\","),
              std::string::npos) << run.out;
}

TEST(ToolParsing, StrictFailsAFileWithAnyWarningInEveryModeThatParses)
{
    // Passed over twice (a cell before any row, a folder never placed) and
    // the XML parser's own warning (an attribute declared twice).
    TOOL_SCRATCH scratch;
    std::string warned = scratch.write(
        "warned.xml",
        "<!DOCTYPE report [<!ATTLIST report a CDATA #IMPLIED><!ATTLIST report a CDATA #IMPLIED>]>\n"
        "<report><folders><root name=\"main\"/><folder name=\"lost\"/></folders>\n"
        "<table name=\"t\" parent=\"main\"><int_cell>1</int_cell><row/></table></report>\n");
    const std::string warnings = warned + ":1:71: warning: attribute 'a' has already been declared for element 'report'\n" +
                                 warned + ":3:41: warning: int_cell before any row: passed over\n" +
                                 warned + ":2:58: warning: Folder \"lost\" is declared but never placed\n";
    TOOL_RUN lenient = tool_run({"--json", warned});
    EXPECT_EQ(lenient.status, 0);
    EXPECT_EQ(lenient.err, warnings);

    // Refused, and said last; the other files are read as ever.
    TOOL_RUN strict = tool_run({"--strict", "--json", warned, tool_example_report()});
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.err, warnings + warned + ": error: strict: the report is refused for its 3 warnings\n" +
                              "2 files: 1 good, 1 failed, 1 with warnings\n");
    std::vector<std::string> lines = tool_lines(strict.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "{\"file\":\"" + warned + "\",\"report\":null}");
    EXPECT_EQ(lines[1] + "\n", tool_run({"--json", tool_example_report()}).out);
    // The parser's totals line is what it always is.
    TOOL_RUN verbose = tool_run({"-v", "--strict", "--noout", warned});
    EXPECT_NE(verbose.err.find("RDB_XML: Parsing resulted in 0 errors, 1 warning\n"), std::string::npos) << verbose.err;

    // Every output mode, and quiet: exit 1, no page, no table.
    for (const std::vector<std::string>& mode :
         {std::vector<std::string>{}, {"--noout"}, {"-q"}, {"--html", scratch.dir() + "/page.html"},
          {"--csv", scratch.dir() + "/tables/"}, {"--select", "main/t"}}) {
        std::vector<std::string> args = mode;
        args.insert(args.end(), {"--strict", warned});
        TOOL_RUN run = tool_run(args);
        std::string shown = mode.empty() ? "tree" : mode[0];
        EXPECT_EQ(run.status, 1) << shown;
        EXPECT_EQ(run.out, "") << shown;
        EXPECT_EQ(run.err.find("strict: the report is refused") == std::string::npos, mode == std::vector<std::string>{"-q"})
            << shown;
    }
    EXPECT_EQ(test_read_file(scratch.dir() + "/page.html"), "");
    EXPECT_EQ(test_read_file(scratch.dir() + "/tables/main/t.csv"), "");
    // A clean file passes as it would without.
    TOOL_RUN clean = tool_run({"--strict", tool_example_report()});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.err, "");
    EXPECT_EQ(clean.out, tool_run({tool_example_report()}).out);
}

TEST(ToolParsing, OptionsReachTheParser)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--schema", "Schema (true), Namespaces (true), Static Buffers (true), Dead Parser (false)"},
        {"--no-namespaces", "Schema (false), Namespaces (false), Static Buffers (true), Dead Parser (false)"},
        {"--dynamic-buffers", "Schema (false), Namespaces (true), Static Buffers (false), Dead Parser (false)"},
        {"--dead-parser", "Schema (false), Namespaces (true), Static Buffers (true), Dead Parser (true)"},
    };
    for (const auto& c : cases) {
        TOOL_RUN run = tool_run({"-v", c.first, "--noout", tool_example_report()});
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.err.find(std::string("RDB_XML: Parser configuration: ") + c.second + "\n"), std::string::npos)
            << run.err;
    }
    // The stream flag is taken, and the reading it stands for is the same.
    TOOL_RUN flagged = tool_run({"--stream-flag", "--json", tool_example_report()});
    EXPECT_EQ(flagged.status, 0) << flagged.err;
    EXPECT_EQ(flagged.out, tool_run({"--json", tool_example_report()}).out);
    // Validation decides: a well-formed file that breaks the schema reads
    // without it and fails with it.
    std::string invalid = RDBXML_TEST_DATA_DIR "/schema_two_errors.xml";
    EXPECT_EQ(tool_run({"-q", "--noout", invalid}).status, 0);
    EXPECT_EQ(tool_run({"-q", "--noout", "--schema", invalid}).status, 1);
    // The dead parser builds an empty report.
    TOOL_RUN dead = tool_run({"-q", "--json", "--dead-parser", tool_example_report()});
    EXPECT_NE(dead.out.find("\"report\":{\"main_folder\":null"), std::string::npos) << dead.out;
    // The hierarchy resolves the instance-name cells.
    const std::string resolved = "clk_core         2500  top/cpu/pll\n";
    EXPECT_NE(tool_run({"-q", "--hierarchy", tool_example_hierarchy(), tool_example_report()}).out.find(resolved),
              std::string::npos);
    EXPECT_EQ(tool_run({"-q", tool_example_report()}).out.find("top/cpu/pll"), std::string::npos);
}
