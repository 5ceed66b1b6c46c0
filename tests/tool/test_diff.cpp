// rdbxml diff as a person runs it: the changes of a pair of reports with
// an edit of every kind as text and as JSON lines, the exit statuses of
// diff(1), and the options that narrow the changes.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rdb_bench_reports.h"
#include "tool_runner.h"

namespace {

const std::string OLD = RDBXML_TEST_DATA_DIR "/diff_old.xml";
const std::string NEW = RDBXML_TEST_DATA_DIR "/diff_new.xml";

// The file lines name the files as given.
std::string expected_text()
{
    return "--- " + OLD + "\n+++ " + NEW + "\n" +
        "@@ main/f/t (text) @@\n"
        "~ text: \"one\" -> \"two\"\n"
        "@@ main/f/gone (text) @@\n"
        "- removed\n"
        "@@ main/f/k (text) @@\n"
        "~ kind: table -> text\n"
        "@@ main/f/new (text) @@\n"
        "+ added\n"
        "@@ main/cells (table, rows keyed by Name) @@\n"
        "~ creator: \"x\" -> \"y\"\n"
        "~ enabled: true -> false\n"
        "+ header: \"H\"\n"
        "- footer: \"F\"\n"
        "~ title of column 2: \"Count\" -> \"Total\"\n"
        "+ title of column 5: \"Extra\"\n"
        "~ row \"a\", column \"Name\", foreground: #0000ff -> #008000\n"
        "~ row \"a\", column \"Total\": 1 -> 3 (+2)\n"
        "~ row \"a\", column \"Delay\": 100 ps -> 112 ps (+12 ps)\n"
        "~ row \"a\", column \"Inst\": \"u/x\" -> \"u/z\"\n"
        "+ row \"a\", column \"Extra\": \"more\"\n"
        "+ row \"b\", column \"Name\", foreground: #ff0000\n"
        "~ row \"b\", column \"Total\", kind: int 2 -> string \"2\"\n"
        "~ row \"b\", column \"Delay\", unit: 100 ps -> 0.100 ns\n"
        "- row \"b\", column \"Inst\", background: #ffffcc\n"
        "- row \"c\": c | 3\n"
        "+ row \"d\": d | 4\n"
        "- row \"e\", column \"Inst\": \"u/e\"\n"
        "@@ main/bypos (table, rows keyed by column 2) @@\n"
        "- row \"y\": 1 | y\n"
        "+ row \"w\": 1 | w\n"
        "@@ main/s (summary, rows keyed by column 1) @@\n"
        "~ row \"Status\", column 2: \"ok\" -> \"bad\"\n"
        "@@ main/s (gauges, gauges by name) @@\n"
        "~ gauge \"g1\", value: 5 -> 7 (+2)\n"
        "~ gauge \"g1\", min: 0 -> 1 (+1)\n"
        "~ gauge \"g1\", max: 10 -> 20 (+10)\n"
        "~ gauge \"g1\", percent: false -> true\n"
        "~ gauge \"g1\", disabled: false -> true\n"
        "- gauge \"g2\": 1 (0 to 10)\n"
        "+ gauge \"g3\": 2 (0 to 4)\n"
        "@@ main/c (chart, points by label) @@\n"
        "~ chart_type: bar -> line\n"
        "~ x_axis: \"X\" -> \"X2\"\n"
        "~ y_axis: \"Y\" -> \"Y2\"\n"
        "~ point \"p1\": 4 -> 6 (+2)\n"
        "- point \"p2\": 9\n"
        "+ point \"p3\": 1\n"
        "@@ main/e (embedded) @@\n"
        "~ info: \"i1\" -> \"i2\"\n"
        "~ embedded_type: image -> html\n"
        "@@ main/w (waveform) @@\n"
        "~ source_vector: \"s1\" -> \"s2\"\n"
        "~ result_vector: \"r1\" -> \"r2\"\n"
        "~ compare: true -> false\n";
}

// --stat of the pair: one line per object, then the totals.
const char* const STAT_TEXT =
    " main/f/t (text)    | 1 ~1\n"
    " main/f/gone (text) | removed\n"
    " main/f/k (text)    | 1 ~1\n"
    " main/f/new (text)  | added\n"
    " main/cells (table) | 14 ~7 +4 -3\n"
    " main/bypos (table) | 2 +1 -1\n"
    " main/s (summary)   | 1 ~1\n"
    " main/s (gauges)    | 7 ~5 +1 -1\n"
    " main/c (chart)     | 6 ~4 +1 -1\n"
    " main/e (embedded)  | 2 ~2\n"
    " main/w (waveform)  | 3 ~3\n"
    "11 objects changed: 1 added, 1 removed, 0 renamed, 37 changes (4 style-only not listed)\n";

}  // namespace

TEST(ToolDiff, EveryKindOfEditInTextAndJson)
{
    TOOL_RUN text = tool_run({"diff", "--styles", OLD, NEW});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, "");
    EXPECT_EQ(text.out, expected_text());

    TOOL_RUN json = tool_run({"diff", "--styles", "--json", OLD, NEW});
    EXPECT_EQ(json.status, 1);
    // One object per change, as many as the text has changes (the
    // comparison's own tests list each change with all its fields).
    std::vector<std::string> lines = tool_lines(json.out);
    EXPECT_EQ(lines.size(), tool_count(expected_text(), "\n~ ") + tool_count(expected_text(), "\n+ ") +
                                tool_count(expected_text(), "\n- "));
    for (const std::string& line : lines) {
        rapidjson::Document change;
        change.Parse(line.c_str());
        EXPECT_TRUE(change.IsObject() && change.HasMember("kind")) << line;
    }
    // One line of each shape: an object, a cell by key, a row by a key column, a
    // delay with its difference in ps, a gauge's field.
    for (const char* expected : {
        R"({"kind":"object_removed","path":"main/f/gone","object_kind":"text","match":null,"old":null,"new":null})",
        R"({"kind":"object_added","path":"main/f/new","object_kind":"text","match":null,"old":null,"new":null})",
        R"({"kind":"cell_value","path":"main/cells","object_kind":"table","match":"key","key_columns":"Name","index":1,"key":"a","column":2,"column_title":"Delay","old_type":"delay","new_type":"delay","old":"100 ps","new":"112 ps","difference":12,"unit":"ps"})",
        R"({"kind":"row_removed","path":"main/bypos","object_kind":"table","match":"key","key_columns":"column 2","index":2,"key":"y","old":"1 | y","new":null})",
        R"({"kind":"gauge_field","path":"main/s","object_kind":"gauges","match":"key","index":1,"key":"g1","field":"disabled","old":"false","new":"true"})"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
}

TEST(ToolDiff, ARenamedTableIsOneObjectWithItsChanges)
{
    // Nine rows of ten equal: the table "Old/name" became "New name". The
    // record names each by its last path step, quoted as the tree quotes.
    TOOL_SCRATCH scratch;
    auto report = [](const std::string& name, int last) {
        std::string rows;
        for (int i = 0; i < 10; ++i)
            rows += "<row><string_cell>r" + std::to_string(i) + "</string_cell><int_cell>" +
                    std::to_string(i == 9 ? last : i) + "</int_cell></row>";
        return "<report><folders><root name=\"main\"/></folders><table name=\"" + name + "\" parent=\"main\">" +
               "<row><string_cell>Key</string_cell><string_cell>Value</string_cell></row>" + rows +
               "</table></report>";
    };
    std::string old_file = scratch.write("old.xml", report("Old/name", 9));
    std::string new_file = scratch.write("new.xml", report("New name", 90));
    TOOL_RUN text = tool_run({"diff", old_file, new_file});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, "--- " + old_file + "\n+++ " + new_file + "\n@@ main/New name (table, rows keyed by Key) @@\n" +
                            "~ renamed: \"Old\\\\/name\" -> \"New name\"\n" +
                            "~ row \"r9\", column \"Value\": 9 -> 90 (+81)\n");
    TOOL_RUN json = tool_run({"diff", "--json", old_file, new_file});
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(tool_lines(json.out).front(),
              R"({"kind":"object_renamed","path":"main/New name","object_kind":"table","match":"key","key_columns":"Key",)"
              R"("old":"Old\\/name","new":"New name"})");
}

TEST(ToolDiff, ExitStatusAsDiffsAndMessagesAsTheTools)
{
    TOOL_SCRATCH scratch;
    TOOL_RUN same = tool_run({"diff", OLD, OLD});
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out + same.err, "");

    std::string broken = scratch.write("broken.xml", "<report>\n  <text name=\"a\">\n</report>\n");
    TOOL_RUN bad = tool_run({"diff", OLD, broken});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find(broken + ":3:3: error: expected end of tag 'text'\n"), std::string::npos) << bad.err;
    TOOL_RUN missing = tool_run({"diff", scratch.dir() + "/missing.xml", OLD});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("missing.xml: error: cannot read: No such file"), std::string::npos) << missing.err;
    TOOL_RUN quiet = tool_run({"diff", "-q", broken, NEW});
    EXPECT_EQ(quiet.status, 2);
    EXPECT_EQ(quiet.err, "");
    for (const std::vector<std::string>& usage :
         {std::vector<std::string>{"diff", OLD}, {"diff", "--bogus", OLD, NEW}, {"diff", "--json", "--html", "x", OLD, NEW},
          {"diff", "--select", "a\\", OLD, NEW}}) {
        TOOL_RUN run = tool_run(usage);
        EXPECT_EQ(run.status, 2) << usage[1];
        EXPECT_EQ(tool_lines(run.err).size(), 1u) << run.err;
    }
    TOOL_RUN help = tool_run({"diff", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--ignore-colours"), std::string::npos);

    // Standard input stands for either file.
    EXPECT_EQ(tool_shell("\"$RDBXML\" diff - " + tool_shell_quoted(OLD) + " < " + tool_shell_quoted(OLD)).status, 0);
    TOOL_RUN piped = tool_shell("cat " + tool_shell_quoted(NEW) + " | \"$RDBXML\" diff " + tool_shell_quoted(OLD) + " -");
    EXPECT_EQ(piped.status, 1) << piped.err;
    std::string from_file = tool_run({"diff", OLD, NEW}).out;
    EXPECT_EQ(piped.out, from_file.replace(from_file.find("+++ ") + 4, std::string(NEW).size(), "-"));
}

TEST(ToolDiff, SelectAndStylesNarrowTheChanges)
{
    // Without --styles the three colour changes and the unit change are not
    // listed; --ignore-colours is accepted and changes nothing.
    for (const char* flag : {"--quiet", "--ignore-colours"}) {
        TOOL_RUN plain = tool_run({"diff", flag, OLD, NEW});
        EXPECT_EQ(plain.status, 1);
        EXPECT_EQ(tool_count(plain.out, "\n"), tool_count(expected_text(), "\n") - 4);
        EXPECT_EQ(plain.out.find("ground: "), std::string::npos);
        EXPECT_EQ(plain.out.find(", unit: "), std::string::npos);
    }

    TOOL_RUN selected = tool_run({"diff", "--select", "main/f/*", "--select", "main/w", OLD, NEW});
    EXPECT_EQ(selected.status, 1);
    EXPECT_EQ(tool_lines(selected.out),
              (std::vector<std::string>{"--- " + OLD, "+++ " + NEW, "@@ main/f/t (text) @@", "~ text: \"one\" -> \"two\"",
                                        "@@ main/f/gone (text) @@", "- removed", "@@ main/f/k (text) @@",
                                        "~ kind: table -> text", "@@ main/f/new (text) @@", "+ added",
                                        "@@ main/w (waveform) @@", "~ source_vector: \"s1\" -> \"s2\"",
                                        "~ result_vector: \"r1\" -> \"r2\"", "~ compare: true -> false"}));
    EXPECT_EQ(tool_run({"diff", "--select", "main/bypos", OLD, OLD}).status, 0);
    // A pattern that selects nothing in either report compares nothing: a
    // mistake, not "no differences". One that selects in one report only
    // selects what was added or removed.
    TOOL_RUN typo = tool_run({"diff", "--select", "main/bypos", "--select", "main/f/T", OLD, NEW});
    EXPECT_EQ(typo.status, 2);
    EXPECT_EQ(typo.out, "");
    EXPECT_EQ(typo.err, "rdbxml diff: --select main/f/T matches no object in either report\n");
    EXPECT_EQ(tool_run({"diff", "-q", "--select", "main/nothing", OLD, OLD}).status, 2);
    TOOL_RUN one_side = tool_run({"diff", "--select", "main/f/new", OLD, NEW});
    EXPECT_EQ(one_side.status, 1);
    EXPECT_EQ(tool_lines(one_side.out).back(), "+ added");
}

TEST(ToolDiff, StrictRefusesAFileWithAnyWarning)
{
    TOOL_SCRATCH scratch;
    std::string warned =
        scratch.write("warned.xml", test_read_file(OLD).insert(test_read_file(OLD).rfind("</report>"),
                                                              "<text name=\"x\" parent=\"nowhere\"/>"));
    TOOL_RUN lenient = tool_run({"diff", warned, OLD});
    EXPECT_EQ(lenient.status, 0) << lenient.err;
    EXPECT_EQ(tool_count(lenient.err, ": warning: "), 1u) << lenient.err;
    TOOL_RUN strict = tool_run({"diff", "--strict", warned, OLD});
    EXPECT_EQ(strict.status, 2);
    EXPECT_EQ(strict.out, "");
    EXPECT_EQ(strict.err, lenient.err + warned + ": error: strict: the report is refused for its 1 warning\n");
    EXPECT_EQ(tool_run({"diff", "--strict", OLD, NEW}).status, 1);
}

TEST(ToolDiff, LinesAboutFilesOrReportTextAreEscapedAsTheTreeIs)
{
    // A file name, an object path, a key and a value holding a terminal's
    // control sequence ("ESC [ 2 J" clears the screen), in the changes, in
    // a file's warning, and in the tool's own lines about a pattern or an
    // output it cannot write.
    TOOL_SCRATCH scratch;
    const std::string esc = "\x1b[2J", shown = "\\x1b[2J";
    const std::string body = "<?xml version=\"1.1\"?><report><folders><root name=\"m&#x1b;[2J\"/></folders>"
                             "<table name=\"T\" parent=\"m&#x1b;[2J\"><row><string_cell>Key</string_cell>"
                             "<string_cell>Value</string_cell></row><row><string_cell>k</string_cell>"
                             "<string_cell>VALUE&#x1b;[2J</string_cell></row></table>"
                             "<text name=\"x&#x1b;[2J\" parent=\"n&#x1b;[2J\"/></report>";
    std::string old_file = scratch.write("old" + esc + ".xml", body);
    std::string new_file = scratch.write("new.xml", std::string(body).replace(body.find("VALUE"), 5, "OTHER"));
    const std::string old_shown = scratch.dir() + "/old" + shown + ".xml";
    TOOL_RUN text = tool_run({"diff", old_file, new_file});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, "--- " + old_shown + "\n+++ " + new_file + "\n@@ m" + shown + "/T (table, rows keyed by Key) @@\n" +
                            "~ row \"k\", column \"Value\": \"VALUE" + shown + "\" -> \"OTHER" + shown + "\"\n");
    EXPECT_EQ(text.err, old_shown + ":1:316: warning: text \"x" + shown + "\" names the folder \"n" + shown +
                            "\", which was never declared: it is not placed\n" + new_file +
                            ":1:316: warning: text \"x" + shown + "\" names the folder \"n" + shown +
                            "\", which was never declared: it is not placed\n");
    TOOL_RUN json = tool_run({"diff", "-q", "--json", old_file, new_file});
    EXPECT_EQ(json.out.find(esc), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("m\\u001B[2J/T"), std::string::npos) << json.out;

    TOOL_RUN pattern = tool_run({"diff", "-q", "--select", "a" + esc, old_file, new_file});
    EXPECT_EQ(pattern.status, 2);
    EXPECT_EQ(pattern.err, "rdbxml diff: --select a" + shown + " matches no object in either report\n");
    TOOL_RUN malformed = tool_run({"diff", "--select", "a" + esc + "\\", OLD, NEW});
    EXPECT_EQ(malformed.err, "rdbxml diff: --select a" + shown +
                                 "\\: the pattern ends in a lone backslash (see rdbxml diff --help)\n");
    TOOL_RUN unwritable = tool_run({"diff", "-q", "--html", scratch.dir() + "/no" + esc + "/page.html", OLD, NEW});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_EQ(unwritable.err,
              "rdbxml: cannot write " + scratch.dir() + "/no" + shown + "/page.html: No such file or directory\n");
}

TEST(ToolDiff, AFolderChainThirtyThousandDeepComparesInMemoryOfItsSize)
{
    // Each object's path is as long as its depth: a path kept per object
    // would hold the sum of all depths, gigabytes for this 2 MB file.
    TOOL_SCRATCH scratch;
    std::string chain = rdb_bench_folder_chain(30000, true);
    std::string file = scratch.write("chain.xml", chain);
    std::string edited = chain;
    edited.replace(edited.find("name=\"deep\""), 11, "name=\"deep\" creator=\"x\"");
    std::string other = scratch.write("edited.xml", edited);
    const std::string limits = tool_limits(60, 1024);

    TOOL_RUN same = tool_shell(limits + "\"$RDBXML\" diff " + tool_shell_quoted(file) + " " + tool_shell_quoted(file));
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(same.err, "");

    // The one change, under the whole path of the object at the bottom.
    std::string path = "main";
    for (int i = 0; i < 30000; ++i)
        path += "/f" + std::to_string(i);
    TOOL_RUN changed =
        tool_shell(limits + "\"$RDBXML\" diff " + tool_shell_quoted(file) + " " + tool_shell_quoted(other));
    EXPECT_EQ(changed.status, 1) << changed.err;
    EXPECT_TRUE(changed.out == "--- " + file + "\n+++ " + other + "\n@@ " + path + "/deep (text) @@\n" +
                                   "~ creator: \"\" -> \"x\"\n")
        << changed.out.substr(0, 300);

    // A table in every folder of the chain, each keyed by a --key: finding
    // the tables a key selects, and comparing each, costs its own step, not
    // its whole path (which took 7 s of CPU here when each table's path was
    // spelled out, against half a second).
    std::string tables = chain;
    std::string rows;
    for (int i = 0; i < 30000; ++i)
        rows += "<table name=\"t\" parent=\"f" + std::to_string(i) + "\"><row><string_cell>" + std::to_string(i) +
                "</string_cell></row></table>";
    tables.insert(tables.rfind("</report>"), rows);
    std::string keyed_file = scratch.write("tables.xml", tables);
    TOOL_RUN keyed = tool_shell(tool_limits(4, 1024) + "\"$RDBXML\" diff --key '**/t : 1' " + tool_shell_quoted(keyed_file) + " " +
                                tool_shell_quoted(keyed_file));
    EXPECT_EQ(keyed.status, 0) << keyed.err.substr(0, 300);
    EXPECT_EQ(keyed.out + keyed.err, "");
}

namespace {

// A report of one table, the heading row then the rows given, each cell a
// string but a "ps:"/"ns:" cell, which is a delay of those picoseconds
// shown in that unit.
std::string one_table(const std::string& name, const std::vector<std::vector<std::string>>& rows)
{
    std::string xml = "<?xml version=\"1.1\"?><report><folders><root name=\"main\"/></folders><table name=\"" + name + "\" parent=\"main\">";
    for (const std::vector<std::string>& row : rows) {
        xml += "<row>";
        for (const std::string& cell : row) {
            if (cell.rfind("ps:", 0) == 0 || cell.rfind("ns:", 0) == 0)
                xml += "<delay_cell><delay>" + cell.substr(3) + "</delay><display_option>" + cell.substr(0, 2) +
                    "</display_option></delay_cell>";
            else
                xml += "<string_cell>" + cell + "</string_cell>";
        }
        xml += "</row>";
    }
    return xml + "</table></report>\n";
}

// The text without the terminal's colour sequences (ESC [ digits m).
std::string without_colours(const std::string& text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x1b' && i + 1 < text.size() && text[i + 1] == '[') {
            std::size_t end = text.find_first_not_of("0123456789;", i + 2);
            if (end != std::string::npos && text[end] == 'm') {
                i = end;
                continue;
            }
        }
        plain += text[i];
    }
    return plain;
}

}  // namespace

TEST(ToolDiff, AKeyOfTwoColumnsPairsRowsWhoseFirstColumnRepeats)
{
    // "Net" repeats, the net with its corner does not: by the first column
    // the rows could only be aligned; by the key the changed slack is one
    // change of its row, and the removed row the one it was.
    TOOL_SCRATCH scratch;
    const std::vector<std::vector<std::string>> rows = {
        {"Net", "Corner", "Slack"}, {"n1", "slow", "ps:-120"}, {"n1", "fast", "ps:30"},
        {"n2", "slow", "ps:-5"},    {"n2", "fast", "ps:40"}};
    std::vector<std::vector<std::string>> edited = rows;
    edited[1][2] = "ps:-155";           // n1 slow
    edited.erase(edited.begin() + 3);  // n2 slow
    std::string old_file = scratch.write("old.xml", one_table("Paths", rows));
    std::string new_file = scratch.write("new.xml", one_table("Paths", edited));

    TOOL_RUN keyed = tool_run({"diff", "--key", "main/Paths : Net, 2", old_file, new_file});
    EXPECT_EQ(keyed.status, 1) << keyed.err;
    EXPECT_EQ(keyed.err, "");
    std::vector<std::string> lines = tool_lines(keyed.out);
    ASSERT_EQ(lines.size(), 5u) << keyed.out;
    EXPECT_EQ(lines[2].rfind("@@ main/Paths (table, rows keyed by", 0), 0u) << lines[2];
    EXPECT_NE(lines[2].find("Net, Corner"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[3], "~ row \"n1 | slow\", column \"Slack\": -120 ps -> -155 ps (-35 ps)");
    EXPECT_EQ(lines[4], "- row \"n2 | slow\": n2 | slow | -5 ps");

    // A blank around a column goes; a backslash keeps the comma of a
    // title.
    EXPECT_EQ(tool_run({"diff", "-q", "--key", "main/Paths :  Net ,Corner ", old_file, new_file}).out, keyed.out);
    TOOL_RUN comma = tool_run({"diff", "--key", "main/Paths : Net\\, Corner", old_file, new_file});
    EXPECT_EQ(comma.status, 2);
    EXPECT_NE(comma.err.find("\"Net, Corner\""), std::string::npos) << comma.err;
    TOOL_RUN missing = tool_run({"diff", "--key", "main/Paths : Net, Pin", old_file, new_file});
    EXPECT_EQ(missing.status, 2);
    ASSERT_EQ(tool_lines(missing.err).size(), 1u) << missing.err;
    EXPECT_EQ(missing.err.rfind("rdbxml diff: --key main/Paths : Net, Pin: cannot key main/Paths: ", 0), 0u) << missing.err;
    EXPECT_NE(missing.err.find("\"Pin\""), std::string::npos) << missing.err;
}

TEST(ToolDiff, AKeyThatDoesNotReadOrSelectsNoTableIsRefusedBeforeAnyOutput)
{
    TOOL_SCRATCH scratch;
    std::string old_file = scratch.write("old.xml", one_table("Paths", {{"Net", "Slack"}, {"n1", "ps:-1"}}));
    std::string new_file = scratch.write("new.xml", one_table("Paths", {{"Net", "Slack"}, {"n1", "ps:-2"}}));
    const std::vector<std::pair<std::string, std::string>> mistakes = {
        {"main/Paths", "rdbxml diff: --key main/Paths: no ' : ' between the path and the columns (see rdbxml diff --help)\n"},
        {"main/Paths : Net,", "rdbxml diff: --key main/Paths : Net,: an empty column between commas (write \\, for a "
                              "comma in a title) (see rdbxml diff --help)\n"},
        {"main/Paths : ", "rdbxml diff: --key main/Paths : : no column after ' : ' (see rdbxml diff --help)\n"},
        {" : Net", "rdbxml diff: --key  : Net: no path before ' : ' (see rdbxml diff --help)\n"},
        {"main/Paths : Net\\", "rdbxml diff: --key main/Paths : Net\\: a backslash at the end escapes nothing (see "
                                "rdbxml diff --help)\n"},
        {"main/Paths\\ : Net", "rdbxml diff: --key main/Paths\\ : Net: no ' : ' between the path and the columns (see "
                                "rdbxml diff --help)\n"},
        {"main/paths : Net", "rdbxml diff: --key main/paths : Net: matches no table in either report\n"},
        // A folder is no table: the key must select one.
        {"main : Net", "rdbxml diff: --key main : Net: matches no table in either report\n"}};
    for (const auto& mistake : mistakes) {
        TOOL_RUN run = tool_run({"diff", "--key", mistake.first, old_file, new_file});
        EXPECT_EQ(run.status, 2) << mistake.first;
        EXPECT_EQ(run.out, "") << mistake.first;
        EXPECT_EQ(run.err, mistake.second);
    }
    // Each --key is its own: a good one beside a bad one is still refused.
    TOOL_RUN two = tool_run({"diff", "--key", "main/Paths : Net", "--key", "**/Nothing : Net", old_file, new_file});
    EXPECT_EQ(two.status, 2);
    EXPECT_EQ(two.err, "rdbxml diff: --key **/Nothing : Net: matches no table in either report\n");
    EXPECT_EQ(tool_run({"diff", "--key", "main/Paths : Net", "--key", "**/Paths : 1", old_file, new_file}).status, 1);
}

TEST(ToolDiff, ADelayShownInAnotherUnitIsAStyleOnlyChange)
{
    TOOL_SCRATCH scratch;
    std::string old_file = scratch.write("old.xml", one_table("T", {{"Name", "Delay"}, {"a", "ps:1500"}, {"b", "ps:200"}}));
    std::string in_ns = scratch.write("ns.xml", one_table("T", {{"Name", "Delay"}, {"a", "ns:1500"}, {"b", "ps:200"}}));
    TOOL_RUN same = tool_run({"diff", old_file, in_ns});
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(same.err, "rdbxml diff: 1 style-only change not listed (--styles lists them)\n");
    TOOL_RUN quiet = tool_run({"diff", "-q", old_file, in_ns});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out + quiet.err, "");
    TOOL_RUN styles = tool_run({"diff", "--styles", old_file, in_ns});
    EXPECT_EQ(styles.status, 1);
    EXPECT_EQ(styles.err, "");
    EXPECT_EQ(tool_lines(styles.out).back(), "~ row \"a\", column \"Delay\", unit: 1500 ps -> 1.500 ns");

    // Other picoseconds in another unit: both values as shown, the
    // difference in picoseconds, and no style-only change beside it.
    std::string later = scratch.write("later.xml", one_table("T", {{"Name", "Delay"}, {"a", "ns:1620"}, {"b", "ps:200"}}));
    TOOL_RUN changed = tool_run({"diff", old_file, later});
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(changed.err, "");
    EXPECT_EQ(tool_lines(changed.out).back(), "~ row \"a\", column \"Delay\": 1500 ps -> 1.620 ns (+120 ps)");
}

TEST(ToolDiff, ColourWhenAskedOrOnATerminalAndTheTextOtherwiseTheSame)
{
    TOOL_RUN plain = tool_run({"diff", "--styles", OLD, NEW});
    TOOL_RUN coloured = tool_run({"diff", "--styles", "--color=always", OLD, NEW});
    EXPECT_EQ(coloured.status, 1);
    EXPECT_NE(coloured.out, plain.out);
    EXPECT_EQ(without_colours(coloured.out), plain.out);
    std::vector<std::string> lines = tool_lines(coloured.out);
    for (const std::string& line :
         {"\x1b[1m--- " + OLD + "\x1b[m", "\x1b[1m+++ " + NEW + "\x1b[m", std::string("\x1b[36m@@ main/f/t (text) @@\x1b[m"),
          std::string("~ text: \x1b[31m\"one\"\x1b[m -> \x1b[32m\"two\"\x1b[m"), std::string("\x1b[31m- removed\x1b[m"),
          std::string("\x1b[32m+ added\x1b[m"),
          std::string("~ row \"a\", column \"Delay\": \x1b[31m100 ps\x1b[m -> \x1b[32m112 ps\x1b[m (+12 ps)")})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;

    // Not on a terminal, and never when asked not to; always wins over
    // NO_COLOR. JSON is never coloured.
    for (const char* command : {"\"$RDBXML\" diff", "NO_COLOR= TERM=xterm \"$RDBXML\" diff",
                                "\"$RDBXML\" diff --color=never", "NO_COLOR=1 \"$RDBXML\" diff --color=auto",
                                "\"$RDBXML\" diff --color=always --json"}) {
        TOOL_RUN run = tool_shell(std::string(command) + " --styles " + tool_shell_quoted(OLD) + " " + tool_shell_quoted(NEW));
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << command;
    }
    TOOL_RUN forced = tool_shell("NO_COLOR=1 TERM=dumb \"$RDBXML\" diff --styles --color=always " + tool_shell_quoted(OLD) +
                                 " " + tool_shell_quoted(NEW));
    EXPECT_EQ(forced.out, coloured.out);
    TOOL_RUN sometimes = tool_run({"diff", "--color=sometimes", OLD, NEW});
    EXPECT_EQ(sometimes.status, 2);
    EXPECT_EQ(sometimes.err, "rdbxml diff: --color sometimes: not auto, always or never (see rdbxml diff --help)\n");

    // On a terminal (stdout and stderr both, `err` holds what it showed):
    // colour unless NO_COLOR is set or the terminal is dumb.
    const char* saved_no_color = std::getenv("NO_COLOR");
    const char* saved_term = std::getenv("TERM");
    const std::string kept_no_color = saved_no_color ? saved_no_color : "", kept_term = saved_term ? saved_term : "";
    auto on_terminal = [&](const char* no_color, const char* term) {
        no_color ? setenv("NO_COLOR", no_color, 1) : unsetenv("NO_COLOR");
        setenv("TERM", term, 1);
        TOOL_RUN run = tool_run({"diff", "-q", OLD, NEW}, 200, true);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("+ added"), std::string::npos) << run.err;
        return run.err.find("\x1b[32m+ added\x1b[m") != std::string::npos;
    };
    EXPECT_TRUE(on_terminal(nullptr, "xterm"));
    EXPECT_TRUE(on_terminal("", "xterm"));
    EXPECT_FALSE(on_terminal("1", "xterm"));
    EXPECT_FALSE(on_terminal(nullptr, "dumb"));
    saved_no_color ? setenv("NO_COLOR", kept_no_color.c_str(), 1) : unsetenv("NO_COLOR");
    saved_term ? setenv("TERM", kept_term.c_str(), 1) : unsetenv("TERM");
}

TEST(ToolDiff, ColourKeepsTheReportsTextEscaped)
{
    // A terminal's control sequence in a name and a value stays escaped
    // with colour on: the colours are the tool's, never the report's.
    TOOL_SCRATCH scratch;
    std::string old_file = scratch.write("old.xml", one_table("T&#x1b;[2J", {{"Key", "Value"}, {"k", "V&#x1b;[2J"}}));
    std::string new_file = scratch.write("new.xml", one_table("T&#x1b;[2J", {{"Key", "Value"}, {"k", "W&#x1b;[2J"}}));
    TOOL_RUN plain = tool_run({"diff", old_file, new_file});
    TOOL_RUN coloured = tool_run({"diff", "--color=always", old_file, new_file});
    EXPECT_EQ(coloured.out.find("\x1b[2J"), std::string::npos) << coloured.out;
    EXPECT_NE(coloured.out.find("\x1b[36m@@ main/T\\x1b[2J (table"), std::string::npos) << coloured.out;
    EXPECT_EQ(without_colours(coloured.out), plain.out);
    EXPECT_NE(plain.out.find("\"V\\x1b[2J\" -> \"W\\x1b[2J\""), std::string::npos) << plain.out;
}

TEST(ToolDiff, StatSaysPerObjectHowManyChangesAndTheTotals)
{
    TOOL_RUN stat = tool_run({"diff", "--stat", OLD, NEW});
    EXPECT_EQ(stat.status, 1);
    EXPECT_EQ(stat.out, STAT_TEXT);
    EXPECT_EQ(stat.err, "rdbxml diff: 4 style-only changes not listed (--styles lists them)\n");
    // With the style-only changes listed, the table has four more, and the
    // last line no note.
    TOOL_RUN styles = tool_run({"diff", "--stat", "--styles", OLD, NEW});
    std::vector<std::string> lines = tool_lines(styles.out);
    ASSERT_EQ(lines.size(), 12u) << styles.out;
    EXPECT_EQ(lines[4], " main/cells (table) | 18 ~9 +5 -4");
    EXPECT_EQ(lines.back(), "11 objects changed: 1 added, 1 removed, 0 renamed, 41 changes");

    TOOL_RUN selected = tool_run({"diff", "--stat", "--select", "main/f/*", OLD, NEW});
    EXPECT_EQ(selected.out, " main/f/t (text)    | 1 ~1\n"
                            " main/f/gone (text) | removed\n"
                            " main/f/k (text)    | 1 ~1\n"
                            " main/f/new (text)  | added\n"
                            "4 objects changed: 1 added, 1 removed, 0 renamed, 2 changes\n");
    // Its few lines are written as every output is: a failed write is said
    // (the pipe and file-size faults of ToolWrites need more output).
    for (const char* fault : {" >/dev/full", " >&-"}) {
        TOOL_RUN failed = tool_shell("\"$RDBXML\" diff -q --stat " + tool_shell_quoted(OLD) + " " + tool_shell_quoted(NEW) + fault);
        EXPECT_EQ(failed.status, 2) << fault;
        EXPECT_EQ(failed.err.rfind("rdbxml: cannot write standard output: ", 0), 0u) << failed.err;
    }
    TOOL_RUN same = tool_run({"diff", "--stat", OLD, OLD});
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out + same.err, "");
    for (const char* other : {"--json", "--html=-"}) {
        TOOL_RUN run = tool_run({"diff", "--stat", other, OLD, NEW});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "rdbxml diff: --stat excludes --json and --html (see rdbxml diff --help)\n");
    }
}

TEST(ToolDiff, ARenamedTableShowsItsOldNameAndWhatChangedInside)
{
    TOOL_SCRATCH scratch;
    std::vector<std::vector<std::string>> rows = {{"Clock", "Period"}};
    for (int i = 0; i < 20; ++i)
        rows.push_back({"clk" + std::to_string(i), "ps:" + std::to_string(1000 + i)});
    std::string old_file = scratch.write("old.xml", one_table("Clock summary", rows));
    rows[3][1] = "ps:1100";
    std::string new_file = scratch.write("new.xml", one_table("Clocks &lt;&amp;&gt;", rows));

    TOOL_RUN text = tool_run({"diff", old_file, new_file});
    EXPECT_EQ(text.status, 1);
    std::vector<std::string> lines = tool_lines(text.out);
    ASSERT_EQ(lines.size(), 5u) << text.out;
    EXPECT_EQ(lines[3], "~ renamed: \"Clock summary\" -> \"Clocks <&>\"");
    EXPECT_EQ(lines[4], "~ row \"clk2\", column \"Period\": 1002 ps -> 1100 ps (+98 ps)");
    EXPECT_EQ(tool_run({"diff", "--stat", old_file, new_file}).out,
              " main/Clocks <&> (table) | 1 ~1, renamed from \"Clock summary\"\n"
              "1 object changed: 0 added, 0 removed, 1 renamed, 1 change\n");

    TOOL_RUN page = tool_run({"diff", "--html", "-", old_file, new_file});
    EXPECT_EQ(page.status, 1);
    EXPECT_NE(page.out.find("2 changes in 1 object"), std::string::npos);
    EXPECT_NE(page.out.find("<h3>main/Clocks &lt;&amp;&gt; (table, rows keyed by Clock)</h3>"), std::string::npos) << page.out;
    // Each cell carries its change's class, so that paged rows keep it.
    EXPECT_NE(page.out.find("<tr><td class=\"sign ren\">~</td><td class=\"ren\">renamed</td><td class=\"old ren\">"
                            "Clock summary</td><td class=\"new ren\">Clocks &lt;&amp;&gt;</td>"),
              std::string::npos)
        << page.out;
}
