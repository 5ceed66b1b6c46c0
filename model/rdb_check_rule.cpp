// Asking a rule of a report: which objects it reaches, which rows it asks,
// what each row's value is compared as, and which of the rows that break
// it are worth showing.
#include <rdbxml/rdb_rule.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include <rdbxml/rdb_columns.h>
#include <rdbxml/rdb_folder.h>
#include <rdbxml/rdb_summary.h>
#include "rdb_rule_text.h"

namespace {

// What the cells NAME found hold, the strongest kind present: a column of
// delays with a "-" here and there holds delays.
enum MEASURE { MEASURE_NONE, MEASURE_TEXT, MEASURE_INT, MEASURE_DELAY, MEASURE_GAUGE };

const char* measure_plural(MEASURE measure)
{
    switch (measure) {
    case MEASURE_INT:
        return "integers";
    case MEASURE_DELAY:
        return "delays";
    case MEASURE_GAUGE:
        return "gauges";
    default:
        return "texts";
    }
}

MEASURE measure_of(const RDB_TABLE_ELEMENT* cell)
{
    if (cell == nullptr)
        return MEASURE_NONE;
    switch (cell->get_cell_kind()) {
    case RDB_CELL_DELAY:
        return MEASURE_DELAY;
    case RDB_CELL_INT:
        return MEASURE_INT;
    default:
        return MEASURE_TEXT;
    }
}

const char* unit_text(RDB_RULE_UNIT unit)
{
    switch (unit) {
    case RDB_UNIT_PS:
        return "ps";
    case RDB_UNIT_NS:
        return "ns";
    case RDB_UNIT_US:
        return "us";
    case RDB_UNIT_MHZ:
        return "MHz";
    case RDB_UNIT_GHZ:
        return "GHz";
    case RDB_UNIT_PERCENT:
        return "%";
    default:
        return "";
    }
}

// Why VALUE does not fit what NAME found; empty when it does.
std::string misfit_of(const RDB_CONDITION& condition, MEASURE measure)
{
    if (measure == MEASURE_NONE)
        return {};
    const std::string& name = condition.get_name();
    if (!condition.is_number()) {
        if (measure == MEASURE_TEXT)
            return {};
        return "'" + condition.get_value_text() + "' is a text, and " + name + " holds " + measure_plural(measure) +
               ": compare it with a number";
    }
    RDB_RULE_UNIT unit = condition.get_unit();
    bool fits = false;
    switch (measure) {
    case MEASURE_DELAY:
        if (unit == RDB_UNIT_NONE)
            return name + " holds delays: give the value a unit (ps, ns, us, MHz, GHz)";
        fits = unit != RDB_UNIT_PERCENT;
        break;
    case MEASURE_INT:
        fits = unit == RDB_UNIT_NONE;
        break;
    case MEASURE_TEXT:
    case MEASURE_GAUGE:
        fits = unit == RDB_UNIT_NONE || unit == RDB_UNIT_PERCENT;
        break;
    default:
        fits = true;
    }
    if (fits)
        return {};
    return std::string("unit ") + unit_text(unit) + " does not fit the " + measure_plural(measure) + " of " + name;
}

// One row's value against the condition.
struct VERDICT {
    bool m_meets = false;
    bool m_comparable = false;  // false: the row breaks the rule, having no value to compare
    double m_value = 0;         // in the unit of the condition's scale (ps, MHz, %, a count)
};

// VALUE in the scale row values are compared in: picoseconds for times,
// megahertz for frequencies. A scaled bound is taken to a thousandth of
// the smaller unit, so that "1.005ns" is 1005 ps and not the float just
// below it that the product gives.
double scaled_target(const RDB_CONDITION& condition)
{
    double factor = 1;
    switch (condition.get_unit()) {
    case RDB_UNIT_NS:
    case RDB_UNIT_GHZ:
        factor = 1e3;
        break;
    case RDB_UNIT_US:
        factor = 1e6;
        break;
    default:
        return condition.get_number();
    }
    double scaled = condition.get_number() * factor;
    double rounded = std::round(scaled * 1e3) / 1e3;
    return std::isfinite(rounded) ? rounded : scaled;
}

VERDICT judge_number(const RDB_CONDITION& condition, double value)
{
    double target = scaled_target(condition);
    VERDICT verdict;
    verdict.m_comparable = true;
    verdict.m_value = value;
    switch (condition.get_op()) {
    case RDB_RULE_LT:
        verdict.m_meets = value < target;
        break;
    case RDB_RULE_LE:
        verdict.m_meets = value <= target;
        break;
    case RDB_RULE_GT:
        verdict.m_meets = value > target;
        break;
    case RDB_RULE_GE:
        verdict.m_meets = value >= target;
        break;
    case RDB_RULE_EQ:
        verdict.m_meets = value == target;
        break;
    case RDB_RULE_NE:
        verdict.m_meets = value != target;
        break;
    }
    return verdict;
}

bool is_equality(RDB_RULE_OP op) { return op == RDB_RULE_EQ || op == RDB_RULE_NE; }

// A text as it is: the same bytes as VALUE's, or not (== and != only).
VERDICT judge_as_text(const RDB_CONDITION& condition, std::string_view text)
{
    VERDICT verdict;
    if (!is_equality(condition.get_op()))
        return verdict;
    verdict.m_comparable = true;
    bool same = text == condition.get_value_text();
    verdict.m_meets = condition.get_op() == RDB_RULE_EQ ? same : !same;
    return verdict;
}

VERDICT judge_text(const RDB_CONDITION& condition, std::string_view text)
{
    text = rdb_rule_trimmed(text);
    if (!condition.is_number())
        return judge_as_text(condition, text);
    double number = 0;
    switch (condition.get_unit()) {
    case RDB_UNIT_NONE:
        if (rdb_read_number(text, number))
            return judge_number(condition, number);
        break;
    case RDB_UNIT_PERCENT:
        if (rdb_read_percent(text, number))
            return judge_number(condition, number);
        break;
    default:
        break;
    }
    // A number is asked for, and the text is none.
    return VERDICT();
}

VERDICT judge_cell(const RDB_CONDITION& condition, const RDB_TABLE_ELEMENT* cell)
{
    if (cell == nullptr)
        return VERDICT();
    switch (cell->get_cell_kind()) {
    case RDB_CELL_DELAY: {
        long delay = static_cast<const RDB_TABLE_DELAY_ELEMENT*>(cell)->get_delay();
        switch (condition.is_number() ? condition.get_unit() : RDB_UNIT_NONE) {
        case RDB_UNIT_PS:
        case RDB_UNIT_NS:
        case RDB_UNIT_US:
            return judge_number(condition, static_cast<double>(delay));
        case RDB_UNIT_MHZ:
        case RDB_UNIT_GHZ: {
            double mhz = 0;
            if (!rdb_delay_number(delay, RDB_DELAY_DISPLAY_MHZ, mhz))
                return VERDICT();
            return judge_number(condition, mhz);
        }
        default:
            return VERDICT();
        }
    }
    case RDB_CELL_INT:
        if (!condition.is_number() || condition.get_unit() != RDB_UNIT_NONE)
            return VERDICT();
        return judge_number(condition, static_cast<const RDB_TABLE_INT_ELEMENT*>(cell)->get_data());
    default:
        return judge_text(condition, rdb_cell_text(*cell));
    }
}

VERDICT judge_gauge(const RDB_CONDITION& condition, const RDB_GAUGES_DATA_ELEMENT& gauge)
{
    if (!condition.is_number())
        return VERDICT();
    if (condition.get_unit() == RDB_UNIT_NONE)
        return judge_number(condition, gauge.m_value);
    double percent = 0;
    if (condition.get_unit() != RDB_UNIT_PERCENT || !rdb_gauge_percent(gauge, percent))
        return VERDICT();
    return judge_number(condition, percent);
}

const RDB_TABLE_ELEMENT* cell_at(const RDB_TABLE_ROW& row, int column)
{
    return column >= 0 && static_cast<std::size_t>(column) < row.size() ? row[column] : nullptr;
}

// A cell as the report shows it, without the blanks around it.
std::string shown(const RDB_TABLE_ELEMENT* cell)
{
    return cell != nullptr ? std::string(rdb_rule_trimmed(rdb_cell_text(*cell))) : std::string();
}

// The row's first three cells as shown.
std::string first_cells(const RDB_TABLE_ROW& row)
{
    std::string cells;
    for (std::size_t c = 0; c < row.size() && c < 3; ++c) {
        if (c > 0)
            cells += ", ";
        cells += shown(row[c]);
    }
    return cells;
}

std::string gauge_value_text(const RDB_CONDITION& condition, const RDB_GAUGES_DATA_ELEMENT& gauge)
{
    double percent = 0;
    if (condition.get_unit() == RDB_UNIT_PERCENT && rdb_gauge_percent(gauge, percent))
        return rdb_format_percent(percent);
    return std::to_string(gauge.m_value) + " (" + std::to_string(gauge.m_min) + " to " + std::to_string(gauge.m_max) + ")";
}

// A row kept to be shown: where it is in the report, which stays as it is
// while the rule is asked, so that its texts are made once, at the end,
// for the rows still kept then (rows arriving worst and worst again would
// otherwise each have them made). The object's path is shared by its rows.
struct KEPT_ROW {
    std::shared_ptr<const std::string> m_path;
    unsigned m_number = 0;
    const RDB_TABLE_ROW* m_row = nullptr;             // a table's or summary's row
    const RDB_TABLE_ELEMENT* m_cell = nullptr;        // and its value cell
    const RDB_GAUGES_DATA_ELEMENT* m_gauge = nullptr;  // or a gauge

    RDB_RULE_ROW shown_as(const RDB_CONDITION& condition) const
    {
        if (m_gauge != nullptr) {
            const RDB_GAUGES_DATA_ELEMENT& gauge = *m_gauge;
            std::string range = std::to_string(gauge.m_min) + " to " + std::to_string(gauge.m_max);
            return RDB_RULE_ROW{*m_path, m_number, gauge_value_text(condition, gauge),
                                std::string(gauge.get_name().view()) + ", " + std::to_string(gauge.m_value) + ", " + range};
        }
        return RDB_RULE_ROW{*m_path, m_number, shown(m_cell), first_cells(*m_row)};
    }
};

// The rows that broke the rule worth showing: at most `limit`, the worst
// kept in a heap whose top is the mildest of them.
class WORST_ROWS {
public:
    WORST_ROWS(RDB_RULE_OP op, std::size_t limit) : m_op(op), m_limit(limit) {}

    // Whether a row of this verdict would be kept, the next in document order.
    bool wants(const VERDICT& verdict) const
    {
        if (m_limit == 0)
            return false;
        if (m_heap.size() < m_limit)
            return true;
        return worse(rank(verdict), m_heap.front());
    }
    // Keeps `row`, which wants() accepted, turning away the mildest kept.
    void keep(const VERDICT& verdict, KEPT_ROW row)
    {
        ENTRY entry = rank(verdict);
        entry.m_row = std::move(row);
        if (m_heap.size() == m_limit) {
            std::pop_heap(m_heap.begin(), m_heap.end(), worse);
            m_heap.back() = std::move(entry);
        } else {
            m_heap.push_back(std::move(entry));
        }
        std::push_heap(m_heap.begin(), m_heap.end(), worse);
        ++m_order;
    }
    void pass() { ++m_order; }

    std::vector<RDB_RULE_ROW> take_worst_first(const RDB_CONDITION& condition)
    {
        std::sort_heap(m_heap.begin(), m_heap.end(), worse);
        std::vector<RDB_RULE_ROW> rows;
        rows.reserve(m_heap.size());
        for (const ENTRY& entry : m_heap)
            rows.push_back(entry.m_row.shown_as(condition));
        m_heap.clear();
        return rows;
    }

private:
    struct ENTRY {
        bool m_comparable = true;
        double m_badness = 0;  // lower is worse
        std::size_t m_order = 0;
        KEPT_ROW m_row;
    };

    ENTRY rank(const VERDICT& verdict) const
    {
        ENTRY entry;
        entry.m_order = m_order;
        if (m_op == RDB_RULE_LT || m_op == RDB_RULE_LE) {
            entry.m_comparable = verdict.m_comparable;
            entry.m_badness = verdict.m_value;
        } else if (m_op == RDB_RULE_GT || m_op == RDB_RULE_GE) {
            entry.m_comparable = verdict.m_comparable;
            entry.m_badness = -verdict.m_value;
        }
        return entry;
    }
    static bool worse(const ENTRY& a, const ENTRY& b)
    {
        if (a.m_comparable != b.m_comparable)
            return !a.m_comparable;
        if (a.m_badness != b.m_badness)
            return a.m_badness < b.m_badness;
        return a.m_order < b.m_order;
    }

    RDB_RULE_OP m_op;
    std::size_t m_limit;
    std::size_t m_order = 0;
    std::vector<ENTRY> m_heap;
};


// Asks the rule of the objects one at a time, as the walk reaches them.
class RULE_CHECK {
public:
    RULE_CHECK(const RDB_CONDITION& condition, std::size_t limit, RDB_RULE_OUTCOME& outcome)
        : m_condition(condition), m_worst(condition.get_op(), limit), m_outcome(outcome)
    {
    }

    void ask(const std::string& path, const RDB_OBJECT& object)
    {
        m_path.reset();
        if (!m_misfit.empty())
            return;
        if (const auto* summary = dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(&object))
            ask_summary(path, *summary);
        else if (const auto* table = dynamic_cast<const RDB_TABLE_OBJECT*>(&object))
            ask_table(path, *table);
    }

    void finish()
    {
        if (!m_bound) {
            m_outcome.m_status = RDB_RULE_NO_NAME;
        } else if (!m_misfit.empty()) {
            m_outcome.m_status = RDB_RULE_MISFIT;
            m_outcome.m_error = m_misfit;
            m_outcome.m_checked = 0;
            m_outcome.m_violations = 0;
        } else {
            m_outcome.m_status = m_outcome.m_violations > 0 ? RDB_RULE_FAILS : RDB_RULE_HOLDS;
            m_outcome.m_rows = m_worst.take_worst_first(m_condition);
        }
    }

private:
    bool bind(const std::string& path, const std::string& misfit)
    {
        m_bound = true;
        if (misfit.empty())
            return true;
        m_misfit = path + ": " + misfit;
        return false;
    }

    // Counts one asked row; a row that breaks the rule (it meets the
    // condition, or has no value to compare) is kept when it is among the
    // worst.
    template <typename LOCATE>
    void count(const VERDICT& verdict, LOCATE locate)
    {
        ++m_outcome.m_checked;
        if (verdict.m_comparable && !verdict.m_meets)
            return;
        ++m_outcome.m_violations;
        if (m_worst.wants(verdict))
            m_worst.keep(verdict, locate());
        else
            m_worst.pass();
    }

    void ask_table(const std::string& path, const RDB_TABLE_OBJECT& table)
    {
        RDB_TABLE_CONDITION bound(m_condition, table);
        if (!bound.is_bound() || !bind(path, bound.get_misfit()))
            return;
        int column = rdb_find_column(table, m_condition.get_name());
        unsigned number = 0;
        for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows(); ++r) {
            const RDB_TABLE_ROW& row = *table.get_row(r);
            ++number;
            if (!bound.selects(row))
                continue;
            const RDB_TABLE_ELEMENT* cell = cell_at(row, column);
            count(judge_cell(m_condition, cell), [&] { return KEPT_ROW{shared_path(path), number, &row, cell, nullptr}; });
        }
    }

    void ask_summary(const std::string& path, const RDB_SUMMARY_TABLE_OBJECT& summary)
    {
        // A summary has no columns for a row filter to name.
        if (m_condition.has_filter())
            return;
        if (ask_gauges(path, summary.get_gauges()))
            return;
        MEASURE measure = MEASURE_NONE;
        for (const RDB_TABLE_ROW* row : summary.rows())
            if (is_labelled(*row))
                measure = std::max(measure, measure_of(cell_at(*row, 1)));
        if (measure == MEASURE_NONE || !bind(path, misfit_of(m_condition, measure)))
            return;
        unsigned number = 0;
        for (const RDB_TABLE_ROW* row : summary.rows()) {
            ++number;
            if (!is_labelled(*row))
                continue;
            const RDB_TABLE_ELEMENT* cell = cell_at(*row, 1);
            count(judge_cell(m_condition, cell), [&] { return KEPT_ROW{shared_path(path), number, row, cell, nullptr}; });
        }
    }

    bool is_labelled(const RDB_TABLE_ROW& row) const
    {
        const RDB_TABLE_ELEMENT* label = cell_at(row, 0);
        return label != nullptr && rdb_rule_same_name(rdb_cell_text(*label), m_condition.get_name());
    }

    // False when the summary has no gauge of the name.
    bool ask_gauges(const std::string& path, const RDB_GAUGES_OBJECT* gauges)
    {
        if (gauges == nullptr)
            return false;
        bool found = false;
        for (unsigned slot = 0; slot < gauges->get_number_of_slots(); ++slot) {
            const RDB_GAUGES_DATA_ELEMENT* gauge = gauges->get_data_at(slot);
            if (gauge == nullptr || !rdb_rule_same_name(gauge->get_name().view(), m_condition.get_name()))
                continue;
            if (!found && !bind(path, misfit_of(m_condition, MEASURE_GAUGE)))
                return true;
            found = true;
            count(judge_gauge(m_condition, *gauge),
                  [&] { return KEPT_ROW{shared_path(path), slot + 1, nullptr, nullptr, gauge}; });
        }
        return found;
    }

    // The current object's path, made when a row of it is first kept.
    const std::shared_ptr<const std::string>& shared_path(const std::string& path)
    {
        if (!m_path)
            m_path = std::make_shared<const std::string>(path);
        return m_path;
    }

    const RDB_CONDITION& m_condition;
    WORST_ROWS m_worst;
    std::shared_ptr<const std::string> m_path;
    RDB_RULE_OUTCOME& m_outcome;
    bool m_bound = false;
    std::string m_misfit;
};

}  // namespace

RDB_TABLE_CONDITION::RDB_TABLE_CONDITION(const RDB_CONDITION& condition, const RDB_TABLE_OBJECT& table)
    : m_condition(condition)
{
    if (!condition.is_valid())
        return;
    m_column = rdb_find_column(table, condition.get_name());
    if (condition.has_filter())
        m_filter_column = rdb_find_column(table, condition.get_filter_column());
    if (!is_bound())
        return;
    MEASURE measure = MEASURE_NONE;
    for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows() && measure != MEASURE_DELAY; ++r)
        measure = std::max(measure, measure_of(cell_at(*table.get_row(r), m_column)));
    m_measure = measure;
    m_misfit = misfit_of(condition, measure);
}

bool RDB_TABLE_CONDITION::selects(const RDB_TABLE_ROW& row) const
{
    if (!m_condition.has_filter())
        return true;
    return shown(cell_at(row, m_filter_column)) == m_condition.get_filter_text();
}

bool RDB_TABLE_CONDITION::meets(const RDB_TABLE_ROW& row) const
{
    return judge_cell(m_condition, cell_at(row, m_column)).m_meets;
}

RDB_RULE_OUTCOME rdb_check_rule(const RDB_FOLDER_OBJECT& top, const RDB_RULE& rule, std::size_t limit)
{
    RDB_RULE_OUTCOME outcome;
    if (!rule.is_valid()) {
        outcome.m_status = RDB_RULE_MISFIT;
        outcome.m_error = rule.get_error();
        return outcome;
    }
    const RDB_PATH_PATTERN& pattern = rule.get_pattern();
    RULE_CHECK check(rule.get_condition(), limit, outcome);

    // For each level of the current path: where the pattern stands after
    // its steps, and whether they or a folder above matched.
    std::vector<RDB_PATH_PATTERN::PROGRESS> progress(1);
    std::vector<bool> reached(1, false);
    pattern.start(progress[0]);
    RDB_PATH_CURSOR cursor(top);
    while (cursor.next()) {
        // A summary's gauges object shares its summary's path and is asked
        // through it: not one more object.
        if (rdb_is_summary_gauges(cursor.object()))
            continue;
        std::size_t level = cursor.level() + 1;
        if (progress.size() <= level) {
            progress.resize(level + 1);
            reached.resize(level + 1);
        }
        std::string_view step = std::string_view(cursor.path()).substr(cursor.step_start());
        pattern.advance(progress[level - 1], step, progress[level]);
        bool matched = pattern.accepts(progress[level]);
        reached[level] = matched || reached[level - 1];
        if (matched)
            ++outcome.m_objects;
        if (reached[level])
            check.ask(cursor.path(), cursor.object());
    }
    if (outcome.m_objects == 0) {
        outcome.m_status = RDB_RULE_NO_OBJECT;
        return outcome;
    }
    check.finish();
    return outcome;
}
