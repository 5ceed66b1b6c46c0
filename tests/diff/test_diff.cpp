// The comparison of two reports (rdb_diff.h) on parsed files: a pair with
// an edit of every kind gives exactly the changes expected.
#include <algorithm>
#include <random>
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
        line += c.m_match == RDB_DIFF_MATCH_BY_KEY       ? " by key"
                : c.m_match == RDB_DIFF_MATCH_BY_CONTENT ? " by content"
                : c.m_match == RDB_DIFF_MATCH_REPLACED   ? " replaced"
                                                         : " by position";
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
        "row_removed main/bypos (table) by key y#2: '1 | y' -> none",
        "row_added main/bypos (table) by key w#2: none -> '1 | w'",
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
    EXPECT_EQ(lines.size(), 40u);
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

namespace {

// Cells and rows of a table as a report file writes them.
std::string text_cell(const std::string& text) { return "<string_cell>" + text + "</string_cell>"; }
std::string int_cell(long long value) { return "<int_cell>" + std::to_string(value) + "</int_cell>"; }
std::string ps_cell(long long ps)
{
    return "<delay_cell><delay>" + std::to_string(ps) + "</delay><display_option>ps</display_option></delay_cell>";
}
std::string row_of(const std::vector<std::string>& cells)
{
    std::string row = "<row>";
    for (const std::string& cell : cells)
        row += cell;
    return row + "</row>";
}
std::string table_of(const std::string& rows) { return "<table name=\"t\" parent=\"main\">" + rows + "</table>"; }

// The changes between two reports of the folder "main" and a body each.
struct BODY_DIFF {
    LINES m_lines;
    std::vector<RDB_DIFF_CHANGE> m_changes;
    RDB_DIFF_TOTALS m_totals;
};

class DiffRowsTest : public DiffTest {
protected:
    BODY_DIFF diff_bodies(const std::string& old_body, const std::string& new_body,
                          const RDB_DIFF_OPTIONS& options = RDB_DIFF_OPTIONS())
    {
        BODY_DIFF result;
        REPORT_PTR old_report = parse_text(report_with(old_body));
        EXPECT_TRUE(old_report) << dump();
        REPORT_PTR new_report = parse_text(report_with(new_body));
        EXPECT_TRUE(new_report) << dump();
        if (!old_report || !new_report)
            return result;
        rdb_diff_reports(
            old_report->get_main_folder(), new_report->get_main_folder(), options,
            [&](const RDB_DIFF_CHANGE& c) {
                result.m_lines.push_back(line_of(c));
                result.m_changes.push_back(c);
            },
            result.m_totals);
        return result;
    }
};

}  // namespace

TEST_F(DiffRowsTest, OneDeletedRowOfATableWithoutAUniqueColumnIsOneRemovedRow)
{
    // Neither column is unique: the rows are aligned by content, so the
    // rows after the deleted one are still the same rows.
    std::string old_rows = row_of({text_cell("Clock"), text_cell("Edge")}), new_rows = old_rows;
    for (int r = 0; r < 20; ++r) {
        std::string row = row_of({text_cell(r % 2 == 0 ? "clk" : "mem"), int_cell(r / 2)});
        old_rows += row;
        if (r != 7)
            new_rows += row;
    }
    BODY_DIFF diff = diff_bodies(table_of(old_rows), table_of(new_rows));
    EXPECT_EQ(diff.m_lines, LINES{"row_removed main/t (table) by content #8: 'mem | 3' -> none"});
    ASSERT_EQ(diff.m_changes.size(), 1u);
    EXPECT_EQ(diff.m_changes[0].m_key, "");
    EXPECT_EQ(diff.m_changes[0].m_key_columns, "");

    // Five changed delays of such a table: five cell changes, no row
    // removed or added.
    std::string before = row_of({text_cell("Clock"), text_cell("Edge"), text_cell("Delay")}), after = before;
    for (int r = 0; r < 12; ++r) {
        std::string clock = text_cell(r % 2 == 0 ? "clk" : "mem");
        before += row_of({clock, int_cell(r / 2), ps_cell(100)});
        after += row_of({clock, int_cell(r / 2), ps_cell(r % 2 == 1 && r < 10 ? 100 + r : 100)});
    }
    diff = diff_bodies(table_of(before), table_of(after));
    EXPECT_EQ(diff.m_lines,
              (LINES{"cell_value main/t (table) by content #2 col 2=Delay delay>delay: '100 ps' -> '101 ps' 1 ps",
                     "cell_value main/t (table) by content #4 col 2=Delay delay>delay: '100 ps' -> '103 ps' 3 ps",
                     "cell_value main/t (table) by content #6 col 2=Delay delay>delay: '100 ps' -> '105 ps' 5 ps",
                     "cell_value main/t (table) by content #8 col 2=Delay delay>delay: '100 ps' -> '107 ps' 7 ps",
                     "cell_value main/t (table) by content #10 col 2=Delay delay>delay: '100 ps' -> '109 ps' 9 ps"}));
}

TEST_F(DiffRowsTest, ADelayThatReadsTheSameInItsUnitShowsItsPicoseconds)
{
    // 9746 and 9747 ps both read "102.6 MHz"; 1000 and 1001 ps differ in ns.
    auto delay = [](long long ps, const char* unit) {
        return "<delay_cell><delay>" + std::to_string(ps) + "</delay><display_option>" + unit +
               "</display_option></delay_cell>";
    };
    auto table = [&](long long mhz_ps, long long ns_ps) {
        // The same row twice before it: no column is a key.
        std::string same = row_of({delay(5000, "mhz"), delay(5000, "ns")});
        return table_of(row_of({text_cell("Fmax"), text_cell("Delay")}) + same + same +
                        row_of({delay(mhz_ps, "mhz"), delay(ns_ps, "ns")}));
    };
    BODY_DIFF diff = diff_bodies(table(9746, 1000), table(9747, 1001));
    EXPECT_EQ(diff.m_lines,
              (LINES{"cell_value main/t (table) by content #3 col 0=Fmax delay>delay: '9746 ps' -> '9747 ps' 1 ps",
                     "cell_value main/t (table) by content #3 col 1=Delay delay>delay: '1.000 ns' -> '1.001 ns' 1 ps"}));
}

TEST_F(DiffRowsTest, RowsAlignByTheirValuesNotTheirStyle)
{
    // A delay in another unit and a cell in another colour are the same
    // row: the deleted row is still the only row removed.
    std::string old_rows = row_of({text_cell("Clock"), text_cell("Delay")}), new_rows = old_rows;
    for (int r = 0; r < 6; ++r) {
        old_rows += row_of({text_cell("clk"), ps_cell(100 * (r % 3))});
        if (r == 3)
            continue;
        if (r == 4)
            new_rows += "<row><string_cell foreground=\"red\">clk</string_cell><delay_cell><delay>" +
                        std::to_string(100 * (r % 3)) + "</delay><display_option>ns</display_option></delay_cell></row>";
        else
            new_rows += row_of({text_cell("clk"), ps_cell(100 * (r % 3))});
    }
    BODY_DIFF diff = diff_bodies(table_of(old_rows), table_of(new_rows));
    EXPECT_EQ(diff.m_lines, LINES{"row_removed main/t (table) by content #4: 'clk | 0 ps' -> none"});
    EXPECT_EQ(diff.m_totals.m_by_kind[RDB_DIFF_CELL_UNIT], 1u);
    EXPECT_EQ(diff.m_totals.m_by_kind[RDB_DIFF_CELL_COLOUR], 1u);
}

TEST_F(DiffRowsTest, ASlackTableIsKeyedByItsEndpoints)
{
    // From and to, with the slack first and unique: a changed slack is one
    // changed cell, not a removed and an added row.
    auto slack_table = [](long long changed) {
        return "<tan_slack_table name=\"setup\" parent=\"main\" analysis_type=\"1\">"
               "<column id=\"0\" type=\"slack\"/><column id=\"1\" type=\"from\"/><column id=\"2\" type=\"to\"/>" +
               row_of({text_cell("Slack"), text_cell("From"), text_cell("To")}) +
               row_of({ps_cell(-120), text_cell("a/q"), text_cell("x/d")}) +
               row_of({ps_cell(changed), text_cell("a/q"), text_cell("y/d")}) +
               row_of({ps_cell(35), text_cell("b/q"), text_cell("y/d")}) + "</tan_slack_table>";
    };
    BODY_DIFF diff = diff_bodies(slack_table(-95), slack_table(-80));
    EXPECT_EQ(diff.m_lines, LINES{"cell_value main/setup (tan_slack_table) by key a/q | y/d#2 col 0=Slack "
                                  "delay>delay: '-95 ps' -> '-80 ps' 15 ps"});
    ASSERT_EQ(diff.m_changes.size(), 1u);
    EXPECT_EQ(diff.m_changes[0].m_key_columns, "From, To");
    EXPECT_TRUE(diff.m_changes[0].m_difference_in_ps);
}

TEST_F(DiffRowsTest, KeysOfTheOptionsPairTheRowsOfTheTablesTheySelect)
{
    // Neither Clock nor Edge is unique, both together are; Id is the
    // leftmost unique column, which the key takes the place of.
    auto table = [](bool edited) {
        const char* clocks[] = {"clk", "clk", "mem", "mem"};
        const char* edges[] = {"rise", "fall", "rise", "fall"};
        std::string rows = row_of({text_cell("Clock"), text_cell("Edge"), text_cell("Period"), text_cell("Id")});
        for (int r = 0; r < 4; ++r) {
            int at = edited ? 3 - r : r;  // the new report has them the other way round
            rows += row_of({text_cell(clocks[at]), text_cell(edges[at]),
                            int_cell(edited && at == 2 ? 1 : at), int_cell(edited ? 10 + at : at)});
        }
        return table_of(rows);
    };
    auto key = [](const char* pattern, std::vector<std::string> columns) {
        return RDB_DIFF_KEY{RDB_PATH_PATTERN(pattern), std::move(columns)};
    };
    RDB_DIFF_OPTIONS options;
    // Named by title (case and blanks aside) and by number; a key of
    // another table is not used, and only the first that selects counts.
    options.m_keys = {key("main/other", {"Id"}), key("main/*", {" clock ", "2"}), key("**", {"Id"})};
    BODY_DIFF diff = diff_bodies(table(false), table(true), options);
    EXPECT_EQ(diff.m_lines, (LINES{"cell_value main/t (table) by key mem | fall#1 col 3=Id int>int: '3' -> '13' 10",
                                   "cell_value main/t (table) by key mem | rise#2 col 2=Period int>int: '2' -> '1' -1",
                                   "cell_value main/t (table) by key mem | rise#2 col 3=Id int>int: '2' -> '12' 10",
                                   "cell_value main/t (table) by key clk | fall#3 col 3=Id int>int: '1' -> '11' 10",
                                   "cell_value main/t (table) by key clk | rise#4 col 3=Id int>int: '0' -> '10' 10"}));
    ASSERT_FALSE(diff.m_changes.empty());
    EXPECT_EQ(diff.m_changes[0].m_key_columns, "Clock, Edge");
    ASSERT_EQ(diff.m_totals.m_keys.size(), 3u);
    EXPECT_EQ(diff.m_totals.m_keys[0].m_tables, 0u);
    EXPECT_EQ(diff.m_totals.m_keys[1].m_tables, 1u);
    EXPECT_EQ(diff.m_totals.m_keys[1].m_unusable_path, "");
    EXPECT_EQ(diff.m_totals.m_keys[2].m_tables, 0u);

    // A key it cannot use is told, and the rows are aligned by content,
    // not keyed by another column.
    for (const auto& unusable : {std::make_pair(key("main/t", {"Clock", "Net"}), "has no column \"Net\""),
                                 std::make_pair(key("main/t", {"9"}), "has no column \"9\""),
                                 std::make_pair(key("main/t", {"Clock"}), "the key repeats in the old report")}) {
        options.m_keys = {unusable.first, key("**", {"Id"})};
        diff = diff_bodies(table(false), table(true), options);
        ASSERT_FALSE(diff.m_changes.empty());
        for (const RDB_DIFF_CHANGE& change : diff.m_changes)
            EXPECT_EQ(change.m_match, RDB_DIFF_MATCH_BY_CONTENT) << line_of(change);
        EXPECT_EQ(diff.m_totals.m_keys[0].m_tables, 0u);
        EXPECT_EQ(diff.m_totals.m_keys[0].m_unusable_path, "main/t");
        EXPECT_EQ(diff.m_totals.m_keys[0].m_unusable_reason, unusable.second);
        EXPECT_EQ(diff.m_totals.m_keys[1].m_tables, 0u);
    }
    // Repeating in the new report only.
    options.m_keys = {key("main/t", {"Period"})};
    diff = diff_bodies(table(false), table(true), options);
    EXPECT_EQ(diff.m_totals.m_keys[0].m_unusable_reason, "the key repeats in the new report");
}

TEST_F(DiffRowsTest, TheLeftmostColumnUniqueInBothReportsKeysTheRows)
{
    // Group repeats; Name is unique in both: a moved row is the same row.
    auto table = [](bool edited) {
        std::string rows = row_of({text_cell("Group"), text_cell("Name"), text_cell("Count")});
        const char* names[] = {"a", "b", "c"};
        for (int r = 0; r < 3; ++r) {
            int at = edited ? 2 - r : r;
            rows += row_of({text_cell("g"), text_cell(names[at]), int_cell(edited && at == 1 ? 9 : at)});
        }
        return table_of(rows);
    };
    BODY_DIFF diff = diff_bodies(table(false), table(true));
    EXPECT_EQ(diff.m_lines, LINES{"cell_value main/t (table) by key b#2 col 2=Count int>int: '1' -> '9' 8"});
    ASSERT_EQ(diff.m_changes.size(), 1u);
    EXPECT_EQ(diff.m_changes[0].m_key_columns, "Name");

    // A column unique in one report only is no key, nor one that a row
    // has no cell in. Without a heading row, a key is named by its number.
    auto rows = [](std::vector<std::string> names) {
        std::string text;
        for (std::size_t r = 0; r < names.size(); ++r)
            text += names[r].empty() ? row_of({int_cell(1)})
                                     : row_of({int_cell(1), text_cell(names[r]), int_cell(static_cast<int>(r))});
        return table_of(text);
    };
    diff = diff_bodies(rows({"a", "b"}), rows({"a", "a"}));
    ASSERT_FALSE(diff.m_changes.empty());
    EXPECT_EQ(diff.m_changes[0].m_match, RDB_DIFF_MATCH_BY_KEY);
    EXPECT_EQ(diff.m_changes[0].m_key_columns, "column 3");
    diff = diff_bodies(rows({"", "b"}), rows({"a", "b"}));
    ASSERT_FALSE(diff.m_changes.empty());
    EXPECT_EQ(diff.m_changes[0].m_match, RDB_DIFF_MATCH_BY_CONTENT);
    // Nor is a key column of the options.
    RDB_DIFF_OPTIONS options;
    options.m_keys = {RDB_DIFF_KEY{RDB_PATH_PATTERN("main/t"), {"3"}}};
    diff = diff_bodies(rows({"", "b"}), rows({"a", "b"}), options);
    ASSERT_FALSE(diff.m_changes.empty());
    EXPECT_EQ(diff.m_changes[0].m_match, RDB_DIFF_MATCH_BY_CONTENT);
    EXPECT_EQ(diff.m_totals.m_keys[0].m_unusable_reason, "a row of the old report has no cell there");
}

TEST_F(DiffRowsTest, PastTheCapTheRestOfATableIsReplaced)
{
    // Two equal rows, then rows that all differ: with a cap of 3 the two
    // stand, the rest is paired in order and the surplus removed.
    auto table = [](const char* prefix, int count) {
        std::string rows = row_of({text_cell("Group"), text_cell("Name")});
        for (int r = 0; r < 2; ++r)
            rows += row_of({text_cell("g"), int_cell(r)});
        for (int r = 0; r < count; ++r)
            rows += row_of({text_cell("g"), text_cell(prefix + std::to_string(r / 2))});
        return table_of(rows);
    };
    RDB_DIFF_OPTIONS options;
    options.m_alignment_cap = 3;
    BODY_DIFF diff = diff_bodies(table("old", 6), table("new", 4), options);
    EXPECT_EQ(diff.m_lines, (LINES{"cell_value main/t (table) replaced #3 col 1=Name string>string: 'old0' -> 'new0'",
                                   "cell_value main/t (table) replaced #4 col 1=Name string>string: 'old0' -> 'new0'",
                                   "cell_value main/t (table) replaced #5 col 1=Name string>string: 'old1' -> 'new1'",
                                   "cell_value main/t (table) replaced #6 col 1=Name string>string: 'old1' -> 'new1'",
                                   "row_removed main/t (table) replaced #7: 'g | old2' -> none",
                                   "row_removed main/t (table) replaced #8: 'g | old2' -> none"}));
    // What the edits up to the cap reach stands: with a cap of 1, one row
    // removed reaches the equal row "s", and only the rest is replaced.
    auto rows_of = [](std::vector<std::string> names) {
        std::string rows = row_of({text_cell("Group"), text_cell("Name")});
        rows += row_of({text_cell("g"), int_cell(0)}) + row_of({text_cell("g"), int_cell(0)});
        for (const std::string& name : names)
            rows += row_of({text_cell("g"), text_cell(name)});
        return table_of(rows);
    };
    options.m_alignment_cap = 1;
    diff = diff_bodies(rows_of({"x", "s", "a1", "a2"}), rows_of({"s", "b1", "b2", "b3"}), options);
    EXPECT_EQ(diff.m_lines, (LINES{"row_removed main/t (table) replaced #3: 'g | x' -> none",
                                   "cell_value main/t (table) replaced #4 col 1=Name string>string: 'a1' -> 'b1'",
                                   "cell_value main/t (table) replaced #5 col 1=Name string>string: 'a2' -> 'b2'",
                                   "row_added main/t (table) replaced #6: none -> 'g | b3'"}));
    // They differ in 10 rows: a cap of 10 is not passed, one of 9 is; and
    // in 9 rows with one row fewer.
    for (int old_count : {6, 5}) {
        std::size_t differing = old_count + 4;
        for (std::size_t cap : {differing - 1, differing}) {
            options.m_alignment_cap = cap;
            diff = diff_bodies(table("old", old_count), table("new", 4), options);
            ASSERT_EQ(diff.m_changes.size(), old_count);
            EXPECT_EQ(diff.m_changes[0].m_match,
                      cap == differing ? RDB_DIFF_MATCH_BY_CONTENT : RDB_DIFF_MATCH_REPLACED);
        }
    }
}

namespace {

// The fewest rows removed and added that turn `old_rows` into `new_rows`:
// all but their longest common subsequence, computed the plain way.
std::size_t fewest_edits(const std::vector<std::string>& old_rows, const std::vector<std::string>& new_rows)
{
    std::vector<std::vector<std::size_t>> common(old_rows.size() + 1, std::vector<std::size_t>(new_rows.size() + 1));
    for (std::size_t o = old_rows.size(); o-- > 0;)
        for (std::size_t n = new_rows.size(); n-- > 0;)
            common[o][n] = old_rows[o] == new_rows[n] ? common[o + 1][n + 1] + 1
                                                      : std::max(common[o + 1][n], common[o][n + 1]);
    return old_rows.size() + new_rows.size() - 2 * common[0][0];
}

}  // namespace

TEST_F(DiffRowsTest, AlignedRowsCoverBothTablesInOrderWithTheFewestEdits)
{
    // Random tables of rows "a", "b" and "c" after two rows "p" (so that
    // no column is unique): replaying the changes in order walks both
    // tables once, row by row, and, under the cap, removes and adds no
    // more rows than the fewest edits. A changed row is a removed and an
    // added row paired.
    std::mt19937 random(20261207);
    const char* const values[] = {"a", "b", "c"};
    for (std::size_t cap : {std::size_t(10000), std::size_t(2), std::size_t(3)}) {
        for (int round = 0; round < 150; ++round) {
            std::vector<std::string> old_rows = {"p", "p"}, new_rows = {"p", "p"};
            for (std::vector<std::string>* rows : {&old_rows, &new_rows})
                for (std::size_t count = random() % 9; count > 0; --count)
                    rows->push_back(values[random() % 3]);
            auto table = [](const std::vector<std::string>& values_of_rows) {
                std::string rows;
                for (const std::string& value : values_of_rows)
                    rows += row_of({text_cell(value), int_cell(0)});
                return table_of(rows);
            };
            RDB_DIFF_OPTIONS options;
            options.m_alignment_cap = cap;
            BODY_DIFF diff = diff_bodies(table(old_rows), table(new_rows), options);
            std::string context = ::testing::PrintToString(old_rows) + " -> " + ::testing::PrintToString(new_rows);
            std::size_t o = 0, n = 0, edits = 0;
            // The rows up to `new_end` of the new table are unchanged.
            auto unchanged_until = [&](std::size_t new_end) {
                for (; n < new_end && o < old_rows.size(); ++n, ++o)
                    EXPECT_EQ(old_rows[o], new_rows[n]) << context;
                EXPECT_EQ(n, new_end) << context;
            };
            std::size_t fewest = fewest_edits(old_rows, new_rows);
            for (const RDB_DIFF_CHANGE& change : diff.m_changes) {
                EXPECT_EQ(change.m_match, fewest > cap ? RDB_DIFF_MATCH_REPLACED : RDB_DIFF_MATCH_BY_CONTENT)
                    << context;
                ASSERT_GE(change.m_index, 1u) << context;
                std::size_t at = change.m_index - 1;
                if (change.m_kind == RDB_DIFF_ROW_REMOVED) {
                    ASSERT_GE(at, o) << context;
                    unchanged_until(n + (at - o));
                    ASSERT_LT(o, old_rows.size()) << context;
                    EXPECT_EQ(change.m_old, old_rows[o] + " | 0") << context;
                    ++o;
                    edits += 1;
                } else if (change.m_kind == RDB_DIFF_ROW_ADDED) {
                    unchanged_until(at);
                    ASSERT_LT(n, new_rows.size()) << context;
                    EXPECT_EQ(change.m_new, new_rows[n] + " | 0") << context;
                    ++n;
                    edits += 1;
                } else {
                    ASSERT_EQ(change.m_kind, RDB_DIFF_CELL_VALUE) << context;
                    unchanged_until(at);
                    ASSERT_LT(o, old_rows.size()) << context;
                    ASSERT_LT(n, new_rows.size()) << context;
                    EXPECT_EQ(change.m_old, old_rows[o]) << context;
                    EXPECT_EQ(change.m_new, new_rows[n]) << context;
                    ++o, ++n;
                    edits += 2;
                }
            }
            unchanged_until(new_rows.size());
            EXPECT_EQ(o, old_rows.size()) << context;
            if (fewest <= cap)
                EXPECT_EQ(edits, fewest) << context;
            else
                EXPECT_GT(edits, cap) << context;
        }
    }
}

TEST_F(DiffRowsTest, PointsAndGaugesOfRepeatedNamesAlignByContent)
{
    auto chart = [](const std::vector<int>& values) {
        std::string points;
        for (int value : values)
            points += "<data name=\"p\">" + std::to_string(value) + "</data>";
        return "<chart name=\"c\" parent=\"main\" size=\"" + std::to_string(values.size()) +
               "\"><type>bar</type>" + points + "</chart>";
    };
    BODY_DIFF diff = diff_bodies(chart({1, 2, 3, 4, 5}), chart({1, 2, 4, 5}));
    EXPECT_EQ(diff.m_lines, LINES{"point_removed main/c (chart) by content p#3: '3' -> none"});
    diff = diff_bodies(chart({1, 2, 3, 4, 5}), chart({1, 2, 7, 4, 5}));
    EXPECT_EQ(diff.m_lines, LINES{"point_value main/c (chart) by content p#3: '3' -> '7' 4"});

    auto summary = [](const std::vector<int>& values) {
        std::string gauges;
        for (int value : values)
            gauges += "<gauge name=\"g\"><min>0</min><max>10</max><value>" + std::to_string(value) + "</value></gauge>";
        return "<summary name=\"s\" parent=\"main\"><element name=\"Status\">ok</element><gauges>" + gauges +
               "</gauges></summary>";
    };
    diff = diff_bodies(summary({1, 2, 3, 4}), summary({2, 3, 4}));
    ASSERT_EQ(diff.m_changes.size(), 1u);
    EXPECT_EQ(diff.m_changes[0].m_kind, RDB_DIFF_GAUGE_REMOVED);
    EXPECT_EQ(diff.m_changes[0].m_match, RDB_DIFF_MATCH_BY_CONTENT);
    EXPECT_EQ(diff.m_changes[0].m_index, 1u);
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
    // A point is its label and its value: two values of ten changed, 80 %.
    std::string two_changed = points(7);
    two_changed.replace(two_changed.find(">5<"), 3, ">8<");
    EXPECT_EQ(changes(table("h", points(3), "chart"), table("histogram", two_changed, "chart")),
              (LINES{"object_removed main/h (chart): none -> none", "object_added main/histogram (chart): none -> none"}));
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
