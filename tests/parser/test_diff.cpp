// The comparison of two reports (rdb_diff.h) on parsed files: a pair with
// an edit of every kind gives exactly the changes expected.
#include <string>
#include <vector>

#include "parse_fixture.h"

namespace {

typedef std::vector<std::string> LINES;

// A change with every field it has, on one line.
std::string line_of(const RDB_DIFF_CHANGE& c)
{
    std::string line = std::string(rdb_diff_kind_name(c.m_kind)) + " " + c.m_path + " (" + c.m_object_kind + ")";
    if (c.m_match != RDB_DIFF_MATCH_NONE)
        line += c.m_match == RDB_DIFF_MATCH_BY_KEY ? " by key" : " by position";
    if (c.m_index != 0)
        line += " " + c.m_key + "#" + std::to_string(c.m_index);
    if (c.m_column >= 0)
        line += " col " + std::to_string(c.m_column) + "=" + c.m_column_title;
    if (*c.m_field != '\0')
        line += " ." + std::string(c.m_field);
    if (c.m_old_type != nullptr || c.m_new_type != nullptr)
        line += std::string(" ") + (c.m_old_type ? c.m_old_type : "-") + ">" + (c.m_new_type ? c.m_new_type : "-");
    line += ": " + (c.m_has_old ? "'" + c.m_old + "'" : std::string("none")) + " -> " +
            (c.m_has_new ? "'" + c.m_new + "'" : std::string("none"));
    if (c.m_has_difference)
        line += " " + std::to_string(c.m_difference) + (c.m_difference_in_ps ? " ps" : "");
    return line;
}

class DiffTest : public ParseTest {
protected:
    LINES diff(const RDB_DIFF_OPTIONS& options = RDB_DIFF_OPTIONS())
    {
        REPORT_PTR old_report = parse_file(data_file("diff_old.xml"));
        REPORT_PTR new_report = parse_file(data_file("diff_new.xml"));
        EXPECT_TRUE(old_report && new_report);
        if (!old_report || !new_report)
            return LINES();
        LINES lines;
        std::size_t count = rdb_diff_reports(old_report->get_main_folder(), new_report->get_main_folder(), options,
                                             [&](const RDB_DIFF_CHANGE& c) { lines.push_back(line_of(c)); });
        EXPECT_EQ(count, lines.size());
        return lines;
    }
};

}  // namespace

TEST_F(DiffTest, AnEditOfEveryKindGivesExactlyItsChange)
{
    const LINES expected = {
        "object_field main/f/t (text) .text: 'one' -> 'two'",
        "object_removed main/f/gone (text): none -> none",
        "object_kind main/f/k (text): 'table' -> 'text'",
        "object_added main/f/new (text): none -> none",
        "object_field main/cells (table) by key .creator: 'x' -> 'y'",
        "object_field main/cells (table) by key .enabled: 'true' -> 'false'",
        "object_field main/cells (table) by key .header: none -> 'H'",
        "object_field main/cells (table) by key .footer: 'F' -> none",
        "column_title main/cells (table) by key col 1=Total: 'Count' -> 'Total'",
        "column_title main/cells (table) by key col 4=Extra: none -> 'Extra'",
        "cell_colour main/cells (table) by key a#1 col 0=Name .foreground string>string: '#0000ff' -> '#008000'",
        "cell_value main/cells (table) by key a#1 col 1=Total int>int: '1' -> '3' 2",
        "cell_value main/cells (table) by key a#1 col 2=Delay delay>delay: '100 ps' -> '112 ps' 12 ps",
        "cell_value main/cells (table) by key a#1 col 3=Inst iname>iname: 'u/x' -> 'u/z'",
        "cell_added main/cells (table) by key a#1 col 4=Extra ->string: none -> 'more'",
        "cell_colour main/cells (table) by key b#2 col 0=Name .foreground string>string: none -> '#ff0000'",
        "cell_kind main/cells (table) by key b#2 col 1=Total int>string: '2' -> '2'",
        "cell_unit main/cells (table) by key b#2 col 2=Delay delay>delay: '100 ps' -> '0.100 ns'",
        "cell_colour main/cells (table) by key b#2 col 3=Inst .background iname>iname: '#ffffcc' -> none",
        "row_removed main/cells (table) by key c#3: 'c | 3' -> none",
        "row_added main/cells (table) by key d#3: none -> 'd | 4'",
        "cell_removed main/cells (table) by key e#4 col 3=Inst iname>-: 'u/e' -> none",
        "cell_value main/bypos (table) by position #2 col 1= string>string: 'y' -> 'w'",
        "cell_value main/s (summary) by key Status#1 col 1= string>string: 'ok' -> 'bad'",
        "gauge_field main/s (gauges) by key g1#1 .value: '5' -> '7' 2",
        "gauge_field main/s (gauges) by key g1#1 .min: '0' -> '1' 1",
        "gauge_field main/s (gauges) by key g1#1 .max: '10' -> '20' 10",
        "gauge_field main/s (gauges) by key g1#1 .percent: 'false' -> 'true'",
        "gauge_field main/s (gauges) by key g1#1 .disabled: 'false' -> 'true'",
        "gauge_removed main/s (gauges) by key g2#2: '1 (0 to 10)' -> none",
        "gauge_added main/s (gauges) by key g3#2: none -> '2 (0 to 4)'",
        "object_field main/c (chart) by key .chart_type: 'bar' -> 'line'",
        "object_field main/c (chart) by key .x_axis: 'X' -> 'X2'",
        "object_field main/c (chart) by key .y_axis: 'Y' -> 'Y2'",
        "point_value main/c (chart) by key p1#1: '4' -> '6' 2",
        "point_removed main/c (chart) by key p2#2: '9' -> none",
        "point_added main/c (chart) by key p3#2: none -> '1'",
        "object_field main/e (embedded) .info: 'i1' -> 'i2'",
        "object_field main/e (embedded) .embedded_type: 'image' -> 'html'",
        "object_field main/w (waveform) .source_vector: 's1' -> 's2'",
        "object_field main/w (waveform) .result_vector: 'r1' -> 'r2'",
        "object_field main/w (waveform) .compare: 'true' -> 'false'",
    };
    RDB_DIFF_OPTIONS styles;
    styles.m_styles = true;
    EXPECT_EQ(diff(styles), expected);
    // Without the styles, the same but the colours and the unit.
    LINES plain;
    for (const std::string& line : expected)
        if (line.rfind("cell_colour", 0) != 0 && line.rfind("cell_unit", 0) != 0)
            plain.push_back(line);
    EXPECT_EQ(diff(), plain);
}

TEST_F(DiffTest, OptionsNarrowTheChanges)
{
    RDB_DIFF_OPTIONS options;
    options.m_styles = options.m_ignore_colours = true;
    LINES lines = diff(options);
    EXPECT_EQ(lines.size(), 39u);
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("cell_colour"), std::string::npos) << line;

    // What a pattern selects in either report counts: "gone" only the old
    // one has, "new" only the new one.
    options.m_select = {RDB_PATH_PATTERN("main/f/gone"), RDB_PATH_PATTERN("main/f/new"), RDB_PATH_PATTERN("main/e")};
    EXPECT_EQ(diff(options), (LINES{"object_removed main/f/gone (text): none -> none",
                                    "object_added main/f/new (text): none -> none",
                                    "object_field main/e (embedded) .info: 'i1' -> 'i2'",
                                    "object_field main/e (embedded) .embedded_type: 'image' -> 'html'"}));
}

TEST_F(DiffTest, RowsPairByKeyOnlyWhenTheKeysAreUniqueInBothReports)
{
    auto changes = [&](const std::string& old_rows, const std::string& new_rows) {
        REPORT_PTR old_report = parse_text(report_with("<table name=\"t\" parent=\"main\">" + old_rows + "</table>"));
        REPORT_PTR new_report = parse_text(report_with("<table name=\"t\" parent=\"main\">" + new_rows + "</table>"));
        LINES lines;
        for (const RDB_DIFF_CHANGE& c : rdb_diff_reports(old_report->get_main_folder(), new_report->get_main_folder()))
            lines.push_back(line_of(c));
        return lines;
    };
    auto row = [](const char* key, const char* value) {
        return std::string("<row><string_cell>") + key + "</string_cell><int_cell>" + value + "</int_cell></row>";
    };
    // A repeated key in either report: by position.
    for (bool in_old : {true, false}) {
        std::string repeated = row("a", "1") + row("a", "2"), unique = row("a", "1") + row("b", "3");
        EXPECT_EQ(changes(in_old ? repeated : unique, in_old ? unique : repeated).front().substr(0, 40),
                  "cell_value main/t (table) by position #2");
    }
    // Unique keys: a moved row is the same row; the same report has no change.
    EXPECT_EQ(changes(row("a", "1") + row("b", "2"), row("b", "2") + row("a", "1")), LINES());
}

TEST_F(DiffTest, ObjectsOfOnePathPairInOrderAndPathsAreWholeFromAnyFolder)
{
    // A folder and a text both named "x" share the path main/x: they pair
    // in their order, after what only the old report has.
    auto report = [&](const std::string& before, const std::string& text) {
        return parse_text("<report><folders><root name=\"main\"/><folder name=\"x\"/></folders>" + before +
                          "<folder_ref name=\"x\" parent=\"main\"/><text name=\"x\" parent=\"main\"><ascii_text>" +
                          text + "</ascii_text></text></report>");
    };
    REPORT_PTR old_report = report("<text name=\"a\" parent=\"main\"/>", "one");
    REPORT_PTR new_report = report("", "two");
    ASSERT_TRUE(old_report && new_report) << dump();
    LINES lines;
    rdb_diff_reports(old_report->get_main_folder(), new_report->get_main_folder(), RDB_DIFF_OPTIONS(),
                     [&](const RDB_DIFF_CHANGE& c) { lines.push_back(line_of(c)); });
    EXPECT_EQ(lines, (LINES{"object_removed main/a (text): none -> none",
                            "object_field main/x (text) .text: 'one' -> 'two'"}));

    // Compared from a folder below the outermost, paths are still whole.
    auto nested = [&](const std::string& text) {
        return parse_text("<report><folders><root name=\"main\"/><folder name=\"f\"/></folders>"
                          "<folder_ref name=\"f\" parent=\"main\"/><text name=\"t\" parent=\"f\"><ascii_text>" +
                          text + "</ascii_text></text></report>");
    };
    REPORT_PTR nested_old = nested("one"), nested_new = nested("two");
    ASSERT_TRUE(nested_old && nested_new) << dump();
    std::vector<RDB_DIFF_CHANGE> changes =
        rdb_diff_reports(nested_old->get_main_folder()->get_object(0)->dynamic_cast_to_RDB_FOLDER_OBJECT(),
                         nested_new->get_main_folder()->get_object(0)->dynamic_cast_to_RDB_FOLDER_OBJECT());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].m_path, "main/f/t");
}

namespace {

// The changes between two reports whose main folders hold `old_body` and
// `new_body`, each on one line.
class RenameTest : public ParseTest {
protected:
    LINES changes(const std::string& old_body, const std::string& new_body)
    {
        REPORT_PTR old_report = parse_text(report_with(old_body));
        EXPECT_NE(old_report, nullptr) << dump();
        REPORT_PTR new_report = parse_text(report_with(new_body));
        EXPECT_NE(new_report, nullptr) << dump();
        LINES lines;
        if (old_report && new_report)
            for (const RDB_DIFF_CHANGE& c :
                 rdb_diff_reports(old_report->get_main_folder(), new_report->get_main_folder()))
                lines.push_back(line_of(c));
        return lines;
    }

    // Rows "r<first>" to "r<first + count - 1>", each with its number.
    static std::string rows(int first, int count)
    {
        std::string text;
        for (int i = first; i < first + count; ++i)
            text += "<row><string_cell>r" + std::to_string(i) + "</string_cell><int_cell>" + std::to_string(i) +
                    "</int_cell></row>";
        return text;
    }
    static std::string table(const std::string& name, const std::string& body, const char* kind = "table",
                             const char* parent = "main")
    {
        return "<" + std::string(kind) + " name=\"" + name + "\" parent=\"" + parent + "\">" + body + "</" + kind +
               ">";
    }
};

}  // namespace

TEST_F(RenameTest, ATableWithNineRowsInTenEqualIsRenamedAndItsChangesFollow)
{
    // Ten rows, one changed: 90 %, the same table under another name.
    const std::string changed = "<row><string_cell>r9</string_cell><int_cell>90</int_cell></row>";
    EXPECT_EQ(changes(table("Old name", rows(0, 10)), table("New name", rows(0, 9) + changed)),
              (LINES{"object_renamed main/New name (table) by key: 'Old name' -> 'New name'",
                     "cell_value main/New name (table) by key r9#10 col 1= int>int: '9' -> '90' 81"}));
    // Two changed: 80 %, a table removed and another added, as before.
    const std::string two_changed = "<row><string_cell>r8</string_cell><int_cell>80</int_cell></row>" + changed;
    EXPECT_EQ(changes(table("Old name", rows(0, 10)), table("New name", rows(0, 8) + two_changed)),
              (LINES{"object_removed main/Old name (table): none -> none",
                     "object_added main/New name (table): none -> none"}));
    // Rows compare as multisets: ten rows that repeat one of ten rows are
    // one equal row, not ten.
    std::string repeated;
    for (int i = 0; i < 10; ++i)
        repeated += rows(0, 1);
    for (bool repeated_in_old : {false, true})
        EXPECT_EQ(changes(table("Old name", repeated_in_old ? repeated : rows(0, 10)),
                          table("New name", repeated_in_old ? rows(0, 10) : repeated)),
                  (LINES{"object_removed main/Old name (table): none -> none",
                         "object_added main/New name (table): none -> none"}));
    // A cell's kind is part of its row; its colours are not.
    std::string as_strings = rows(0, 10), coloured = rows(0, 10);
    for (std::size_t at; (at = as_strings.find("int_cell")) != std::string::npos;)
        as_strings.replace(at, 8, "string_cell");
    for (std::size_t at = 0; (at = coloured.find("<int_cell>", at)) != std::string::npos; ++at)
        coloured.replace(at, 10, "<int_cell foreground=\"red\">");
    EXPECT_EQ(changes(table("Old name", rows(0, 10)), table("New name", as_strings)),
              (LINES{"object_removed main/Old name (table): none -> none",
                     "object_added main/New name (table): none -> none"}));
    EXPECT_EQ(changes(table("Old name", rows(0, 10)), table("New name", coloured)),
              (LINES{"object_renamed main/New name (table) by key: 'Old name' -> 'New name'"}));
    // A delay is its picoseconds, whatever its unit; the renamed record
    // comes, with its path the new one, also when nothing inside changed.
    auto delay = [](const char* value, const char* unit) {
        return "<row><string_cell>d</string_cell><delay_cell><delay_value>" + std::string(value) +
               "</delay_value><display_option>" + unit + "</display_option></delay_cell></row>";
    };
    LINES renamed = changes(table("a/b", delay("1000", "ps")), table("c", delay("1000", "ns")));
    EXPECT_EQ(renamed, (LINES{"object_renamed main/c (table) by key: 'a\\/b' -> 'c'"})) << dump();
}

TEST_F(RenameTest, RenamedObjectsPairOneToOneByTheMostEqualRows)
{
    // "B" is all of "Y"'s rows and nine in ten of "X"'s; "X" is all of "D"'s.
    // The most alike pair first: B -> Y, then X -> D; never two to one.
    const std::string x = table("X", rows(0, 10)), b = table("B", rows(0, 9) + rows(100, 1));
    EXPECT_EQ(changes(x + b, table("Y", rows(0, 9) + rows(100, 1)) + table("D", rows(0, 10))),
              (LINES{"object_renamed main/Y (table) by key: 'B' -> 'Y'",
                     "object_renamed main/D (table) by key: 'X' -> 'D'"}));
    // Equally alike: the nearest in the folder's order.
    EXPECT_EQ(changes(table("A", rows(0, 5)) + table("B", rows(0, 5)), table("C", rows(0, 5)) + table("D", rows(0, 5))),
              (LINES{"object_renamed main/C (table) by key: 'A' -> 'C'",
                     "object_renamed main/D (table) by key: 'B' -> 'D'"}));
    // One removed, two added: the second added is just added.
    EXPECT_EQ(changes(table("A", rows(0, 5)), table("C", rows(0, 5)) + table("D", rows(0, 5))),
              (LINES{"object_renamed main/C (table) by key: 'A' -> 'C'",
                     "object_added main/D (table): none -> none"}));
}

TEST_F(RenameTest, OnlyObjectsWithRowsOfOneKindInOneFolderAreRenamed)
{
    // Texts, even of one body, and empty tables have no rows to tell them.
    const char* text = "<ascii_text>the same</ascii_text>";
    EXPECT_EQ(changes(table("a", text, "text"), table("b", text, "text")),
              (LINES{"object_removed main/a (text): none -> none", "object_added main/b (text): none -> none"}));
    EXPECT_EQ(changes(table("a", ""), table("b", "")),
              (LINES{"object_removed main/a (table): none -> none", "object_added main/b (table): none -> none"}));
    // Another kind, or another folder, with the very same rows.
    EXPECT_EQ(changes(table("a", rows(0, 5)), table("b", rows(0, 5), "tan_spd_table")),
              (LINES{"object_removed main/a (table): none -> none",
                     "object_added main/b (tan_spd_table): none -> none"}));
    const std::string folders = "<folder_ref name=\"f\" parent=\"main\"/><folder_ref name=\"g\" parent=\"main\"/>";
    auto in_folders = [&](const std::string& body) {
        return "<report><folders><root name=\"main\"/><folder name=\"f\"/><folder name=\"g\"/></folders>" + folders +
               body + "</report>";
    };
    REPORT_PTR old_report = parse_text(in_folders(table("a", rows(0, 5), "table", "f")));
    REPORT_PTR new_report = parse_text(in_folders(table("b", rows(0, 5), "table", "g")));
    ASSERT_TRUE(old_report && new_report) << dump();
    LINES lines;
    for (const RDB_DIFF_CHANGE& c : rdb_diff_reports(old_report->get_main_folder(), new_report->get_main_folder()))
        lines.push_back(line_of(c));
    EXPECT_EQ(lines, (LINES{"object_removed main/f/a (table): none -> none",
                            "object_added main/g/b (table): none -> none"}));
}

TEST_F(RenameTest, ChartsByTheirPointsAndSummariesWithTheirGauges)
{
    auto points = [](int changed) {
        std::string text = "<type>bar</type>";
        for (int i = 0; i < 10; ++i)
            text += "<data name=\"p" + std::to_string(i) + "\">" + std::to_string(i == 3 ? changed : i) + "</data>";
        return text;
    };
    EXPECT_EQ(changes(table("h", points(3), "chart"), table("histogram", points(7), "chart")),
              (LINES{"object_renamed main/histogram (chart) by key: 'h' -> 'histogram'",
                     "point_value main/histogram (chart) by key p3#4: '3' -> '7' 4"}));
    // The gauges object has its summary's path and goes with it; gauges
    // are no rows of the summary.
    auto summary = [](const std::string& name, int value) {
        return "<summary name=\"" + name + "\" parent=\"main\"><element name=\"Status\">ok</element>"
               "<gauges><gauge name=\"g\"><min>0</min><max>10</max><value>" + std::to_string(value) +
               "</value></gauge></gauges></summary>";
    };
    EXPECT_EQ(changes(summary("s", 1), summary("t", 2)),
              (LINES{"object_renamed main/t (summary) by key: 's' -> 't'",
                     "gauge_field main/t (gauges) by key g#1 .value: '1' -> '2' 1"}));
    // A summary and its gauges object share a path and pair by kind: one
    // gauges object added is told as such, not as a kind change.
    const std::string table_s = table("s", rows(0, 1));
    EXPECT_EQ(changes("<summary name=\"s\" parent=\"main\"><element name=\"Status\">ok</element></summary>" + table_s,
                      summary("s", 1) + table_s),
              (LINES{"object_added main/s (gauges): none -> none"}));
    // Summaries too unlike to be one: their gauges, alike or not, go with
    // them, never renamed on their own.
    std::string other = summary("t", 1);
    other.replace(other.find("ok"), 2, "failed");
    EXPECT_EQ(changes(summary("s", 1), other),
              (LINES{"object_removed main/s (summary): none -> none", "object_removed main/s (gauges): none -> none",
                     "object_added main/t (summary): none -> none", "object_added main/t (gauges): none -> none"}));
}

TEST_F(RenameTest, ManyRenamedTablesInOneFolderEachFindTheirOwn)
{
    // Each added table is weighed against the few removed ones nearest its
    // place among the added (which keeps the search linear in the tables);
    // renamed in place, every one finds its own.
    const int count = 2000;
    std::string old_body, new_body;
    for (int i = 0; i < count; ++i) {
        old_body += table("a" + std::to_string(i), rows(i, 1));
        new_body += table("b" + std::to_string(i), rows(i, 1));
    }
    LINES lines = changes(old_body, new_body);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(lines[i], "object_renamed main/b" + std::to_string(i) + " (table) by key: 'a" + std::to_string(i) +
                                "' -> 'b" + std::to_string(i) + "'");
}
