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
        "gauge_field main/s/This name should not be observed (gauges) by key g1#1 .value: '5' -> '7' 2",
        "gauge_field main/s/This name should not be observed (gauges) by key g1#1 .min: '0' -> '1' 1",
        "gauge_field main/s/This name should not be observed (gauges) by key g1#1 .max: '10' -> '20' 10",
        "gauge_field main/s/This name should not be observed (gauges) by key g1#1 .percent: 'false' -> 'true'",
        "gauge_field main/s/This name should not be observed (gauges) by key g1#1 .disabled: 'false' -> 'true'",
        "gauge_removed main/s/This name should not be observed (gauges) by key g2#2: '1 (0 to 10)' -> none",
        "gauge_added main/s/This name should not be observed (gauges) by key g3#2: none -> '2 (0 to 4)'",
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
