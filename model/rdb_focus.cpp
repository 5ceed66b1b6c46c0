#include <rdbxml/rdb_focus.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include <rdbxml/rdb_chart.h>
#include <rdbxml/rdb_columns.h>
#include <rdbxml/rdb_folder.h>
#include <rdbxml/rdb_rule.h>
#include <rdbxml/rdb_select.h>
#include <rdbxml/rdb_summary.h>

namespace {

// The tables focus works on at or below `top`, in document order. The walk
// keeps its open folders on a list, not on the call stack.
std::vector<RDB_TABLE_OBJECT*> tables_below(RDB_FOLDER_OBJECT& top, const RDB_PATH_SELECTION* selection)
{
    std::vector<RDB_TABLE_OBJECT*> tables;
    std::vector<std::pair<RDB_FOLDER_OBJECT*, std::size_t>> open{{&top, 0}};
    while (!open.empty()) {
        RDB_FOLDER_OBJECT* folder = open.back().first;
        std::size_t index = open.back().second++;
        if (index >= folder->get_number_of_objects()) {
            open.pop_back();
            continue;
        }
        RDB_OBJECT* object = folder->get_object(index);
        if (object == nullptr || (selection != nullptr && !selection->keeps(*object)))
            continue;
        if (RDB_FOLDER_OBJECT* nested = object->dynamic_cast_to_RDB_FOLDER_OBJECT())
            open.emplace_back(nested, 0);
        else if (auto* table = dynamic_cast<RDB_TABLE_OBJECT*>(object); table != nullptr && rdb_focus_applies(*table))
            tables.push_back(table);
    }
    return tables;
}

// A data row's cell in the sort column, made once per row.
struct SORT_KEY {
    enum GROUP { NUMBER, TEXT, MISSING } m_group = MISSING;
    double m_number = 0;
    std::string m_text;
    unsigned m_row = 0;
};

// Whether the column's delay cells are all shown in MHz, and it has one.
bool is_frequency_column(const RDB_TABLE_OBJECT& table, const std::vector<unsigned>& rows, unsigned column)
{
    bool any = false;
    for (unsigned r : rows) {
        const RDB_TABLE_ELEMENT* cell = table.get_element(r, column);
        const auto* delay = dynamic_cast<const RDB_TABLE_DELAY_ELEMENT*>(cell);
        if (delay == nullptr)
            continue;
        if (delay->get_display_option() != RDB_DELAY_DISPLAY_MHZ)
            return false;
        any = true;
    }
    return any;
}

SORT_KEY sort_key(const RDB_TABLE_ELEMENT* cell, bool frequency)
{
    SORT_KEY key;
    if (cell == nullptr)
        return key;
    key.m_group = SORT_KEY::NUMBER;
    if (const auto* delay = dynamic_cast<const RDB_TABLE_DELAY_ELEMENT*>(cell)) {
        if (!frequency) {
            key.m_number = static_cast<double>(delay->get_delay());
            return key;
        }
        if (rdb_delay_number(delay->get_delay(), RDB_DELAY_DISPLAY_MHZ, key.m_number))
            return key;
    } else if (const auto* integer = dynamic_cast<const RDB_TABLE_INT_ELEMENT*>(cell)) {
        key.m_number = integer->get_data();
        return key;
    }
    key.m_text = rdb_cell_text(*cell);
    if (!rdb_read_number(key.m_text, key.m_number))
        key.m_group = SORT_KEY::TEXT;
    return key;
}

void sort_rows(const RDB_TABLE_OBJECT& table, unsigned column, bool descending, std::vector<unsigned>& rows)
{
    bool frequency = is_frequency_column(table, rows, column);
    std::vector<SORT_KEY> keys;
    keys.reserve(rows.size());
    for (unsigned r : rows) {
        keys.push_back(sort_key(table.get_element(r, column), frequency));
        keys.back().m_row = r;
    }
    std::stable_sort(keys.begin(), keys.end(), [descending](const SORT_KEY& a, const SORT_KEY& b) {
        if (a.m_group != b.m_group)
            return a.m_group < b.m_group;
        if (a.m_group == SORT_KEY::NUMBER)
            return descending ? b.m_number < a.m_number : a.m_number < b.m_number;
        if (a.m_group == SORT_KEY::TEXT)
            return descending ? b.m_text < a.m_text : a.m_text < b.m_text;
        return false;
    });
    for (std::size_t i = 0; i < keys.size(); ++i)
        rows[i] = keys[i].m_row;
}

}  // namespace

bool rdb_focus_applies(const RDB_TABLE_OBJECT& table)
{
    return dynamic_cast<const RDB_SUMMARY_TABLE_OBJECT*>(&table) == nullptr &&
           dynamic_cast<const RDB_CHART_TABLE_OBJECT*>(&table) == nullptr;
}

RDB_FOCUS_OUTCOME rdb_focus_tables(RDB_FOLDER_OBJECT& top, const RDB_FOCUS& focus, const RDB_PATH_SELECTION* selection)
{
    RDB_FOCUS_OUTCOME outcome;
    if (focus.m_where == nullptr && focus.m_sort.empty() && focus.m_top == 0)
        return outcome;
    std::vector<RDB_TABLE_OBJECT*> tables = tables_below(top, selection);
    // A misfit anywhere stops it all before any table changes.
    if (focus.m_where != nullptr) {
        for (RDB_TABLE_OBJECT* table : tables) {
            RDB_TABLE_CONDITION where(*focus.m_where, *table);
            if (where.is_bound() && !where.get_misfit().empty()) {
                outcome.m_error = rdb_object_path(*table) + ": " + where.get_misfit();
                return outcome;
            }
        }
    }
    for (RDB_TABLE_OBJECT* table : tables) {
        unsigned first = table->get_first_data_row();
        unsigned count = table->get_number_of_rows();
        std::vector<unsigned> rows;
        rows.reserve(count - first);
        for (unsigned r = first; r < count; ++r)
            rows.push_back(r);
        bool focused = focus.m_where == nullptr && focus.m_sort.empty();
        if (focus.m_where != nullptr) {
            RDB_TABLE_CONDITION where(*focus.m_where, *table);
            if (where.is_bound()) {
                ++outcome.m_where_tables;
                focused = true;
                rows.erase(std::remove_if(rows.begin(), rows.end(),
                                          [&](unsigned r) {
                                              const RDB_TABLE_ROW& row = *table->get_row(r);
                                              return !where.selects(row) || !where.meets(row);
                                          }),
                           rows.end());
            }
        }
        if (!focus.m_sort.empty()) {
            int column = rdb_find_column(*table, focus.m_sort);
            if (column >= 0) {
                ++outcome.m_sort_tables;
                focused = true;
                sort_rows(*table, static_cast<unsigned>(column), focus.m_descending, rows);
            }
        }
        if (focused && focus.m_top != 0 && rows.size() > focus.m_top)
            rows.resize(focus.m_top);
        if (focused && !table->keep_data_rows(rows))
            throw std::bad_alloc();
    }
    return outcome;
}
