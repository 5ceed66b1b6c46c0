// Rules a report is checked against: how a rule's text is read, and what
// checking one finds in a real report read by the parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <rdbxml/rdb_rule.h>

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
