// Rules a report is checked against, and the conditions on rows they are
// made of: what `rdbxml check --fail-if` asks of a report, and what
// `--where` keeps of a table. Hosts check reports with them too.
//
// A rule names objects by a path pattern (rdb_path.h) and asks a question
// of their rows:
//
//   rule       = PATH " : " condition
//   condition  = NAME [ "[" COLUMN "=" TEXT "]" ] OP VALUE
//   OP         = "<" | "<=" | ">" | ">=" | "==" | "!="
//   VALUE      = NUMBER [ UNIT ] | TEXT
//   UNIT       = "ps" | "ns" | "us" | "MHz" | "GHz" | "%"   (any case)
//
//   main/timing/Setup slack : Slack < 0ps
//   **/Flow summary : Logic elements > 90%
//   main/timing/Fmax : Fmax [Clock = clk_core] < 400MHz
//
// How a rule is split:
//   - PATH is everything before the first " : " (space, colon, space) that
//     no backslash escapes; it is a pattern as rdb_path.h reads them, with
//     its backslashes.
//   - OP is the last of the operators that stands between spaces; VALUE is
//     what follows it, blanks around it removed. A NUMBER is a decimal
//     number ("-0.5", "1e3", "1,842": commas between digits are thousands
//     separators), a blank between it and its unit allowed. Any other VALUE
//     is a TEXT, which only "==" and "!=" take.
//   - A ROW-FILTER is the "[...]" that ends what stands before OP: COLUMN is
//     its text up to the first "=", TEXT the rest.
//   - NAME is what remains. NAME, COLUMN and TEXT lose their surrounding
//     blanks; in them (and in PATH) a backslash stands for the character
//     after it, so "a\ : b" is the name "a : b" and "\[" a bracket.
//
// What NAME finds in each object PATH matches (and in each object below a
// matched folder):
//   - in a table (timing tables and charts too): the column whose heading
//     (a chart's axis label) it is; a row filter keeps the data rows whose
//     cell in COLUMN reads TEXT (rdb_cell_text). Names compare ignoring
//     ASCII case and surrounding blanks.
//   - in a summary: the gauges of that name; when it has none, the rows
//     labelled so.
// Objects that lack the name (or the filter's column) are skipped.
//
// What each row's value is compared as:
//   - a delay, against ps, ns or us: its picoseconds; against MHz or GHz:
//     the frequency it stands for, 1 000 000 / picoseconds MHz, which a
//     delay of 0 or less does not have;
//   - a gauge, against %: its percent (rdb_gauge_percent), which a gauge
//     whose max equals its min does not have; without a unit: its value;
//   - an integer cell, or a text that reads as a NUMBER (a summary's
//     "1,842"): that number; a text followed by "%" (a summary's "87 %")
//     only against %;
//   - any other text: as it is, by "==" and "!=" alone.
// A number without a unit against delays, and a unit that does not fit
// what NAME found, make the rule unusable (RDB_RULE_MISFIT); so does a
// TEXT against anything else but texts.
// A row whose value cannot be compared (no frequency, no percent, a text
// where a number is asked for) breaks the rule: it cannot be said to hold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <rdbxml/rdb_path.h>
#include <rdbxml/rdb_table.h>

class RDB_FOLDER_OBJECT;
class RDB_GAUGES_DATA_ELEMENT;

enum RDB_RULE_OP { RDB_RULE_LT, RDB_RULE_LE, RDB_RULE_GT, RDB_RULE_GE, RDB_RULE_EQ, RDB_RULE_NE };
enum RDB_RULE_UNIT {
    RDB_UNIT_NONE,
    RDB_UNIT_PS,
    RDB_UNIT_NS,
    RDB_UNIT_US,
    RDB_UNIT_MHZ,
    RDB_UNIT_GHZ,
    RDB_UNIT_PERCENT,
};

// "<", "<=", ... as written in a rule.
const char* rdb_rule_op_text(RDB_RULE_OP op);

// Reads `text` as a NUMBER of the grammar above: blanks around it allowed,
// commas only between digits (thousands separators, dropped). False for
// anything else, `number` unchanged.
bool rdb_read_number(std::string_view text, double& number);

// Reads `text` as a NUMBER followed by "%" ("87 %", "87%", blanks around
// allowed): a summary's percent, which rules compare against %. False for
// anything else, `number` unchanged.
bool rdb_read_percent(std::string_view text, double& number);

// The column of `table` whose heading (a chart's axis label) is `name`,
// ignoring ASCII case and surrounding blanks on both sides; -1 when none is.
int rdb_find_column(const RDB_TABLE_OBJECT& table, std::string_view name);

// The condition of a rule, or of --where: NAME [ROW-FILTER] OP VALUE.
class RDB_CONDITION {
public:
    explicit RDB_CONDITION(std::string_view text);

    // False for a condition that does not parse; get_error() says why.
    bool is_valid() const { return m_error.empty(); }
    const std::string& get_error() const { return m_error; }

    const std::string& get_text() const { return m_text; }  // as written
    const std::string& get_name() const { return m_name; }
    bool has_filter() const { return m_has_filter; }
    const std::string& get_filter_column() const { return m_filter_column; }
    const std::string& get_filter_text() const { return m_filter_text; }
    RDB_RULE_OP get_op() const { return m_op; }
    // A NUMBER VALUE, in its unit; else VALUE is the text get_value_text().
    bool is_number() const { return m_is_number; }
    double get_number() const { return m_number; }
    RDB_RULE_UNIT get_unit() const { return m_unit; }
    const std::string& get_value_text() const { return m_value_text; }

private:
    std::string m_text;
    std::string m_error;
    std::string m_name;
    bool m_has_filter = false;
    std::string m_filter_column;
    std::string m_filter_text;
    RDB_RULE_OP m_op = RDB_RULE_EQ;
    bool m_is_number = false;
    double m_number = 0;
    RDB_RULE_UNIT m_unit = RDB_UNIT_NONE;
    std::string m_value_text;
};

// A condition bound to one table's columns, to ask it of the table's data
// rows one at a time (--where).
class RDB_TABLE_CONDITION {
public:
    RDB_TABLE_CONDITION(const RDB_CONDITION& condition, const RDB_TABLE_OBJECT& table);

    // False when the table lacks the named column, or the filter's.
    bool is_bound() const { return m_column >= 0 && (!m_condition.has_filter() || m_filter_column >= 0); }
    // Empty when VALUE fits the column; else why it does not (the rule is
    // then unusable on this table).
    const std::string& get_misfit() const { return m_misfit; }
    // Whether the row filter keeps `row` (always, without a filter).
    bool selects(const RDB_TABLE_ROW& row) const;
    // Whether `row`'s value meets the condition; false when it cannot be
    // compared. Only for a bound condition without a misfit.
    bool meets(const RDB_TABLE_ROW& row) const;

private:
    const RDB_CONDITION& m_condition;
    int m_column = -1;
    int m_filter_column = -1;
    int m_measure = 0;  // how the column's cells are compared (rdb_rule.cpp)
    std::string m_misfit;
};

// A rule: a path pattern and a condition.
class RDB_RULE {
public:
    explicit RDB_RULE(std::string_view text);

    bool is_valid() const { return m_error.empty(); }
    const std::string& get_error() const { return m_error; }
    const std::string& get_text() const { return m_text; }       // as written
    const std::string& get_path_text() const { return m_path; }  // PATH as written
    const RDB_PATH_PATTERN& get_pattern() const { return m_pattern; }
    const RDB_CONDITION& get_condition() const { return m_condition; }

private:
    std::string m_text;
    std::string m_error;
    std::string m_path;
    RDB_PATH_PATTERN m_pattern;
    RDB_CONDITION m_condition;
};

// What `rdbxml trend` follows over many runs: a rule without OP and
// VALUE, "PATH : NAME [ROW-FILTER]", split by the same reading (an
// operator between spaces, which only a rule can have, is refused).
class RDB_SELECTOR {
public:
    explicit RDB_SELECTOR(std::string_view text);

    bool is_valid() const { return m_error.empty(); }
    const std::string& get_error() const { return m_error; }
    const std::string& get_text() const { return m_text; }       // as written
    const std::string& get_path_text() const { return m_path; }  // PATH as written
    const RDB_PATH_PATTERN& get_pattern() const { return m_pattern; }
    const std::string& get_name() const { return m_name; }
    bool has_filter() const { return m_has_filter; }
    const std::string& get_filter_column() const { return m_filter_column; }
    const std::string& get_filter_text() const { return m_filter_text; }

private:
    std::string m_text;
    std::string m_error;
    std::string m_path;
    RDB_PATH_PATTERN m_pattern;
    std::string m_name;
    bool m_has_filter = false;
    std::string m_filter_column;
    std::string m_filter_text;
};

enum RDB_RULE_STATUS {
    // A rule names what must not be (--fail-if "Slack < 0ps"): it holds
    // when no row meets its condition, and a row that does breaks it.
    RDB_RULE_HOLDS,      // no row it asks of meets the condition, and each could be compared
    RDB_RULE_FAILS,      // some row meets it, or has a value that cannot be compared
    RDB_RULE_NO_OBJECT,  // PATH matched no object
    RDB_RULE_NO_NAME,    // no matched object has NAME (and the filter's column)
    RDB_RULE_MISFIT,     // VALUE does not fit what NAME found (m_error says how)
};

// One row that breaks a rule: it meets the condition, or cannot be compared.
struct RDB_RULE_ROW {
    std::string m_path;   // the object's path
    unsigned m_row = 0;   // the data row (a gauge's place among the gauges), from 1
    std::string m_value;  // the value as the report shows it ("-0.120 ns", "87%", "1,842")
    std::string m_cells;  // the row's first three cells as shown, joined by ", "
};

struct RDB_RULE_OUTCOME {
    RDB_RULE_STATUS m_status = RDB_RULE_HOLDS;
    std::string m_error;            // RDB_RULE_MISFIT: why, naming the object's path
    std::size_t m_objects = 0;      // objects PATH matched
    std::size_t m_checked = 0;      // rows asked
    std::size_t m_violations = 0;   // rows that broke the rule, all of them
    // The rows that broke it, at most `limit` of them: the worst first for
    // <, <=, > and >= (the lowest value for < and <=, the highest for > and
    // >=; rows that cannot be compared before all), in document order for
    // == and !=.
    std::vector<RDB_RULE_ROW> m_rows;
};

// Asks `rule` of the objects at or below `top`. Time linear in the rows
// asked (the worst rows are kept in a bounded heap), memory in `limit`.
RDB_RULE_OUTCOME rdb_check_rule(const RDB_FOLDER_OBJECT& top, const RDB_RULE& rule, std::size_t limit = 10);

// A gauge's percent, the one definition every view shares: (value - min) /
// (max - min) x 100. False, `percent` unchanged, when max equals min.
bool rdb_gauge_percent(const RDB_GAUGES_DATA_ELEMENT& gauge, double& percent);
// A percent as every view shows it: one decimal, none when the percent is
// a whole number exactly ("63%", "62.5%", "88.0%" for 88.03).
std::string rdb_format_percent(double percent);
// What a gauge shows as its value in every view: a percent gauge whose
// range is not empty its percent (rdb_format_percent), any other its value.
std::string rdb_gauge_shown(const RDB_GAUGES_DATA_ELEMENT& gauge);
