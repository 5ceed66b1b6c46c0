#include "rdb_diff_rows.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

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

// `cell` as a row's key (key_text) into `text`, without allocating once
// `text` has grown to the longest key.
void key_text_into(std::string& text, const RDB_TABLE_ELEMENT& cell)
{
    text.clear();
    switch (cell.get_cell_kind()) {
    case RDB_CELL_STRING: text.append(static_cast<const RDB_TABLE_STRING_ELEMENT&>(cell).get_string().view()); break;
    case RDB_CELL_INAME: text.append(static_cast<const RDB_TABLE_INAME_ELEMENT&>(cell).get_path()); break;
    default: text = key_text(cell);
    }
}

// Whether the cells of `column` could be a key of `side`: each row has one
// and no two read the same. Hashes first, the texts only where two hashes
// meet, so a column that repeats early costs little and none costs a
// string per cell.
bool unique_column(const RDB_DIFF_ROWS& side, std::size_t column)
{
    std::unordered_map<std::uint64_t, std::size_t> seen;  // a key's hash: its first row
    seen.reserve(side.m_rows.size());
    std::string text, other;
    for (std::size_t r = 0; r < side.m_rows.size(); ++r) {
        const RDB_TABLE_ELEMENT* cell = rdb_diff_cell_at(*side.m_rows[r], column);
        if (cell == nullptr)
            return false;
        key_text_into(text, *cell);
        auto found = seen.emplace(std::hash<std::string_view>()(text), r);
        if (!found.second) {
            key_text_into(other, *rdb_diff_cell_at(*side.m_rows[found.first->second], column));
            if (other == text)
                return false;
            // Two keys of one hash: rare enough to settle by the texts.
            std::vector<std::string> keys;
            return keys_of(side, {column}, keys) &&
                   std::unordered_set<std::string>(keys.begin(), keys.end()).size() == keys.size();
        }
    }
    return true;
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
        if (unique_column(old_rows, column) && unique_column(new_rows, column))
            return try_key(old_rows, new_rows, {column}, {column}, pairs).empty();
    return false;
}

// Numbers rows so that rows of the same values have the same number: by
// their hashes, rows of one hash told apart by their values.
class ROW_NUMBERS {
public:
    std::size_t number(const RDB_TABLE_ROW& row)
    {
        auto found = m_first.emplace(rdb_diff_row_hash(row), m_rows.size());
        std::size_t at = found.first->second;
        if (!found.second) {
            for (;; at = m_next[at]) {
                if (rdb_diff_same_row(*m_rows[at], row))
                    return at;
                if (m_next[at] == NONE)
                    break;
            }
            m_next[at] = m_rows.size();
        }
        m_rows.push_back(&row);
        m_next.push_back(NONE);
        return m_rows.size() - 1;
    }

private:
    static constexpr std::size_t NONE = SIZE_MAX;
    std::unordered_map<std::uint64_t, std::size_t> m_first;  // a hash: its first number
    std::vector<const RDB_TABLE_ROW*> m_rows;                // a number: its first row
    std::vector<std::size_t> m_next;                         // the next number of the same hash
};

RDB_DIFF_MATCH by_content(const RDB_DIFF_ROWS& old_rows, const RDB_DIFF_ROWS& new_rows, std::size_t cap,
                          std::vector<RDB_DIFF_PAIR>& pairs)
{
    ROW_NUMBERS numbers;
    std::vector<std::size_t> old_ids, new_ids;
    old_ids.reserve(old_rows.m_rows.size());
    new_ids.reserve(new_rows.m_rows.size());
    for (const RDB_TABLE_ROW* row : old_rows.m_rows)
        old_ids.push_back(numbers.number(*row));
    for (const RDB_TABLE_ROW* row : new_rows.m_rows)
        new_ids.push_back(numbers.number(*row));
    return rdb_diff_align_ids(old_ids, new_ids, cap, pairs);
}

// The number of cells of `row` up to its last one that is there.
std::size_t used_width(const RDB_TABLE_ROW& row)
{
    std::size_t end = row.size();
    while (end > 0 && row[end - 1] == nullptr)
        --end;
    return end;
}

std::uint64_t mixed(std::uint64_t hash, std::uint64_t value)
{
    hash = (hash ^ value) * 0x9E3779B97F4A7C15ull;
    return hash ^ (hash >> 29);
}

std::uint64_t value_hash(const RDB_TABLE_ELEMENT& cell)
{
    switch (cell.get_cell_kind()) {
    case RDB_CELL_STRING:
        return std::hash<std::string_view>()(static_cast<const RDB_TABLE_STRING_ELEMENT&>(cell).get_string().view());
    case RDB_CELL_INAME: return std::hash<std::string_view>()(static_cast<const RDB_TABLE_INAME_ELEMENT&>(cell).get_path());
    case RDB_CELL_INT: return static_cast<std::uint64_t>(static_cast<const RDB_TABLE_INT_ELEMENT&>(cell).get_data());
    case RDB_CELL_DELAY: return static_cast<std::uint64_t>(static_cast<const RDB_TABLE_DELAY_ELEMENT&>(cell).get_delay());
    }
    return std::hash<std::string>()(rdb_cell_text(cell));
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

bool rdb_diff_same_value(const RDB_TABLE_ELEMENT* a, const RDB_TABLE_ELEMENT* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    RDB_TABLE_ELEMENT_KIND kind = a->get_cell_kind();
    if (b->get_cell_kind() != kind)
        return false;
    switch (kind) {
    case RDB_CELL_STRING:
        return static_cast<const RDB_TABLE_STRING_ELEMENT*>(a)->get_string().view() ==
               static_cast<const RDB_TABLE_STRING_ELEMENT*>(b)->get_string().view();
    case RDB_CELL_INAME:
        return static_cast<const RDB_TABLE_INAME_ELEMENT*>(a)->get_path() ==
               static_cast<const RDB_TABLE_INAME_ELEMENT*>(b)->get_path();
    case RDB_CELL_INT:
        return static_cast<const RDB_TABLE_INT_ELEMENT*>(a)->get_data() ==
               static_cast<const RDB_TABLE_INT_ELEMENT*>(b)->get_data();
    case RDB_CELL_DELAY:
        return static_cast<const RDB_TABLE_DELAY_ELEMENT*>(a)->get_delay() ==
               static_cast<const RDB_TABLE_DELAY_ELEMENT*>(b)->get_delay();
    }
    return rdb_cell_text(*a) == rdb_cell_text(*b);
}

bool rdb_diff_same_row(const RDB_TABLE_ROW& a, const RDB_TABLE_ROW& b)
{
    std::size_t width = used_width(a);
    if (used_width(b) != width)
        return false;
    for (std::size_t c = 0; c < width; ++c)
        if (!rdb_diff_same_value(a[c], b[c]))
            return false;
    return true;
}

std::uint64_t rdb_diff_row_hash(const RDB_TABLE_ROW& row)
{
    std::size_t width = used_width(row);
    std::uint64_t hash = mixed(0, width);
    for (std::size_t c = 0; c < width; ++c) {
        const RDB_TABLE_ELEMENT* cell = row[c];
        hash = mixed(hash, cell == nullptr ? 0 : 1 + cell->get_cell_kind());
        if (cell != nullptr)
            hash = mixed(hash, value_hash(*cell));
    }
    return hash;
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
