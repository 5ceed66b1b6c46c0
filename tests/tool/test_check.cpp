// rdbxml check as a CI job runs it: rules that hold and rules that break on
// real reports, the rows it lists, the exit statuses, the rules that are
// mistakes, files that cannot be read, several files at once, and the JUnit
// report.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tool_runner.h"

namespace {

// A report with what the rules ask of: setup slack shown in ns and in ps,
// an Fmax table shown in MHz, a table whose column name holds " : ", and a
// summary with a row "1,842" and gauges in percent, one of them flat.
const char* const CHECKED_REPORT = R"(<report>
  <folders name="design">
    <root name="main"/>
    <folder name="timing"/>
    <folder name="summaries"/>
  </folders>
  <folder_ref name="timing" parent="main"/>
  <folder_ref name="summaries" parent="main"/>
  <tan_slack_table name="Setup slack" parent="timing" analysis_type="1">
    <column id="0" type="slack"/><column id="1" type="from"/><column id="2" type="to"/>
    <row><string_cell>Slack</string_cell><string_cell>From</string_cell><string_cell>To</string_cell></row>
    <row><delay_cell><delay>SLACK_NS</delay><display_option>ns</display_option></delay_cell>
      <iname_cell>cpu/a_reg</iname_cell><iname_cell>cpu/b_reg</iname_cell></row>
    <row><delay_cell><delay>SLACK_PS</delay><display_option>ps</display_option></delay_cell>
      <iname_cell>mem/c_reg</iname_cell><iname_cell>cpu/b_reg</iname_cell></row>
  </tan_slack_table>
  <tan_spd_table name="Fmax" parent="timing">
    <row><string_cell>Clock</string_cell><string_cell>Fmax</string_cell></row>
    <row><string_cell>clk_core</string_cell>
      <delay_cell><delay>CORE_PS</delay><display_option>mhz</display_option></delay_cell></row>
    <row><string_cell>clk_mem</string_cell>
      <delay_cell><delay>4348</delay><display_option>mhz</display_option></delay_cell></row>
  </tan_spd_table>
  <table name="Ports" parent="main">
    <row><string_cell>Port</string_cell><string_cell>Drive : strength</string_cell></row>
    <row><string_cell>din</string_cell><int_cell>4</int_cell></row>
    <row><string_cell>dout</string_cell><int_cell>DRIVE</int_cell></row>
  </table>
  <summary name="Flow summary" parent="summaries">
    <element name="Status">Successful</element>
    <element name="Total registers">REGISTERS</element>
    <gauges>
      <gauge name="Logic elements" percent="true"><min>0</min><max>200</max><value>LOGIC</value></gauge>
      <gauge name="Flat" percent="true"><min>5</min><max>5</max><value>5</value></gauge>
    </gauges>
  </summary>
</report>
)";

// CHECKED_REPORT with its placeholders filled: by default every rule of
// these tests but the flat gauge's holds.
std::string checked_report(std::vector<std::pair<std::string, std::string>> values = {})
{
    std::vector<std::pair<std::string, std::string>> all = {{"SLACK_NS", "120"},  {"SLACK_PS", "310"},
                                                            {"CORE_PS", "2427"},  {"DRIVE", "6"},
                                                            {"REGISTERS", "1,842"}, {"LOGIC", "126"}};
    for (const auto& value : values)
        for (auto& slot : all)
            if (slot.first == value.first)
                slot.second = value.second;
    std::string xml = CHECKED_REPORT;
    for (const auto& slot : all)
        xml.replace(xml.find(slot.first), slot.first.size(), slot.second);
    return xml;
}

struct CASE {
    const char* m_rule;
    std::vector<std::pair<std::string, std::string>> m_holds;   // a report it holds on
    std::vector<std::pair<std::string, std::string>> m_breaks;  // one it breaks on
    const char* m_row;  // the row listed then, after "FILE: "
};

}  // namespace

TEST(ToolCheck, EachRuleHoldsOnOneReportAndBreaksOnAnotherListingTheRow)
{
    const CASE cases[] = {
        // Delays against ps and ns, whatever unit the cell shows.
        {"main/timing/Setup slack : Slack < 0ps", {}, {{"SLACK_NS", "-120"}},
         "main/timing/Setup slack: Slack = -0.120 ns (row 1: -0.120 ns, cpu/a_reg, cpu/b_reg)"},
        {"main/timing/Setup slack : Slack < -0.1ns", {{"SLACK_NS", "-90"}}, {{"SLACK_PS", "-101"}},
         "main/timing/Setup slack: Slack = -101 ps (row 2: -101 ps, mem/c_reg, cpu/b_reg)"},
        // A frequency, of the row the filter keeps only (clk_mem's 230 MHz
        // is below 400 MHz too).
        {"main/timing/Fmax : Fmax [Clock = clk_core] < 400MHz", {}, {{"CORE_PS", "2600"}},
         "main/timing/Fmax: Fmax = 384.6 MHz (row 1: clk_core, 384.6 MHz)"},
        // A gauge's percent of its range (126 of 0 to 200 is 63%).
        {"**/Flow summary : Logic elements > 90%", {}, {{"LOGIC", "190"}},
         "main/summaries/Flow summary: Logic elements = 95% (row 1: Logic elements, 190, 0 to 200)"},
        // A summary row's text read as a number with its thousands separator.
        {"**/Flow summary : Total registers >= 2,000", {}, {{"REGISTERS", "2,048"}},
         "main/summaries/Flow summary: Total registers = 2,048 (row 2: Total registers, 2,048)"},
        // An escaped " : " is part of the name.
        {"main/Ports : Drive\\ : strength > 8", {}, {{"DRIVE", "12"}},
         "main/Ports: Drive : strength = 12 (row 2: dout, 12)"},
    };
    TOOL_SCRATCH scratch;
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.m_rule);
        std::string holds = scratch.write("holds.xml", checked_report(c.m_holds));
        TOOL_RUN run = tool_run({"check", "--fail-if", c.m_rule, holds});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "");
        // -v names it.
        TOOL_RUN loud = tool_run({"check", "-v", "--fail-if", c.m_rule, holds});
        EXPECT_EQ(loud.status, 0);
        EXPECT_EQ(loud.out.rfind(holds + ": holds: " + c.m_rule + " (", 0), 0u) << loud.out;

        std::string breaks = scratch.write("breaks.xml", checked_report(c.m_breaks));
        TOOL_RUN broken = tool_run({"check", "--fail-if", c.m_rule, breaks});
        EXPECT_EQ(broken.status, 1);
        std::vector<std::string> lines = tool_lines(broken.out);
        ASSERT_EQ(lines.size(), 2u) << broken.out;
        EXPECT_EQ(lines[0].rfind(breaks + ": fails: " + c.m_rule + " (1 of ", 0), 0u) << lines[0];
        EXPECT_EQ(lines[1], breaks + ": " + c.m_row);
        EXPECT_EQ(broken.err, "");
    }
}

TEST(ToolCheck, AGaugeWithNoRangeHasNoPercentAndBreaksARuleInPercent)
{
    TOOL_SCRATCH scratch;
    std::string report = scratch.write("flat.xml", checked_report());
    TOOL_RUN run = tool_run({"check", "--fail-if", "**/Flow summary : Flat > 99%", report});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, report + ": fails: **/Flow summary : Flat > 99% (1 of 1 row)\n" + report +
                           ": main/summaries/Flow summary: Flat = 5 (5 to 5) (row 2: Flat, 5, 5 to 5)\n");
}

TEST(ToolCheck, TheWorstTenRowsAreListedAndTheRestCounted)
{
    // 25 paths, slack -1 ps ... -25 ps in a shuffled order, and one that meets timing.
    std::string rows;
    for (int i = 0; i < 25; ++i)
        rows += "<row><delay_cell><delay>-" + std::to_string((i * 7) % 25 + 1) +
                "</delay><display_option>ps</display_option></delay_cell><string_cell>p" + std::to_string(i) +
                "</string_cell></row>\n";
    rows += "<row><delay_cell><delay>5</delay></delay_cell><string_cell>ok</string_cell></row>\n";
    TOOL_SCRATCH scratch;
    std::string report = scratch.write(
        "many.xml", "<report><folders><root name=\"main\"/></folders><table name=\"Paths\" parent=\"main\">"
                    "<row><string_cell>Slack</string_cell><string_cell>Path</string_cell></row>\n" +
                        rows + "</table></report>\n");
    TOOL_RUN run = tool_run({"check", "--fail-if", "main/Paths : Slack < 0ps", report});
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> lines = tool_lines(run.out);
    ASSERT_EQ(lines.size(), 12u) << run.out;
    EXPECT_EQ(lines[0], report + ": fails: main/Paths : Slack < 0ps (25 of 26 rows)");
    for (int k = 0; k < 10; ++k)
        EXPECT_NE(lines[1 + k].find(": Slack = -" + std::to_string(25 - k) + " ps (row "), std::string::npos)
            << lines[1 + k];
    EXPECT_EQ(lines[11], report + ": ... and 15 more rows");
    // One more than are listed (-15 ps ... -25 ps), and as many.
    TOOL_RUN eleven = tool_run({"check", "--fail-if", "main/Paths : Slack < -14ps", report});
    lines = tool_lines(eleven.out);
    ASSERT_EQ(lines.size(), 12u) << eleven.out;
    EXPECT_EQ(lines[11], report + ": ... and 1 more row");
    TOOL_RUN ten = tool_run({"check", "--fail-if", "main/Paths : Slack < -15ps", report});
    lines = tool_lines(ten.out);
    ASSERT_EQ(lines.size(), 11u) << ten.out;
    EXPECT_EQ(lines[10], report + ": main/Paths: Slack = -16 ps (row 21: -16 ps, p20)");
}

TEST(ToolCheck, RulesComeFromTheCommandLineAndFromFiles)
{
    TOOL_SCRATCH scratch;
    std::string report = scratch.write("r.xml", checked_report({{"SLACK_NS", "-120"}, {"LOGIC", "190"}}));
    std::string rules = scratch.write("ci.rules", "# the sign-off rules\n"
                                                  "\n"
                                                  "   main/timing/Setup slack : Slack < 0ps  \r\n"
                                                  "  # a comment after blanks\n"
                                                  "**/Flow summary : Logic elements > 90%\n");
    TOOL_RUN run = tool_run({"check", "--rules", rules, "--fail-if", "main/Ports : Drive\\ : strength > 100", report});
    EXPECT_EQ(run.status, 1) << run.err;
    // The rules in order: --fail-if, then the file's.
    std::vector<std::string> fails;
    for (const std::string& line : tool_lines(run.out))
        if (line.find(": fails: ") != std::string::npos)
            fails.push_back(line.substr(line.find(": fails: ") + 9));
    ASSERT_EQ(fails.size(), 2u) << run.out;
    EXPECT_EQ(fails[0].rfind("main/timing/Setup slack : Slack < 0ps (", 0), 0u);
    EXPECT_EQ(fails[1].rfind("**/Flow summary : Logic elements > 90% (", 0), 0u);
    TOOL_RUN loud = tool_run({"check", "-v", "--rules", rules, "--fail-if", "main/Ports : Drive\\ : strength > 100", report});
    EXPECT_EQ(loud.out.rfind(report + ": holds: main/Ports : Drive\\ : strength > 100 (2 rows)\n", 0), 0u) << loud.out;
}

TEST(ToolCheckUsage, ARuleThatIsWrongIsAUsageErrorNamingIt)
{
    TOOL_SCRATCH scratch;
    std::string report = scratch.write("r.xml", checked_report({{"SLACK_NS", "-120"}}));
    struct WRONG {
        std::vector<std::string> args;
        std::string err;  // all of stderr
    };
    std::string rules = scratch.write("bad.rules", "# ok so far\nmain/a : x < 1\n\nmain/b : Slack <\n");
    const WRONG cases[] = {
        {{}, "rdbxml check: no rule: give --fail-if RULE or --rules FILE (see rdbxml check --help)\n"},
        {{"--fail-if", "main/timing/Setup slack: Slack < 0ps"},
         "rdbxml check: --fail-if main/timing/Setup slack: Slack < 0ps: no ' : ' between the path and the name (see "
         "rdbxml check --help)\n"},
        {{"--rules", rules},
         "rdbxml check: " + rules + ":4: main/b : Slack <: no value after the operator (see rdbxml check --help)\n"},
        {{"--rules", scratch.dir() + "/none.rules"},
         "rdbxml check: --rules " + scratch.dir() + "/none.rules: cannot read: No such file or directory (see rdbxml "
                                                     "check --help)\n"},
        // Read, and found to be a mistake in every file.
        {{"--fail-if", "main/timing/Setup slak : Slack < 0ps"},
         "rdbxml check: main/timing/Setup slak : Slack < 0ps: main/timing/Setup slak matches no object in any file\n"},
        {{"--fail-if", "main/timing/* : Slak < 0ps"},
         "rdbxml check: main/timing/* : Slak < 0ps: no object main/timing/* matches has Slak in any file\n"},
        {{"--fail-if", "main/timing/Fmax : Fmax [Clk = clk_core] < 400MHz"},
         "rdbxml check: main/timing/Fmax : Fmax [Clk = clk_core] < 400MHz: no object main/timing/Fmax matches has "
         "Fmax and Clk in any file\n"},
    };
    for (const WRONG& c : cases) {
        std::vector<std::string> args = {"check"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(report);
        TOOL_RUN run = tool_run(args);
        SCOPED_TRACE(run.err);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, c.err);
    }
    // A value that does not fit what the name finds: said with the object.
    for (const char* misfit : {"main/timing/Setup slack : Slack < 0", "main/timing/Setup slack : Slack > 90%",
                               "main/Ports : Drive\\ : strength > 5ns"}) {
        TOOL_RUN run = tool_run({"check", "--fail-if", misfit, report});
        EXPECT_EQ(run.status, 2) << misfit;
        std::vector<std::string> lines = tool_lines(run.err);
        ASSERT_EQ(lines.size(), 1u) << run.err;
        EXPECT_EQ(lines[0].rfind("rdbxml check: " + std::string(misfit) + ": main/", 0), 0u) << lines[0];
    }
}

TEST(ToolCheckUsage, ARuleThatFindsNothingInOneFileButInAnotherIsAWarningThere)
{
    TOOL_SCRATCH scratch;
    std::string full = scratch.write("full.xml", checked_report({{"SLACK_NS", "-120"}}));
    std::string bare = scratch.write("bare.xml", "<report><folders><root name=\"main\"/></folders>"
                                                 "<table name=\"Ports\" parent=\"main\"><row><string_cell>Port"
                                                 "</string_cell></row></table></report>\n");
    TOOL_RUN run = tool_run({"check", "-j", "2", "--fail-if", "main/timing/Setup slack : Slack < 0ps", "--fail-if",
                             "main/Ports : Drive\\ : strength > 5", bare, full});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, bare + ": warning: main/timing/Setup slack : Slack < 0ps: main/timing/Setup slack matches no "
                              "object in this file\n" +
                           bare + ": warning: main/Ports : Drive\\ : strength > 5: no object main/Ports matches has "
                                  "Drive : strength in this file\n"
                                  "2 files: 1 good, 1 failed, 1 with warnings\n");
    EXPECT_EQ(tool_count(run.out, ": fails: "), 2u) << run.out;
    // Quiet: no warning, no count; the status is the same.
    TOOL_RUN quiet = tool_run({"check", "-q", "--fail-if", "main/timing/Setup slack : Slack < 0ps", bare, full});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.err, "");
    // The file that lacks it alone passes.
    TOOL_RUN alone = tool_run({"check", "--fail-if", "main/timing/Setup slack : Slack < 0ps", bare,
                               scratch.write("good.xml", checked_report())});
    EXPECT_EQ(alone.status, 0) << alone.err;
    std::vector<std::string> lines = tool_lines(alone.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "2 files: 2 good, 0 failed, 1 with warnings");
}

TEST(ToolCheckFiles, AFileThatGivesNoReportFailsAndTheOthersAreChecked)
{
    TOOL_SCRATCH scratch;
    std::string good = scratch.write("good.xml", checked_report());
    std::string missing = scratch.dir() + "/missing.xml";
    std::string bad = scratch.write("bad.xml", "<report>\n  <table name=\"t\">\n</report>\n");
    const char* const rule = "main/timing/Setup slack : Slack < 0ps";
    TOOL_RUN run = tool_run({"check", "--fail-if", rule, missing, good, bad});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    // As the main tool prints them, then the count.
    TOOL_RUN plain = tool_run({"--noout", missing, good, bad});
    EXPECT_EQ(run.err, plain.err.substr(0, plain.err.rfind("3 files")) + "3 files: 1 good, 2 failed, 1 with warnings\n");
    // No file read: not a rule's fault.
    TOOL_RUN none = tool_run({"check", "--fail-if", rule, missing});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, missing + ": error: cannot read: No such file or directory\n");
}

TEST(ToolCheckFiles, StrictRefusesAFileWithAnyWarning)
{
    TOOL_SCRATCH scratch;
    std::string report = checked_report();
    // A folder declared and never placed: a warning.
    report.replace(report.find("<folder name=\"summaries\"/>"), 0, "<folder name=\"lost\"/>");
    std::string warned = scratch.write("warned.xml", report);
    const char* const rule = "main/timing/Setup slack : Slack < 0ps";
    TOOL_RUN lenient = tool_run({"check", "--fail-if", rule, warned});
    EXPECT_EQ(lenient.status, 0);
    EXPECT_NE(lenient.err.find(": warning: "), std::string::npos);
    TOOL_RUN strict = tool_run({"check", "--strict", "--fail-if", rule, warned});
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.err, lenient.err + warned + ": error: strict: the report is refused for its 1 warning\n");
}

TEST(ToolCheckFiles, SeveralFilesAreReportedInTheirOrderAndCounted)
{
    TOOL_SCRATCH scratch;
    std::vector<std::string> args = {"check", "-j", "2", "--fail-if", "main/timing/Setup slack : Slack < 0ps"};
    std::string expected;
    for (int i = 0; i < 8; ++i) {
        bool breaks = i % 3 == 1;
        std::string file = scratch.write("run" + std::to_string(i) + ".xml",
                                         checked_report({{"SLACK_NS", breaks ? "-" + std::to_string(i) : "1"}}));
        args.push_back(file);
        if (breaks)
            expected += file + ": fails: main/timing/Setup slack : Slack < 0ps (1 of 2 rows)\n" + file +
                        ": main/timing/Setup slack: Slack = -0.00" + std::to_string(i) + " ns (row 1: -0.00" +
                        std::to_string(i) + " ns, cpu/a_reg, cpu/b_reg)\n";
    }
    TOOL_RUN run = tool_run(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, "8 files: 5 good, 3 failed, 0 with warnings\n");
    args.insert(args.begin() + 1, "-q");
    TOOL_RUN quiet = tool_run(args);
    EXPECT_EQ(quiet.out, expected);
    EXPECT_EQ(quiet.err, "");
}

TEST(ToolCheckJunit, WrittenToAFileStandardOutputOrAFifo)
{
    TOOL_SCRATCH scratch;
    std::string report = scratch.write("r.xml", checked_report({{"SLACK_NS", "-120"}}));
    const char* const rule = "main/timing/Setup slack : Slack < 0ps";
    // A file there is replaced whole.
    std::string junit = scratch.write("junit.xml", std::string(100000, 'x'));
    TOOL_RUN run = tool_run({"check", "--junit", junit, "--fail-if", rule, report});
    EXPECT_EQ(run.status, 1);
    std::string written = test_read_file(junit);
    EXPECT_EQ(written.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites", 0), 0u) << written;
    EXPECT_NE(written.find("</testsuites>\n"), std::string::npos);
    EXPECT_EQ(written.size(), written.find("</testsuites>\n") + 14);
    // The rows still on stdout.
    EXPECT_EQ(tool_count(run.out, ": fails: "), 1u);

    // -: standard output holds the document alone.
    TOOL_RUN out = tool_run({"check", "--junit", "-", "--fail-if", rule, report});
    EXPECT_EQ(out.status, 1);
    EXPECT_EQ(out.out, written);

    // A FIFO is written through, and stays one (its reader bounded, should
    // the tool replace it and leave the reader waiting).
    TOOL_RUN fifo = tool_shell("cd " + tool_shell_quoted(scratch.dir()) + " && mkfifo pipe && { timeout 60 cat pipe > got & " +
                               "\"$RDBXML\" check --junit pipe --fail-if " + tool_shell_quoted(rule) + " " +
                               tool_shell_quoted(report) + " >/dev/null; echo $?; wait; test -p pipe && echo fifo; }");
    EXPECT_EQ(fifo.out, "1\nfifo\n") << fifo.err;
    EXPECT_EQ(test_read_file(scratch.dir() + "/got"), written);

    // Standard output closed.
    TOOL_RUN closed = tool_shell("\"$RDBXML\" check --junit - --fail-if 'main/timing/Setup slack : Slack < -1ns' " +
                                 tool_shell_quoted(report) + " >&-");
    EXPECT_EQ(closed.status, 1);
    EXPECT_EQ(closed.err, "rdbxml: cannot write standard output: Bad file descriptor\n");
}

TEST(ToolCheckJunit, AFailedWriteIsSaidNamingTheFileEvenWhenEveryRuleHeld)
{
    // A full device of the test's own: were it replaced, the system's
    // would be lost.
    TOOL_SCRATCH scratch;
    std::string report = scratch.write("r.xml", checked_report());
    std::string device = scratch.dir() + "/full";
    std::string why = tool_make_device(device, "/dev/full");
    if (!why.empty())
        GTEST_SKIP() << why;
    for (const char* quiet : {"-v", "-q"}) {
        TOOL_RUN full =
            tool_run({"check", quiet, "--junit", device, "--fail-if", "main/timing/Setup slack : Slack < 0ps", report});
        EXPECT_EQ(full.status, 1) << quiet;
        EXPECT_EQ(full.err, "rdbxml check: cannot write " + device + ": No space left on device\n") << quiet;
    }
}
