// The report comparison of tables (rows and cells), charts (points) and
// gauges objects.
#include <rdbxml/rdb_chart.h>
#include <rdbxml/rdb_summary.h>
#include <rdbxml/rdb_table.h>
#include "rdb_diff_emitter.h"
#include "rdb_diff_pairs.h"
#include "rdb_diff_rows.h"

namespace {

std::string row_text(const RDB_TABLE_ROW& row)
{
    std::string text;
    for (std::size_t c = 0; c < row.size(); ++c) {
        if (c != 0)
            text += " | ";
        text += rdb_diff_cell_text(row[c]);
    }
    return text;
}

// Emits the objects' fields (`own_fields` after the common ones) and hands
// each pair of rows, points or gauges on: `one_side(kind, index)` for an
// item only one side has (`added` or `removed`), `both(old_index,
// new_index)` for the others.
template <typename OWN_FIELDS, typename ONE_SIDE, typename BOTH>
void hand_on(RDB_DIFF_EMITTER& emitter, const std::vector<RDB_DIFF_PAIR>& pairs, RDB_DIFF_KIND added,
             RDB_DIFF_KIND removed, OWN_FIELDS&& own_fields, ONE_SIDE&& one_side, BOTH&& both)
{
    emitter.object_fields();
    own_fields();
    for (const RDB_DIFF_PAIR& pair : pairs) {
        if (pair.m_old == RDB_DIFF_NO_ITEM)
            one_side(added, pair.m_new);
        else if (pair.m_new == RDB_DIFF_NO_ITEM)
            one_side(removed, pair.m_old);
        else
            both(pair.m_old, pair.m_new);
    }
}

// Pairs points or gauges by their names when those are unique in both
// lists, else aligns them by `contents(side)`, and sets the match.
template <typename CONTENTS>
std::vector<RDB_DIFF_PAIR> pair_named(RDB_DIFF_EMITTER& emitter, const std::vector<std::string>& old_names,
                                      const std::vector<std::string>& new_names, CONTENTS&& contents)
{
    std::vector<RDB_DIFF_PAIR> pairs;
    if (rdb_diff_pair_by_key(old_names, new_names, pairs) == RDB_DIFF_KEYS_UNIQUE)
        emitter.set_match(RDB_DIFF_MATCH_BY_KEY);
    else
        emitter.set_match(rdb_diff_align(contents(false), contents(true), emitter.options().m_alignment_cap, pairs));
    return pairs;
}

class TABLE_COMPARER {
public:
    TABLE_COMPARER(RDB_DIFF_EMITTER& emitter, RDB_DIFF_ROWS& old_rows, RDB_DIFF_ROWS& new_rows)
        : m_emitter(emitter), m_old(old_rows), m_new(new_rows)
    {
    }

    void compare()
    {
        std::vector<RDB_DIFF_PAIR> pairs;
        rdb_diff_pair_rows(m_emitter, m_old, m_new, pairs);
        hand_on(
            m_emitter, pairs, RDB_DIFF_ROW_ADDED, RDB_DIFF_ROW_REMOVED, [&] { titles(); },
            [&](RDB_DIFF_KIND kind, std::size_t index) {
                whole_row(kind, kind == RDB_DIFF_ROW_ADDED ? m_new : m_old, index);
            },
            [&](std::size_t o, std::size_t n) { cells(o, n); });
    }

private:
    std::string title(std::size_t column) const
    {
        if (column < m_new.m_titles.size())
            return m_new.m_titles[column];
        return column < m_old.m_titles.size() ? m_old.m_titles[column] : std::string();
    }

    void titles()
    {
        for (std::size_t c = 0; c < m_old.m_titles.size() || c < m_new.m_titles.size(); ++c) {
            RDB_DIFF_CHANGE change = m_emitter.change(RDB_DIFF_COLUMN_TITLE);
            change.m_has_old = c < m_old.m_titles.size();
            change.m_has_new = c < m_new.m_titles.size();
            if (change.m_has_old)
                change.m_old = m_old.m_titles[c];
            if (change.m_has_new)
                change.m_new = m_new.m_titles[c];
            if (change.m_has_old && change.m_has_new && change.m_old == change.m_new)
                continue;
            change.m_column = static_cast<int>(c);
            change.m_column_title = title(c);
            m_emitter.emit(change);
        }
    }

    // A change of the row at `index` of `side`.
    RDB_DIFF_CHANGE row_change(RDB_DIFF_KIND kind, const RDB_DIFF_ROWS& side, std::size_t index) const
    {
        RDB_DIFF_CHANGE change = m_emitter.change(kind);
        if (change.m_match == RDB_DIFF_MATCH_BY_KEY)
            change.m_key = rdb_diff_row_key(side, index);
        change.m_index = index + 1;
        return change;
    }

    void whole_row(RDB_DIFF_KIND kind, const RDB_DIFF_ROWS& side, std::size_t index)
    {
        RDB_DIFF_CHANGE change = row_change(kind, side, index);
        bool added = kind == RDB_DIFF_ROW_ADDED;
        (added ? change.m_has_new : change.m_has_old) = true;
        (added ? change.m_new : change.m_old) = row_text(*side.m_rows[index]);
        m_emitter.emit(change);
    }

    void cells(std::size_t old_index, std::size_t new_index)
    {
        const RDB_TABLE_ROW& old_row = *m_old.m_rows[old_index];
        const RDB_TABLE_ROW& new_row = *m_new.m_rows[new_index];
        for (std::size_t c = 0; c < old_row.size() || c < new_row.size(); ++c) {
            const RDB_TABLE_ELEMENT* old_cell = rdb_diff_cell_at(old_row, c);
            const RDB_TABLE_ELEMENT* new_cell = rdb_diff_cell_at(new_row, c);
            if (old_cell == nullptr && new_cell == nullptr)
                continue;
            // Most cells of a row paired stay as they were: no record for them.
            if (same_cell(old_cell, new_cell))
                continue;
            RDB_DIFF_CHANGE change = row_change(RDB_DIFF_CELL_VALUE, m_new, new_index);
            change.m_column = static_cast<int>(c);
            change.m_column_title = title(c);
            change.m_old_type = old_cell != nullptr ? old_cell->get_type() : nullptr;
            change.m_new_type = new_cell != nullptr ? new_cell->get_type() : nullptr;
            change.m_has_old = old_cell != nullptr;
            change.m_has_new = new_cell != nullptr;
            change.m_old = rdb_diff_cell_text(old_cell);
            change.m_new = rdb_diff_cell_text(new_cell);
            if (old_cell == nullptr || new_cell == nullptr) {
                change.m_kind = old_cell == nullptr ? RDB_DIFF_CELL_ADDED : RDB_DIFF_CELL_REMOVED;
                m_emitter.emit(change);
                continue;
            }
            value(change, *old_cell, *new_cell);
            if (!m_emitter.options().m_ignore_colours) {
                colour(change, "foreground", old_cell->has_foreground(), old_cell->get_foreground(),
                       new_cell->has_foreground(), new_cell->get_foreground());
                colour(change, "background", old_cell->has_background(), old_cell->get_background(),
                       new_cell->has_background(), new_cell->get_background());
            }
        }
    }

    // Whether two cells are the same in all the comparison tells: value,
    // a delay's unit, and the colours it compares.
    bool same_cell(const RDB_TABLE_ELEMENT* old_cell, const RDB_TABLE_ELEMENT* new_cell) const
    {
        if (!rdb_diff_same_value(old_cell, new_cell))
            return false;
        if (old_cell->get_cell_kind() == RDB_CELL_DELAY &&
            static_cast<const RDB_TABLE_DELAY_ELEMENT*>(old_cell)->get_display_option() !=
                static_cast<const RDB_TABLE_DELAY_ELEMENT*>(new_cell)->get_display_option())
            return false;
        return m_emitter.options().m_ignore_colours ||
               (same_colour(old_cell->has_foreground(), old_cell->get_foreground(), new_cell->has_foreground(),
                            new_cell->get_foreground()) &&
                same_colour(old_cell->has_background(), old_cell->get_background(), new_cell->has_background(),
                            new_cell->get_background()));
    }

    static bool same_colour(bool old_has, RDB_RGB_COLOR old_colour, bool new_has, RDB_RGB_COLOR new_colour)
    {
        return old_has == new_has && (!old_has || old_colour == new_colour);
    }

    // Emits `change` (filled in for the cells' texts) when the values
    // differ: in kind, in value, or a delay in its unit alone.
    void value(RDB_DIFF_CHANGE change, const RDB_TABLE_ELEMENT& old_cell, const RDB_TABLE_ELEMENT& new_cell)
    {
        RDB_TABLE_ELEMENT_KIND kind = new_cell.get_cell_kind();
        if (old_cell.get_cell_kind() != kind) {
            change.m_kind = RDB_DIFF_CELL_KIND;
        } else if (kind == RDB_CELL_INT) {
            long long old_value = static_cast<const RDB_TABLE_INT_ELEMENT&>(old_cell).get_data();
            long long new_value = static_cast<const RDB_TABLE_INT_ELEMENT&>(new_cell).get_data();
            if (old_value == new_value)
                return;
            change.m_has_difference = true;
            change.m_difference = new_value - old_value;
        } else if (kind == RDB_CELL_DELAY) {
            const auto& old_delay = static_cast<const RDB_TABLE_DELAY_ELEMENT&>(old_cell);
            const auto& new_delay = static_cast<const RDB_TABLE_DELAY_ELEMENT&>(new_cell);
            if (old_delay.get_delay() == new_delay.get_delay()) {
                if (old_delay.get_display_option() == new_delay.get_display_option())
                    return;
                change.m_kind = RDB_DIFF_CELL_UNIT;
            } else {
                change.m_has_difference = change.m_difference_in_ps = true;
                change.m_difference = static_cast<long long>(new_delay.get_delay()) - old_delay.get_delay();
                // A frequency or a rounded ns can read the same for other
                // picoseconds: then the picoseconds are what changed.
                if (change.m_old == change.m_new) {
                    change.m_old = std::to_string(old_delay.get_delay()) + " ps";
                    change.m_new = std::to_string(new_delay.get_delay()) + " ps";
                }
            }
        } else if (change.m_old == change.m_new) {
            return;  // strings, and instance names by the path written
        }
        m_emitter.emit(change);
    }

    void colour(RDB_DIFF_CHANGE change, const char* which, bool old_has, RDB_RGB_COLOR old_colour, bool new_has,
                RDB_RGB_COLOR new_colour)
    {
        if (same_colour(old_has, old_colour, new_has, new_colour))
            return;
        change.m_kind = RDB_DIFF_CELL_COLOUR;
        change.m_field = which;
        change.m_has_old = old_has;
        change.m_has_new = new_has;
        change.m_old = old_has ? rdb_rgb_color_text(old_colour) : std::string();
        change.m_new = new_has ? rdb_rgb_color_text(new_colour) : std::string();
        m_emitter.emit(change);
    }

    RDB_DIFF_EMITTER& m_emitter;
    RDB_DIFF_ROWS& m_old;
    RDB_DIFF_ROWS& m_new;
};

// A change of the point or gauge at `index` of a side whose names are `keys`.
RDB_DIFF_CHANGE item_change(const RDB_DIFF_EMITTER& emitter, RDB_DIFF_KIND kind,
                            const std::vector<std::string>& keys, std::size_t index)
{
    RDB_DIFF_CHANGE change = emitter.change(kind);
    change.m_key = keys[index];
    change.m_index = index + 1;
    return change;
}

// Emits `change` with the two numbers and their difference when they differ.
void number_change(RDB_DIFF_EMITTER& emitter, RDB_DIFF_CHANGE change, long long old_value, long long new_value)
{
    if (old_value == new_value)
        return;
    change.m_has_old = change.m_has_new = change.m_has_difference = true;
    change.m_old = std::to_string(old_value);
    change.m_new = std::to_string(new_value);
    change.m_difference = new_value - old_value;
    emitter.emit(change);
}

std::string gauge_text(const RDB_GAUGES_DATA_ELEMENT& gauge)
{
    return std::to_string(gauge.get_value()) + " (" + std::to_string(gauge.get_min()) + " to " +
           std::to_string(gauge.get_max()) + ")";
}

std::vector<const RDB_GAUGES_DATA_ELEMENT*> gauges_of(const RDB_GAUGES_OBJECT& object,
                                                      std::vector<std::string>& names)
{
    std::vector<const RDB_GAUGES_DATA_ELEMENT*> gauges;
    for (unsigned slot = 0; slot < object.get_number_of_used_slots(); ++slot) {
        if (const RDB_GAUGES_DATA_ELEMENT* gauge = object.get_data_at(slot)) {
            gauges.push_back(gauge);
            names.push_back(gauge->get_name().c_str());
        }
    }
    return gauges;
}

}  // namespace

std::string rdb_diff_point_content(const RDB_CHART_POINT& point)
{
    return std::string(point.label) + '\0' + std::to_string(point.value);
}

void rdb_diff_table(RDB_DIFF_EMITTER& emitter, const RDB_TABLE_OBJECT& old_table, const RDB_TABLE_OBJECT& new_table)
{
    RDB_DIFF_ROWS old_rows(old_table), new_rows(new_table);
    TABLE_COMPARER(emitter, old_rows, new_rows).compare();
}

void rdb_diff_chart(RDB_DIFF_EMITTER& emitter, const RDB_CHART_TABLE_OBJECT& old_chart,
                    const RDB_CHART_TABLE_OBJECT& new_chart)
{
    std::vector<RDB_CHART_POINT> old_points = old_chart.get_points(), new_points = new_chart.get_points();
    std::vector<std::string> old_keys, new_keys;
    for (const RDB_CHART_POINT& point : old_points)
        old_keys.emplace_back(point.label);
    for (const RDB_CHART_POINT& point : new_points)
        new_keys.emplace_back(point.label);
    std::vector<RDB_DIFF_PAIR> pairs = pair_named(emitter, old_keys, new_keys, [&](bool new_side) {
        std::vector<std::string> contents;
        for (const RDB_CHART_POINT& point : new_side ? new_points : old_points)
            contents.push_back(rdb_diff_point_content(point));
        return contents;
    });
    hand_on(
        emitter, pairs, RDB_DIFF_POINT_ADDED, RDB_DIFF_POINT_REMOVED,
        [&] {
            emitter.field("chart_type", rdb_chart_type_name(old_chart.get_default_chart_type()),
                          rdb_chart_type_name(new_chart.get_default_chart_type()));
            emitter.field("x_axis", old_chart.get_x_axis().view(), new_chart.get_x_axis().view());
            emitter.field("y_axis", old_chart.get_y_axis().view(), new_chart.get_y_axis().view());
        },
        [&](RDB_DIFF_KIND kind, std::size_t index) {
            bool added = kind == RDB_DIFF_POINT_ADDED;
            RDB_DIFF_CHANGE change = item_change(emitter, kind, added ? new_keys : old_keys, index);
            (added ? change.m_has_new : change.m_has_old) = true;
            (added ? change.m_new : change.m_old) = std::to_string((added ? new_points : old_points)[index].value);
            emitter.emit(change);
        },
        [&](std::size_t o, std::size_t n) {
            number_change(emitter, item_change(emitter, RDB_DIFF_POINT_VALUE, new_keys, n), old_points[o].value,
                          new_points[n].value);
        });
}

void rdb_diff_gauges(RDB_DIFF_EMITTER& emitter, const RDB_GAUGES_OBJECT& old_gauges,
                     const RDB_GAUGES_OBJECT& new_gauges)
{
    std::vector<std::string> old_keys, new_keys;
    std::vector<const RDB_GAUGES_DATA_ELEMENT*> old_list = gauges_of(old_gauges, old_keys);
    std::vector<const RDB_GAUGES_DATA_ELEMENT*> new_list = gauges_of(new_gauges, new_keys);
    // A gauge by content: its name and every field compared.
    std::vector<RDB_DIFF_PAIR> pairs = pair_named(emitter, old_keys, new_keys, [&](bool new_side) {
        std::vector<std::string> contents;
        for (const RDB_GAUGES_DATA_ELEMENT* gauge : new_side ? new_list : old_list)
            contents.push_back(gauge->get_name().c_str() + std::string(1, '\0') + gauge_text(*gauge) +
                               (gauge->is_percent() ? " %" : "") + (gauge->is_disabled() ? " off" : ""));
        return contents;
    });
    hand_on(
        emitter, pairs, RDB_DIFF_GAUGE_ADDED, RDB_DIFF_GAUGE_REMOVED, [] {},
        [&](RDB_DIFF_KIND kind, std::size_t index) {
            bool added = kind == RDB_DIFF_GAUGE_ADDED;
            RDB_DIFF_CHANGE change = item_change(emitter, kind, added ? new_keys : old_keys, index);
            (added ? change.m_has_new : change.m_has_old) = true;
            (added ? change.m_new : change.m_old) = gauge_text(*(added ? new_list : old_list)[index]);
            emitter.emit(change);
        },
        [&](std::size_t o, std::size_t n) {
            const RDB_GAUGES_DATA_ELEMENT& old = *old_list[o];
            const RDB_GAUGES_DATA_ELEMENT& now = *new_list[n];
            RDB_DIFF_CHANGE change = item_change(emitter, RDB_DIFF_GAUGE_FIELD, new_keys, n);
            const char* numbers[] = {"value", "min", "max"};
            const int old_numbers[] = {old.get_value(), old.get_min(), old.get_max()};
            const int new_numbers[] = {now.get_value(), now.get_min(), now.get_max()};
            for (int i = 0; i < 3; ++i) {
                change.m_field = numbers[i];
                number_change(emitter, change, old_numbers[i], new_numbers[i]);
            }
            const char* flags[] = {"percent", "disabled"};
            const bool old_flags[] = {old.is_percent(), old.is_disabled()};
            const bool new_flags[] = {now.is_percent(), now.is_disabled()};
            for (int i = 0; i < 2; ++i) {
                if (old_flags[i] == new_flags[i])
                    continue;
                change.m_field = flags[i];
                change.m_has_old = change.m_has_new = true;
                change.m_old = rdb_diff_flag_text(old_flags[i]);
                change.m_new = rdb_diff_flag_text(new_flags[i]);
                emitter.emit(change);
            }
        });
}
