// Rules a report is checked against: how a rule's text is read, and what
// checking one finds in a real report read by the parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <cstring>
#include <memory>
#include <sstream>

#include <rdbxml/rdb_html_writer.h>
#include <rdbxml/rdb_json_writer.h>
#include <rdbxml/rdb_report.h>
#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_text_writer.h>
#include <rdbxml/rdb_xml.h>

namespace {

struct PARSED {
    const char* m_rule;
    const char* m_path;
    const char* m_name;
    const char* m_filter_column;  // null: no row filter
    const char* m_filter_text;
    RDB_RULE_OP m_op;
    bool m_is_number;
    double m_number;
    RDB_RULE_UNIT m_unit;
    const char* m_value_text;
};

struct REFUSED {
    const char* m_rule;
    const char* m_error;  // a part of the error
};

const char* status_text(RDB_RULE_STATUS status)
{
    switch (status) {
    case RDB_RULE_HOLDS:
        return "holds";
    case RDB_RULE_FAILS:
        return "fails";
    case RDB_RULE_NO_OBJECT:
        return "no object";
    case RDB_RULE_NO_NAME:
        return "no name";
    case RDB_RULE_MISFIT:
        return "misfit";
    }
    return "?";
}

// An outcome as one text: its status and counts, then a line per row.
std::string describe(const RDB_RULE_OUTCOME& outcome)
{
    std::string text = std::string(status_text(outcome.m_status)) + " " + std::to_string(outcome.m_violations) + "/" +
                       std::to_string(outcome.m_checked) + " in " + std::to_string(outcome.m_objects);
    if (!outcome.m_error.empty())
        text += ": " + outcome.m_error;
    for (const RDB_RULE_ROW& row : outcome.m_rows)
        text += "\n" + row.m_path + " #" + std::to_string(row.m_row) + " " + row.m_value + " (" + row.m_cells + ")";
    return text;
}

// rules_report.xml, read by the parser once for all the checks.
class RuleCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_report.reset(rdb_xml_parse(RDBXML_TEST_DATA_DIR "/rules_report.xml", nullptr, false, false, true, true, false));
    }
    static void TearDownTestSuite() { s_report.reset(); }

    void SetUp() override { ASSERT_NE(s_report, nullptr); }

    static std::string check(const std::string& text, std::size_t limit = 10)
    {
        RDB_RULE rule(text);
        EXPECT_TRUE(rule.is_valid()) << text << ": " << rule.get_error();
        return describe(rdb_check_rule(*s_report->get_main_folder(), rule, limit));
    }

    static std::unique_ptr<RDB_REPORT> s_report;
};

std::unique_ptr<RDB_REPORT> RuleCheck::s_report;

}  // namespace

TEST(RuleText, ReadsPathNameFilterOperatorAndValue)
{
    const PARSED cases[] = {
        {"main/timing/Setup slack : Slack < 0ps", "main/timing/Setup slack", "Slack", nullptr, "", RDB_RULE_LT, true, 0,
         RDB_UNIT_PS, "0ps"},
        {"**/Flow summary : Logic elements > 90%", "**/Flow summary", "Logic elements", nullptr, "", RDB_RULE_GT, true, 90,
         RDB_UNIT_PERCENT, "90%"},
        {"main/timing/Fmax : Fmax [Clock = clk_core] < 400MHz", "main/timing/Fmax", "Fmax", "Clock", "clk_core", RDB_RULE_LT,
         true, 400, RDB_UNIT_MHZ, "400MHz"},
        // Units in any case, a blank before them; a bare number.
        {"a : Slack >= -0.5 NS", "a", "Slack", nullptr, "", RDB_RULE_GE, true, -0.5, RDB_UNIT_NS, "-0.5 NS"},
        {"a : Slack <= 1e3 us", "a", "Slack", nullptr, "", RDB_RULE_LE, true, 1000, RDB_UNIT_US, "1e3 us"},
        {"a : Fmax > 1.2ghz", "a", "Fmax", nullptr, "", RDB_RULE_GT, true, 1.2, RDB_UNIT_GHZ, "1.2ghz"},
        {"a : Count != 1,842", "a", "Count", nullptr, "", RDB_RULE_NE, true, 1842, RDB_UNIT_NONE, "1,842"},
        // A TEXT, which == and != take.
        {"a : Status == Not run", "a", "Status", nullptr, "", RDB_RULE_EQ, false, 0, RDB_UNIT_NONE, "Not run"},
        {"a : Status != 5 apples", "a", "Status", nullptr, "", RDB_RULE_NE, false, 0, RDB_UNIT_NONE, "5 apples"},
        // The last operator between spaces; one inside a word, or escaped, is text.
        {"a : x<y < 3", "a", "x<y", nullptr, "", RDB_RULE_LT, true, 3, RDB_UNIT_NONE, "3"},
        {"a : a > b == c", "a", "a > b", nullptr, "", RDB_RULE_EQ, false, 0, RDB_UNIT_NONE, "c"},
        {"a : Mode == x \\< y", "a", "Mode", nullptr, "", RDB_RULE_EQ, false, 0, RDB_UNIT_NONE, "x < y"},
        // The first " : " splits; an escaped one belongs to the path or the name.
        {"a\\ : b/c : d\\ : e == f", "a\\ : b/c", "d : e", nullptr, "", RDB_RULE_EQ, false, 0, RDB_UNIT_NONE, "f"},
        {"a : b : c == d", "a", "b : c", nullptr, "", RDB_RULE_EQ, false, 0, RDB_UNIT_NONE, "d"},
        // Escapes in names and filters; blanks trimmed, escaped ones kept.
        {"a :   Bus\\[3\\]\\  [ Clock\\=x = clk \\] ]  ==  y ", "a", "Bus[3] ", "Clock=x", "clk ]", RDB_RULE_EQ, false, 0,
         RDB_UNIT_NONE, "y"},
        {"a : Slack [Clock = x\\[1] > 0", "a", "Slack", "Clock", "x[1", RDB_RULE_GT, true, 0, RDB_UNIT_NONE, "0"},
        {"a : Fmax [Clock =] > 1", "a", "Fmax", "Clock", "", RDB_RULE_GT, true, 1, RDB_UNIT_NONE, "1"},
        {"x\\/y/* : Slack<0 < 0", "x\\/y/*", "Slack<0", nullptr, "", RDB_RULE_LT, true, 0, RDB_UNIT_NONE, "0"},
    };
    for (const PARSED& c : cases) {
        SCOPED_TRACE(c.m_rule);
        RDB_RULE rule(c.m_rule);
        ASSERT_TRUE(rule.is_valid()) << rule.get_error();
        const RDB_CONDITION& condition = rule.get_condition();
        EXPECT_EQ(rule.get_text(), c.m_rule);
        EXPECT_EQ(rule.get_path_text(), c.m_path);
        EXPECT_TRUE(rule.get_pattern().is_valid());
        EXPECT_EQ(condition.get_name(), c.m_name);
        EXPECT_EQ(condition.has_filter(), c.m_filter_column != nullptr);
        if (c.m_filter_column != nullptr) {
            EXPECT_EQ(condition.get_filter_column(), c.m_filter_column);
            EXPECT_EQ(condition.get_filter_text(), c.m_filter_text);
        }
        EXPECT_EQ(condition.get_op(), c.m_op);
        EXPECT_EQ(condition.is_number(), c.m_is_number);
        if (c.m_is_number) {
            EXPECT_DOUBLE_EQ(condition.get_number(), c.m_number);
            EXPECT_EQ(condition.get_unit(), c.m_unit);
        }
        EXPECT_EQ(condition.get_value_text(), c.m_value_text);
    }

    // The path as a pattern matches what it says.
    EXPECT_TRUE(RDB_RULE("main/** : a == b").get_pattern().matches("main/x/y"));
    EXPECT_FALSE(RDB_RULE("main/* : a == b").get_pattern().matches("main/x/y"));
}

TEST(RuleText, RefusesWhatDoesNotReadAndSaysWhy)
{
    const REFUSED cases[] = {
        {"main/t: Slack < 0ps", "no ' : ' between the path and the name"},
        {"main/t\\ : Slack < 0ps", "no ' : ' between the path and the name"},
        {" : Slack < 0ps", "no path before ' : '"},
        {"main/t\\ : Slack < 0", "no ' : '"},
        {"main/t : Slack<0ps", "no operator (<, <=, >, >=, ==, !=) between spaces"},
        {"main/t : Slack \\< 0ps", "no operator"},
        {"main/t : Slack => 0ps", "no operator"},
        {"main/t : < 0ps", "no name before the operator"},
        {"main/t : [Clock = a] < 0ps", "no name before the operator"},
        {"main/t : Slack <", "no value after the operator"},
        {"main/t : Slack <   ", "no value after the operator"},
        {"main/t : Slack < abc", "'abc' is not a number: only == and != compare texts"},
        {"main/t : Slack >= 5 apples", "'5 apples' is not a number"},
        {"main/t : Slack < 0 ms", "'0 ms' is not a number"},
        {"main/t : Fmax [Clock] < 3", "row filter without '='"},
        {"main/t : Fmax [ = a] < 3", "no column before '=' in the row filter"},
        {"main/t : Fmax Clock = a] < 3", "']' without '['"},
        {"main/t : Fmax [Clock = a < 3", "bracket in the name"},
        {"main/t : Fmax == a\\", "a backslash at the end escapes nothing"},
        {"main\\ : x", "no ' : '"},
    };
    for (const REFUSED& c : cases) {
        SCOPED_TRACE(c.m_rule);
        RDB_RULE rule(c.m_rule);
        EXPECT_FALSE(rule.is_valid());
        EXPECT_NE(rule.get_error().find(c.m_error), std::string::npos) << rule.get_error();
    }

    // A condition on its own (--where) reads the same way.
    RDB_CONDITION condition("Slack [Clock = a\\]b] <= -1ns");
    ASSERT_TRUE(condition.is_valid()) << condition.get_error();
    EXPECT_EQ(condition.get_filter_text(), "a]b");
    EXPECT_EQ(condition.get_unit(), RDB_UNIT_NS);
    EXPECT_EQ(condition.get_text(), "Slack [Clock = a\\]b] <= -1ns");
    EXPECT_EQ(RDB_CONDITION("Slack").get_error(), "no operator (<, <=, >, >=, ==, !=) between spaces");
}

TEST(RuleText, ASelectorReadsAsARuleWithoutOperatorAndValue)
{
    struct SELECTED {
        const char* m_text;
        const char* m_path;
        const char* m_name;
        const char* m_filter_column;  // null: no filter
        const char* m_filter_text;
    };
    const SELECTED cases[] = {
        {"**/Flow summary : Logic elements", "**/Flow summary", "Logic elements", nullptr, ""},
        {"main/timing/Fmax : Fmax [Clock = clk_core]", "main/timing/Fmax", "Fmax", "Clock", "clk_core"},
        {"a\\ : b/c : d\\ : e", "a\\ : b/c", "d : e", nullptr, ""},
        {"a :   Bus\\[3\\]\\  [ Clock\\=x = clk \\] ]  ", "a", "Bus[3] ", "Clock=x", "clk ]"},
        {"a : x<y", "a", "x<y", nullptr, ""},
        {"a : x \\< y", "a", "x < y", nullptr, ""},
    };
    for (const SELECTED& c : cases) {
        SCOPED_TRACE(c.m_text);
        RDB_SELECTOR selector(c.m_text);
        ASSERT_TRUE(selector.is_valid()) << selector.get_error();
        EXPECT_EQ(selector.get_text(), c.m_text);
        EXPECT_EQ(selector.get_path_text(), c.m_path);
        EXPECT_TRUE(selector.get_pattern().is_valid());
        EXPECT_EQ(selector.get_name(), c.m_name);
        EXPECT_EQ(selector.has_filter(), c.m_filter_column != nullptr);
        if (c.m_filter_column != nullptr) {
            EXPECT_EQ(selector.get_filter_column(), c.m_filter_column);
            EXPECT_EQ(selector.get_filter_text(), c.m_filter_text);
        }
    }
    EXPECT_TRUE(RDB_SELECTOR("main/** : a").get_pattern().matches("main/x/y"));

    const REFUSED refused[] = {
        {"main/t: Slack", "no ' : ' between the path and the name"},
        {" : Slack", "no path before ' : '"},
        {"main/t : ", "no name after ' : '"},
        {"main/t : [Clock = a]", "no name after ' : '"},
        {"main/t : Fmax [Clock]", "row filter without '='"},
        {"main/t : Fmax [ = a]", "no column before '=' in the row filter"},
        {"main/t : Fmax Clock = a]", "']' without '[' after ' : '"},
        {"main/t : Fmax [Clock = a", "bracket in the name"},
        {"main/t : Fmax\\", "a backslash at the end escapes nothing"},
        {"main/t : Slack < 0ps", "'<' between spaces: a selector has no operator and value"},
        {"main/t : Fmax [Clock = clk] >= 400MHz", "'>=' between spaces"},
    };
    for (const REFUSED& c : refused) {
        SCOPED_TRACE(c.m_rule);
        RDB_SELECTOR selector(c.m_rule);
        EXPECT_FALSE(selector.is_valid());
        EXPECT_NE(selector.get_error().find(c.m_error), std::string::npos) << selector.get_error();
    }
}

TEST_F(RuleCheck, DelaysCompareInPicosecondsWhateverUnitTheyAreShownIn)
{
    // Worst first: the lowest slack, ties in document order.
    EXPECT_EQ(check("main/timing/Setup slack : Slack < 0ps"),
              "fails 3/5 in 1"
              "\nmain/timing/Setup slack #3 -500 ps (-500 ps, a2, b2)"
              "\nmain/timing/Setup slack #2 -0.120 ns (-0.120 ns, a1, b1)"
              "\nmain/timing/Setup slack #5 -120 ps (-120 ps, a4, b4)");
    EXPECT_EQ(check("main/timing/Setup slack : Slack < -0.5ns"), "holds 0/5 in 1");
    EXPECT_EQ(check("main/timing/Setup slack : Slack <= -0.5 NS"),
              "fails 1/5 in 1\nmain/timing/Setup slack #3 -500 ps (-500 ps, a2, b2)");
    EXPECT_EQ(check("main/timing/Setup slack : Slack >= 1us"),
              "fails 1/5 in 1\nmain/timing/Setup slack #4 1000.000 ns (1000.000 ns, a3, b3)");
    EXPECT_EQ(check("main/timing/Setup slack : Slack <= 0.00025us", 0), "fails 4/5 in 1");
    EXPECT_EQ(check("main/timing/Setup slack : Slack == -120ps"),
              "fails 2/5 in 1"
              "\nmain/timing/Setup slack #2 -0.120 ns (-0.120 ns, a1, b1)"
              "\nmain/timing/Setup slack #5 -120 ps (-120 ps, a4, b4)");
    EXPECT_EQ(check("main/timing/Setup slack : Slack != -120ps", 1),
              "fails 3/5 in 1\nmain/timing/Setup slack #1 250 ps (250 ps, a0, b0)");
}

TEST_F(RuleCheck, KeepsTheWorstRowsUpToTheLimitAndCountsThemAll)
{
    // The highest first for >; the limit keeps the worst, not the first.
    EXPECT_EQ(check("main/timing/Setup slack : Slack > -1ns", 2),
              "fails 5/5 in 1"
              "\nmain/timing/Setup slack #4 1000.000 ns (1000.000 ns, a3, b3)"
              "\nmain/timing/Setup slack #1 250 ps (250 ps, a0, b0)");
    EXPECT_EQ(check("main/timing/Setup slack : Slack > -1ns", 5),
              "fails 5/5 in 1"
              "\nmain/timing/Setup slack #4 1000.000 ns (1000.000 ns, a3, b3)"
              "\nmain/timing/Setup slack #1 250 ps (250 ps, a0, b0)"
              "\nmain/timing/Setup slack #2 -0.120 ns (-0.120 ns, a1, b1)"
              "\nmain/timing/Setup slack #5 -120 ps (-120 ps, a4, b4)"
              "\nmain/timing/Setup slack #3 -500 ps (-500 ps, a2, b2)");
    EXPECT_EQ(check("main/timing/Setup slack : Slack < 1ns", 1),
              "fails 4/5 in 1\nmain/timing/Setup slack #3 -500 ps (-500 ps, a2, b2)");
    EXPECT_EQ(check("main/timing/Setup slack : Slack < 1ns", 0), "fails 4/5 in 1");
    // == and != keep document order.
    EXPECT_EQ(check("main/timing/Setup slack : Levels != 0", 2),
              "fails 5/5 in 1"
              "\nmain/timing/Setup slack #1 3 (250 ps, a0, b0)"
              "\nmain/timing/Setup slack #2 7 (-0.120 ns, a1, b1)");
}

TEST_F(RuleCheck, FrequenciesOfTheRowsTheFilterKeeps)
{
    EXPECT_EQ(check("main/timing/Fmax : Fmax [Clock = clk_core] < 400MHz"), "holds 0/2 in 1");
    EXPECT_EQ(check("main/timing/Fmax : Fmax [Clock = clk_core] < 450MHz"),
              "fails 1/2 in 1\nmain/timing/Fmax #1 400.0 MHz (clk_core, 400.0 MHz)");
    EXPECT_EQ(check("main/timing/Fmax : Fmax [ clock = clk_core ] >= 0.45GHz"),
              "fails 1/2 in 1\nmain/timing/Fmax #3 500.0 MHz (clk_core, 500.0 MHz)");
    EXPECT_EQ(check("main/timing/Fmax : Fmax [Clock = clk_core] <= 2000ps"),
              "fails 1/2 in 1\nmain/timing/Fmax #3 500.0 MHz (clk_core, 500.0 MHz)");
    // A delay of 0 has no frequency: it cannot be said to be fast enough,
    // and comes before the rows that are too slow.
    EXPECT_EQ(check("main/timing/Fmax : Fmax < 300MHz"),
              "fails 2/4 in 1"
              "\nmain/timing/Fmax #4 0 ps (clk_dead, 0 ps)"
              "\nmain/timing/Fmax #2 200.0 MHz (clk_io, 200.0 MHz)");
    EXPECT_EQ(check("main/timing/Fmax : Fmax [Clock = clk_dead] > 1GHz"),
              "fails 1/1 in 1\nmain/timing/Fmax #4 0 ps (clk_dead, 0 ps)");
    EXPECT_EQ(check("main/timing/Fmax : Fmax [Clock = clk_none] < 1GHz"), "holds 0/0 in 1");
}

TEST_F(RuleCheck, GaugesByPercentOrValueAndRowsOfASummary)
{
    EXPECT_EQ(check("main/fit/Flow summary : Logic elements > 90%"),
              "fails 1/1 in 1\nmain/fit/Flow summary #1 92.5% (Logic elements, 185, 0 to 200)");
    EXPECT_EQ(check("**/Flow summary : logic ELEMENTS > 95%"), "holds 0/1 in 1");
    EXPECT_EQ(check("**/Flow summary : Memory bits >= 62.5%"),
              "fails 1/1 in 1\nmain/fit/Flow summary #2 62.5% (Memory bits, 5, 0 to 8)");
    EXPECT_EQ(check("**/Flow summary : Logic elements > 184"),
              "fails 1/1 in 1\nmain/fit/Flow summary #1 185 (0 to 200) (Logic elements, 185, 0 to 200)");
    // A gauge whose max equals its min has no percent; its value it has.
    EXPECT_EQ(check("**/Flow summary : PLLs > 50%"),
              "fails 1/1 in 1\nmain/fit/Flow summary #3 4 (4 to 4) (PLLs, 4, 4 to 4)");
    EXPECT_EQ(check("**/Flow summary : PLLs > 4"), "holds 0/1 in 1");

    // Rows: a number with a thousands separator, a percent, a text.
    EXPECT_EQ(check("**/Flow summary : Total registers > 1,800"),
              "fails 1/1 in 1\nmain/fit/Flow summary #2 1,842 (Total registers, 1,842)");
    EXPECT_EQ(check("**/Flow summary : Total registers != 1842"), "holds 0/1 in 1");
    EXPECT_EQ(check("**/Flow summary : Total pins > 90%"), "holds 0/1 in 1");
    EXPECT_EQ(check("**/Flow summary : Total pins < 90 %"),
              "fails 1/1 in 1\nmain/fit/Flow summary #3 87 % (Total pins, 87 %)");
    // "87 %" is no plain number, and "1,842" no percent: neither can be compared.
    EXPECT_EQ(check("**/Flow summary : Total pins > 90"),
              "fails 1/1 in 1\nmain/fit/Flow summary #3 87 % (Total pins, 87 %)");
    EXPECT_EQ(check("**/Flow summary : Total registers > 5%"),
              "fails 1/1 in 1\nmain/fit/Flow summary #2 1,842 (Total registers, 1,842)");
    EXPECT_EQ(check("**/Flow summary : Status == Successful"),
              "fails 1/1 in 1\nmain/fit/Flow summary #1 Successful (Status, Successful)");
    EXPECT_EQ(check("**/Flow summary : Status != Successful"), "holds 0/1 in 1");
    EXPECT_EQ(check("**/Flow summary : Status == successful"), "holds 0/1 in 1");
    EXPECT_EQ(check("**/Flow summary : Status > 3"),
              "fails 1/1 in 1\nmain/fit/Flow summary #1 Successful (Status, Successful)");
}

TEST_F(RuleCheck, ObjectsBelowAMatchedFolderAndNamesThatHoldTheSeparator)
{
    // A text among delays cannot be compared: it comes first.
    EXPECT_EQ(check("main/timing/Hold\\ : fast : Slack\\ : worst < 0ps"),
              "fails 2/2 in 1"
              "\nmain/timing/Hold : fast #2 - (-, clk_io)"
              "\nmain/timing/Hold : fast #1 -1005 ps (-1005 ps, clk_core)");
    // A bound in ns is the picoseconds it names, not a float a hair away.
    EXPECT_EQ(check("main/timing/Hold\\ : fast : Slack\\ : worst == -1.005ns"),
              "fails 2/2 in 1"
              "\nmain/timing/Hold : fast #1 -1005 ps (-1005 ps, clk_core)"
              "\nmain/timing/Hold : fast #2 - (-, clk_io)");
    // The folder matches; its tables are asked, those without the name skipped.
    EXPECT_EQ(check("main/timing : Clock == clk_core"),
              "fails 3/6 in 1"
              "\nmain/timing/Fmax #1 clk_core (clk_core, 400.0 MHz)"
              "\nmain/timing/Fmax #3 clk_core (clk_core, 500.0 MHz)"
              "\nmain/timing/Hold : fast #1 clk_core (-1005 ps, clk_core)");
    // Every object below, a summary's gauges object not apart from its summary.
    EXPECT_EQ(check("main/** : Slack < -400ps"), "fails 1/5 in 8\nmain/timing/Setup slack #3 -500 ps (-500 ps, a2, b2)");
    // A chart's columns are its axes.
    EXPECT_EQ(check("main/fit/Runtime : seconds > 60"), "fails 1/2 in 1\nmain/fit/Runtime #2 75 (place, 75)");
    EXPECT_EQ(check("main/fit/Runtime : Stage == synth"), "fails 1/2 in 1\nmain/fit/Runtime #1 synth (synth, 40)");
}

TEST_F(RuleCheck, SaysWhenNothingIsFoundOrTheValueDoesNotFit)
{
    EXPECT_EQ(check("main/nothing : Slack < 0ps"), "no object 0/0 in 0");
    EXPECT_EQ(check("main/timing/Setup slack : Hold < 0ps"), "no name 0/0 in 1");
    EXPECT_EQ(check("main/timing/Setup slack : Slack [Clock = a] < 0ps"), "no name 0/0 in 1");
    EXPECT_EQ(check("main/fit/Flow summary : Total pins [Clock = a] < 3"), "no name 0/0 in 1");
    EXPECT_EQ(check("main/timing/Setup slack : Slack < 0"),
              "misfit 0/0 in 1: main/timing/Setup slack: Slack holds delays: give the value a unit (ps, ns, us, MHz, GHz)");
    EXPECT_EQ(check("main/timing/Setup slack : Slack < 0%"),
              "misfit 0/0 in 1: main/timing/Setup slack: unit % does not fit the delays of Slack");
    EXPECT_EQ(check("main/timing/Setup slack : Levels < 3ps"),
              "misfit 0/0 in 1: main/timing/Setup slack: unit ps does not fit the integers of Levels");
    EXPECT_EQ(check("main/timing/Setup slack : Slack == none"),
              "misfit 0/0 in 1: main/timing/Setup slack: 'none' is a text, and Slack holds delays: compare it with a number");
    EXPECT_EQ(check("main/fit/Flow summary : Logic elements > 90MHz"),
              "misfit 0/0 in 1: main/fit/Flow summary: unit MHz does not fit the gauges of Logic elements");
    EXPECT_EQ(check("main/fit/Flow summary : Total registers > 5ns"),
              "misfit 0/0 in 1: main/fit/Flow summary: unit ns does not fit the texts of Total registers");
    // A misfit in one object makes the rule unusable, however the others fare.
    EXPECT_EQ(check("main/timing/* : Clock == 5ps"),
              "misfit 0/0 in 3: main/timing/Fmax: unit ps does not fit the texts of Clock");
}

TEST_F(RuleCheck, AConditionBoundToATableKeepsAndTellsRowsOneAtATime)
{
    const RDB_OBJECT* timing = s_report->get_main_folder()->get_object(0);
    const auto* fmax = dynamic_cast<const RDB_TABLE_OBJECT*>(timing->dynamic_cast_to_RDB_FOLDER_OBJECT()->get_object(1));
    ASSERT_NE(fmax, nullptr);
    RDB_CONDITION condition("Fmax [Clock = clk_core] > 450MHz");
    RDB_TABLE_CONDITION bound(condition, *fmax);
    ASSERT_TRUE(bound.is_bound());
    EXPECT_EQ(bound.get_misfit(), "");
    std::vector<bool> selected, met;
    for (unsigned r = fmax->get_first_data_row(); r < fmax->get_number_of_rows(); ++r) {
        selected.push_back(bound.selects(*fmax->get_row(r)));
        met.push_back(bound.meets(*fmax->get_row(r)));
    }
    EXPECT_EQ(selected, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(met, (std::vector<bool>{false, false, true, false}));  // no frequency: not met

    RDB_CONDITION unknown("Fmax [Domain = x] > 1MHz");
    EXPECT_FALSE(RDB_TABLE_CONDITION(unknown, *fmax).is_bound());
    RDB_CONDITION bare("Fmax > 1");
    EXPECT_NE(RDB_TABLE_CONDITION(bare, *fmax).get_misfit(), "");
}

// The share of its range a gauge stands at: one figure in the text tree, the
// page and the JSON, and none for a gauge whose range is empty.
TEST_F(RuleCheck, EveryViewShowsAGaugesPercentOfItsRange)
{
    std::ostringstream text, json, html;
    rdb_write_text(s_report.get(), text);
    rdb_write_json(s_report.get(), json);
    rdb_write_html(s_report.get(), html, "rules");
    EXPECT_NE(text.str().find("Logic elements  92.5%  (0 to 200)\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("Memory bits     62.5%  (0 to 8)\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("PLLs                4  (4 to 4)\n"), std::string::npos) << text.str();

    EXPECT_NE(json.str().find(R"("name":"Logic elements","percent":true,"min":0,"max":200,"value":185,"disabled":false,"percent_of_range":92.5})"),
              std::string::npos)
        << json.str();
    EXPECT_NE(json.str().find(R"("name":"PLLs","percent":true,"min":4,"max":4,"value":4,"disabled":false,"percent_of_range":null})"),
              std::string::npos);

    EXPECT_NE(html.str().find("width:92.5%\"></div></div><span class=\"gauge-value\">92.5%</span>"), std::string::npos);
    EXPECT_NE(html.str().find("width:62.5%\"></div></div><span class=\"gauge-value\">62.5%</span>"), std::string::npos);
    // An empty range the value reaches: a full bar, and the value itself.
    EXPECT_NE(html.str().find("width:100.0%\"></div></div><span class=\"gauge-value\">4 (4\xE2\x80\x93" "4)</span>"),
              std::string::npos);

    // A whole percent is exact and shows no decimal; a rounded one keeps
    // its decimal, so that it does not pass for exact.
    EXPECT_EQ(rdb_format_percent(63), "63%");
    EXPECT_EQ(rdb_format_percent(62.96), "63.0%");
    EXPECT_EQ(rdb_format_percent(2096.0 / 2381 * 100), "88.0%");
    EXPECT_EQ(rdb_format_percent(-0.04), "0.0%");
    EXPECT_EQ(rdb_format_percent(-12.5), "-12.5%");
    EXPECT_EQ(rdb_format_percent(100.0 / 3), "33.3%");
}

// A gauge far into a wide range: the tree and the page show its share of
// the range, not its value with a percent sign.
TEST(GaugePercent, TheTreeAndThePageShowTheShareOfAWideRange)
{
    const char* xml = "<report><folders><root name=\"main\"/></folders>"
                      "<summary name=\"s\" parent=\"main\" enabled=\"true\"><gauges>"
                      "<gauge name=\"Registers\" percent=\"true\" enabled=\"true\"><min>0</min><max>2381</max><value>2096</value></gauge>"
                      "</gauges></summary></report>";
    RDB_XML_RESULT parsed = rdb_xml_parse_input(RDB_XML_INPUT::memory(xml, std::strlen(xml), "gauge.xml"), {});
    const std::unique_ptr<RDB_REPORT>& report = parsed.m_report;
    ASSERT_NE(report, nullptr);
    std::ostringstream text, html;
    rdb_write_text(report.get(), text);
    rdb_write_html(report.get(), html, "gauge");
    EXPECT_NE(text.str().find("Registers  88.0%  (0 to 2381)\n"), std::string::npos) << text.str();
    EXPECT_NE(html.str().find("<span class=\"gauge-value\">88.0%</span>"), std::string::npos);
}
