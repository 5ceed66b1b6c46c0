#include "rdb_diff_rows.h"

#include <algorithm>

#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_tan.h>
#include "rdb_diff_emitter.h"

namespace {

// A cell as a row's key: its value, a delay in picoseconds whatever its unit.
std::string key_text(const RDB_TABLE_ELEMENT& cell)
{
    if (cell.get_cell_kind() == RDB_CELL_DELAY)
        return std::to_string(static_cast<const RDB_TABLE_DELAY_ELEMENT&>(cell).get_delay()) + " ps";
    return rdb_diff_cell_text(&cell);
}

// Each row's cells in `columns`, as one key; '\0', which no XML text
// holds, between them. False when a row has no cell in one of them.
bool keys_of(const RDB_DIFF_ROWS& side, const std::vector<std::size_t>& columns, std::vector<std::string>& keys)
{
    keys.clear();
    keys.reserve(side.m_rows.size());
    for (const RDB_TABLE_ROW* row : side.m_rows) {
        std::string key;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const RDB_TABLE_ELEMENT* cell = rdb_diff_cell_at(*row, columns[i]);
            if (cell == nullptr)
                return false;
            if (i != 0)
                key += '\0';
            key += key_text(*cell);
        }
        keys.push_back(std::move(key));
    }
    return true;
}

// What keeps key columns from pairing the rows; empty when they do, and
// then `pairs` holds them.
std::string try_key(RDB_DIFF_ROWS& old_rows, RDB_DIFF_ROWS& new_rows, const std::vector<std::size_t>& old_columns,
                    const std::vector<std::size_t>& new_columns, std::vector<RDB_DIFF_PAIR>& pairs)
{
    std::vector<std::string> old_keys, new_keys;
    if (!keys_of(old_rows, old_columns, old_keys))
        return "a row of the old report has no cell there";
    if (!keys_of(new_rows, new_columns, new_keys))
        return "a row of the new report has no cell there";
    switch (rdb_diff_pair_by_key(old_keys, new_keys, pairs)) {
    case RDB_DIFF_KEYS_REPEAT_IN_OLD: return "the key repeats in the old report";
    case RDB_DIFF_KEYS_REPEAT_IN_NEW: return "the key repeats in the new report";
    case RDB_DIFF_KEYS_UNIQUE: break;
    }
    old_rows.m_key_columns = old_columns;
    new_rows.m_key_columns = new_columns;
    return std::string();
}

// The widest row of a table, its heading too.
std::size_t width_of(const RDB_TABLE_OBJECT& table)
{
    std::size_t width = 0;
    for (const RDB_TABLE_ROW* row : table.rows())
        width = std::max<std::size_t>(width, row->size());
    return width;
}

// The column of `table` a key names: by its title, else by its number
// from 1; false when the table has none such.
bool column_named(const RDB_TABLE_OBJECT& table, const std::string& name, std::size_t& column)
{
    int found = rdb_find_column(table, name);
    if (found >= 0) {
        column = static_cast<std::size_t>(found);
        return true;
    }
    if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos)
        return false;
    std::size_t number = std::stoul(name);
    if (number == 0 || number > width_of(table))
        return false;
    column = number - 1;
    return true;
}

// Keys the rows by the columns of `key`; else says why not.
std::string by_options_key(const RDB_DIFF_KEY& key, RDB_DIFF_ROWS& old_rows, RDB_DIFF_ROWS& new_rows,
                           std::vector<RDB_DIFF_PAIR>& pairs)
{
    if (key.m_columns.empty())
        return "names no column";
    std::vector<std::size_t> old_columns, new_columns;
    for (const std::string& name : key.m_columns) {
        std::size_t old_column = 0, new_column = 0;
        if (!column_named(old_rows.m_table, name, old_column) || !column_named(new_rows.m_table, name, new_column))
            return "has no column \"" + name + "\"";
        old_columns.push_back(old_column);
        new_columns.push_back(new_column);
    }
    return try_key(old_rows, new_rows, old_columns, new_columns, pairs);
}

// A slack table's endpoint columns, those the column maps of both have.
bool by_endpoints(RDB_DIFF_ROWS& old_rows, RDB_DIFF_ROWS& new_rows, std::vector<RDB_DIFF_PAIR>& pairs)
{
    const auto* old_slack = dynamic_cast<const RDB_TAN_SLACK_TABLE_OBJECT*>(&old_rows.m_table);
    const auto* new_slack = dynamic_cast<const RDB_TAN_SLACK_TABLE_OBJECT*>(&new_rows.m_table);
    if (old_slack == nullptr || new_slack == nullptr)
        return false;
    std::vector<std::size_t> old_columns, new_columns;
    for (RDB_TAN_SLACK_TABLE_OBJECT_COLUMN_TYPES_ENUM type :
         {RDB_SLACK_COLUMN_FROM, RDB_SLACK_COLUMN_TO, RDB_SLACK_COLUMN_FROM_CLOCK, RDB_SLACK_COLUMN_TO_CLOCK}) {
        if (old_slack->has_column_id(type) && new_slack->has_column_id(type)) {
            old_columns.push_back(old_slack->get_column_id(type));
            new_columns.push_back(new_slack->get_column_id(type));
        } else if (type == RDB_SLACK_COLUMN_TO && old_columns.empty()) {
            return false;  // the clocks alone are no endpoints
        }
    }
    return try_key(old_rows, new_rows, old_columns, new_columns, pairs).empty();
}

// The leftmost column that every row has a cell in and whose values are
// unique in both tables.
bool by_leftmost_unique(RDB_DIFF_ROWS& old_rows, RDB_DIFF_ROWS& new_rows, std::vector<RDB_DIFF_PAIR>& pairs)
{
    std::size_t width = SIZE_MAX;
    for (const RDB_DIFF_ROWS* side : {&old_rows, &new_rows})
        for (const RDB_TABLE_ROW* row : side->m_rows)
            width = std::min<std::size_t>(width, row->size());
    if (width == SIZE_MAX)
        width = 1;  // no rows: any column keys them
    for (std::size_t column = 0; column < width; ++column)
        if (try_key(old_rows, new_rows, {column}, {column}, pairs).empty())
            return true;
    return false;
}

RDB_DIFF_MATCH by_content(const RDB_DIFF_ROWS& old_rows, const RDB_DIFF_ROWS& new_rows, std::size_t cap,
                          std::vector<RDB_DIFF_PAIR>& pairs)
{
    std::vector<std::string> old_contents, new_contents;
    for (const RDB_TABLE_ROW* row : old_rows.m_rows)
        old_contents.push_back(rdb_diff_row_content(*row));
    for (const RDB_TABLE_ROW* row : new_rows.m_rows)
        new_contents.push_back(rdb_diff_row_content(*row));
    return rdb_diff_align(old_contents, new_contents, cap, pairs);
}

// The key columns by their titles in the heading row, else "column N".
std::string key_columns_text(const RDB_DIFF_ROWS& rows)
{
    std::string text;
    for (std::size_t column : rows.m_key_columns) {
        if (!text.empty())
            text += ", ";
        if (column < rows.m_titles.size() && !rows.m_titles[column].empty())
            text += rows.m_titles[column];
        else
            text += "column " + std::to_string(column + 1);
    }
    return text;
}

}  // namespace

RDB_DIFF_ROWS::RDB_DIFF_ROWS(const RDB_TABLE_OBJECT& table) : m_table(table)
{
    for (unsigned r = table.get_first_data_row(); r < table.get_number_of_rows(); ++r)
        m_rows.push_back(table.get_row(r));
    if (table.has_heading_row())
        for (const RDB_TABLE_ELEMENT* cell : *table.get_row(0))
            m_titles.push_back(rdb_diff_cell_text(cell));
}

std::string rdb_diff_cell_text(const RDB_TABLE_ELEMENT* cell)
{
    if (cell == nullptr)
        return std::string();
    if (cell->get_cell_kind() == RDB_CELL_INAME)
        return std::string(static_cast<const RDB_TABLE_INAME_ELEMENT*>(cell)->get_path());
    return rdb_cell_text(*cell);
}

std::string rdb_diff_row_content(const RDB_TABLE_ROW& row)
{
    std::size_t end = row.size();
    while (end > 0 && row[end - 1] == nullptr)
        --end;
    std::string content;
    for (std::size_t c = 0; c < end; ++c) {
        const RDB_TABLE_ELEMENT* cell = row[c];
        if (cell == nullptr) {
            content += '-';
        } else {
            content += static_cast<char>('a' + cell->get_cell_kind());
            content += key_text(*cell);
        }
        content += '\0';
    }
    return content;
}

std::string rdb_diff_row_key(const RDB_DIFF_ROWS& side, std::size_t index)
{
    std::string key;
    for (std::size_t column : side.m_key_columns) {
        if (!key.empty())
            key += " | ";
        if (const RDB_TABLE_ELEMENT* cell = rdb_diff_cell_at(*side.m_rows[index], column))
            key += key_text(*cell);
    }
    return key;
}

void rdb_diff_pair_rows(RDB_DIFF_EMITTER& emitter, RDB_DIFF_ROWS& old_rows, RDB_DIFF_ROWS& new_rows,
                        std::vector<RDB_DIFF_PAIR>& pairs)
{
    const RDB_DIFF_OPTIONS& options = emitter.options();
    std::size_t key = emitter.key_index();
    bool keyed = false;
    if (key != RDB_DIFF_KEY_FINDER::NONE) {
        // The key the user gave, or none: no guess in its place.
        std::string why = by_options_key(options.m_keys[key], old_rows, new_rows, pairs);
        RDB_DIFF_TOTALS::KEY_USE& use = emitter.totals().m_keys[key];
        keyed = why.empty();
        if (keyed) {
            ++use.m_tables;
        } else if (use.m_unusable_path.empty()) {
            use.m_unusable_path = emitter.path();
            use.m_unusable_reason = why;
        }
    } else {
        keyed = by_endpoints(old_rows, new_rows, pairs) || by_leftmost_unique(old_rows, new_rows, pairs);
    }
    if (keyed)
        emitter.set_match(RDB_DIFF_MATCH_BY_KEY, key_columns_text(new_rows));
    else
        emitter.set_match(by_content(old_rows, new_rows, options.m_alignment_cap, pairs));
}
