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
        "@@ main/cells (table, rows by key (Name)) @@\n"
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
        "@@ main/bypos (table, rows by key (column 2)) @@\n"
        "- row \"y\": 1 | y\n"
        "+ row \"w\": 1 | w\n"
        "@@ main/s (summary, rows by key (column 1)) @@\n"
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

}  // namespace

TEST(ToolDiff, EveryKindOfEditInTextAndJson)
{
    TOOL_RUN text = tool_run({"diff", "--styles", OLD, NEW});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, "");
    EXPECT_EQ(text.out, expected_text());

    TOOL_RUN json = tool_run({"diff", "--styles", "--json", OLD, NEW});
    EXPECT_EQ(json.status, 1);
    const std::vector<std::string> kinds = {
        "object_field", "object_removed", "object_kind", "object_added", "object_field", "object_field",
        "object_field", "object_field", "column_title", "column_title", "cell_colour", "cell_value",
        "cell_value",
        "cell_value", "cell_added", "cell_colour", "cell_kind", "cell_unit", "cell_colour",
        "row_removed", "row_added", "cell_removed", "row_removed", "row_added", "cell_value", "gauge_field",
        "gauge_field", "gauge_field", "gauge_field", "gauge_field", "gauge_removed", "gauge_added",
        "object_field", "object_field", "object_field", "point_value", "point_removed", "point_added",
        "object_field", "object_field", "object_field", "object_field", "object_field"};
    std::vector<std::string> lines = tool_lines(json.out), seen;
    for (const std::string& line : lines) {
        rapidjson::Document change;
        change.Parse(line.c_str());
        ASSERT_TRUE(change.IsObject() && change.HasMember("kind")) << line;
        seen.push_back(change["kind"].GetString());
    }
    EXPECT_EQ(seen, kinds);
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
    EXPECT_EQ(text.out, "--- " + old_file + "\n+++ " + new_file + "\n@@ main/New name (table, rows by key (Key)) @@\n" +
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
        scratch.write("warned.xml", tool_read_file(OLD).insert(tool_read_file(OLD).rfind("</report>"),
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
    EXPECT_EQ(text.out, "--- " + old_shown + "\n+++ " + new_file + "\n@@ m" + shown + "/T (table, rows by key (Key)) @@\n" +
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
}
