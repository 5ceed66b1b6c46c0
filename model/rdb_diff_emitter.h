// The report comparison's state while it compares one pair of objects:
// the change records it fills in and hands on.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <rdbxml/rdb_diff.h>
#include "rdb_diff_key_finder.h"
#include "rdb_diff_paths.h"

class RDB_OBJECT;
class RDB_TABLE_OBJECT;
class RDB_CHART_TABLE_OBJECT;
class RDB_GAUGES_OBJECT;
struct RDB_CHART_POINT;

class RDB_DIFF_EMITTER {
public:
    RDB_DIFF_EMITTER(const RDB_DIFF_OPTIONS& options, const RDB_DIFF_SINK& sink, RDB_DIFF_TOTALS& totals)
        : m_options(options), m_sink(sink), m_totals(totals), m_key_finder(options.m_keys)
    {
    }

    const RDB_DIFF_OPTIONS& options() const { return m_options; }
    RDB_DIFF_TOTALS& totals() { return m_totals; }

    // The pair of objects the next changes are of (either may be null).
    // Its path, `node` of `paths`, is spelled out at its first change.
    void begin_object(const RDB_DIFF_PATHS& paths, RDB_DIFF_PATHS::NODE node, const RDB_OBJECT* old_object,
                      const RDB_OBJECT* new_object);
    // How its rows are paired, said by every change of it from now on;
    // the key columns too when by key.
    void set_match(RDB_DIFF_MATCH match, std::string key_columns = std::string())
    {
        m_match = match;
        m_key_columns = std::move(key_columns);
    }
    // The index in the options' keys of the key for the current object's
    // rows, RDB_DIFF_KEY_FINDER::NONE for none.
    std::size_t key_index() { return m_key_finder.find(*m_paths, m_node); }
    // The current object's path.
    const std::string& path() const
    {
        if (!m_path)
            m_path = m_paths->text(m_node);
        return *m_path;
    }

    // A record of the current object, to fill in and emit; its path is
    // filled in when it is handed on.
    RDB_DIFF_CHANGE change(RDB_DIFF_KIND kind) const;
    // Counts the change, and hands it on unless it is of style only and
    // the options leave those out.
    void emit(RDB_DIFF_CHANGE& change);

    // An RDB_DIFF_OBJECT_FIELD change when the values differ (a missing
    // value differs from every other, the empty text too).
    void field(const char* name, std::optional<std::string_view> old_value, std::optional<std::string_view> new_value);
    void flag(const char* name, bool old_value, bool new_value);
    // The fields every object has, once per object: the first call emits.
    void object_fields();
    // The current pair is a renamed object, told by a RDB_DIFF_OBJECT_RENAMED
    // record (the last steps of its two paths) before its first change, or
    // by end_object() when there is none.
    void renamed(std::string_view old_step, std::string_view new_step);
    void end_object();

private:
    const RDB_DIFF_OPTIONS& m_options;
    const RDB_DIFF_SINK& m_sink;
    RDB_DIFF_TOTALS& m_totals;

    const RDB_DIFF_PATHS* m_paths = nullptr;
    RDB_DIFF_PATHS::NODE m_node = RDB_DIFF_PATHS::ROOT;
    mutable std::optional<std::string> m_path;
    const RDB_OBJECT* m_old = nullptr;
    const RDB_OBJECT* m_new = nullptr;
    RDB_DIFF_MATCH m_match = RDB_DIFF_MATCH_NONE;
    std::string m_key_columns;
    bool m_fields_done = false;
    RDB_DIFF_KEY_FINDER m_key_finder;
    std::optional<std::pair<std::string, std::string>> m_rename;
};

// "true" or "false".
inline const char* rdb_diff_flag_text(bool value) { return value ? "true" : "false"; }

// The contents of tables, charts and gauges objects of one kind
// (rdb_diff_tables.cpp); each sets the match before its first change.
void rdb_diff_table(RDB_DIFF_EMITTER& emitter, const RDB_TABLE_OBJECT& old_table, const RDB_TABLE_OBJECT& new_table);
void rdb_diff_chart(RDB_DIFF_EMITTER& emitter, const RDB_CHART_TABLE_OBJECT& old_chart,
                    const RDB_CHART_TABLE_OBJECT& new_chart);
void rdb_diff_gauges(RDB_DIFF_EMITTER& emitter, const RDB_GAUGES_OBJECT& old_gauges,
                     const RDB_GAUGES_OBJECT& new_gauges);

// A point as one text, its label and value: points of equal contents are
// the same point to the alignment and to the search for renamed charts.
std::string rdb_diff_point_content(const RDB_CHART_POINT& point);
