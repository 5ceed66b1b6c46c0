// Writing one run: its old run (and rows) dropped and the new one put in,
// in one transaction, so that a reader, or a database left by a write that
// failed or a process killed, sees the file's run whole or not at all.
#include <chrono>
#include <string>

#include "rdb_index.h"
#include "rdb_index_statements.h"

namespace {

// Binds the values of one row and runs the statement; an SQLite result
// code. Each value is bound by the overload for its type.
class ROW {
public:
    explicit ROW(sqlite3_stmt* statement) : m_statement(statement) {}

    ROW& operator<<(const std::string& text)
    {
        sqlite3_bind_text(m_statement, ++m_at, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        return *this;
    }
    // A text that lives as long as the program.
    ROW& operator<<(const char* literal)
    {
        sqlite3_bind_text(m_statement, ++m_at, literal, -1, SQLITE_STATIC);
        return *this;
    }
    ROW& operator<<(std::int64_t value)
    {
        sqlite3_bind_int64(m_statement, ++m_at, value);
        return *this;
    }
    ROW& operator<<(double value)
    {
        sqlite3_bind_double(m_statement, ++m_at, value);
        return *this;
    }
    // A number that may be absent: NULL then.
    ROW& number(bool has, double value)
    {
        if (has)
            return *this << value;
        sqlite3_bind_null(m_statement, ++m_at);
        return *this;
    }
    ROW& null()
    {
        sqlite3_bind_null(m_statement, ++m_at);
        return *this;
    }
    int run()
    {
        int code = sqlite3_step(m_statement);
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        return code == SQLITE_DONE ? SQLITE_OK : code;
    }

private:
    sqlite3_stmt* m_statement;
    int m_at = 0;
};

std::int64_t whole(std::size_t n) { return static_cast<std::int64_t>(n); }

int put_cells(sqlite3_stmt* statement, std::int64_t id, const std::vector<RDB_METRIC_CELL>& cells)
{
    int code = SQLITE_OK;
    for (std::size_t i = 0; code == SQLITE_OK && i < cells.size(); ++i) {
        const RDB_METRIC_CELL& c = cells[i];
        code = (ROW(statement) << id << c.m_path << whole(c.m_row) << whole(c.m_column) << c.m_kind << c.m_text)
                   .number(c.m_has_number, c.m_number)
                   .run();
    }
    return code;
}

int put_metrics(RDB_INDEX_DB::STATEMENTS& s, std::int64_t id, const RDB_METRICS& m)
{
    int code = SQLITE_OK;
    for (std::size_t i = 0; code == SQLITE_OK && i < m.m_objects.size(); ++i) {
        const RDB_METRIC_OBJECT& o = m.m_objects[i];
        code = (ROW(s.m_object) << id << o.m_path << o.m_kind << o.m_name << whole(o.m_size)).run();
    }
    for (std::size_t i = 0; code == SQLITE_OK && i < m.m_gauges.size(); ++i) {
        const RDB_METRIC_GAUGE& g = m.m_gauges[i];
        code = (ROW(s.m_gauge) << id << g.m_path << g.m_name << std::int64_t(g.m_value) << std::int64_t(g.m_min)
                               << std::int64_t(g.m_max))
                   .number(g.m_has_percent, g.m_percent)
                   .run();
    }
    for (std::size_t i = 0; code == SQLITE_OK && i < m.m_summary_rows.size(); ++i) {
        const RDB_METRIC_SUMMARY_ROW& r = m.m_summary_rows[i];
        code = (ROW(s.m_summary_row) << id << r.m_path << r.m_label << r.m_text)
                   .number(r.m_has_number, r.m_number)
                   .run();
    }
    for (std::size_t i = 0; code == SQLITE_OK && i < m.m_points.size(); ++i) {
        const RDB_METRIC_POINT& p = m.m_points[i];
        code = (ROW(s.m_point) << id << p.m_path << p.m_label << std::int64_t(p.m_value)).run();
    }
    for (std::size_t i = 0; code == SQLITE_OK && i < m.m_headings.size(); ++i) {
        const RDB_METRIC_HEADING& h = m.m_headings[i];
        code = (ROW(s.m_heading) << id << h.m_path << whole(h.m_column) << h.m_heading).run();
    }
    for (std::size_t i = 0; code == SQLITE_OK && i < m.m_columns.size(); ++i) {
        const RDB_METRIC_COLUMN& c = m.m_columns[i];
        code = (ROW(s.m_column) << id << c.m_path << whole(c.m_column) << c.m_heading << std::int64_t(c.m_delays)
                                << whole(c.m_count) << c.m_min << c.m_max << c.m_sum << whole(c.m_negatives))
                   .run();
    }
    if (code == SQLITE_OK)
        code = put_cells(s.m_table_row, id, m.m_table_rows);
    if (code == SQLITE_OK)
        code = put_cells(s.m_cell, id, m.m_cells);
    return code;
}

std::string now_text()
{
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return rdb_index_time_text(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

int step(sqlite3_stmt* statement)
{
    int code = sqlite3_step(statement);
    sqlite3_reset(statement);
    return code == SQLITE_DONE ? SQLITE_OK : code;
}

}  // namespace

bool RDB_INDEX_DB::put(const RDB_INDEX_RUN& run, const RDB_METRICS* metrics, std::string& error)
{
    if (!m_statements) {
        error = m_path + ": opened read-only";
        return false;
    }
    STATEMENTS& s = *m_statements;
    int code = step(s.m_begin);
    if (code != SQLITE_OK) {
        error = failure(code);
        return false;
    }
    sqlite3_bind_text(s.m_drop, 1, run.m_file.data(), static_cast<int>(run.m_file.size()), SQLITE_STATIC);
    code = step(s.m_drop);
    sqlite3_clear_bindings(s.m_drop);
    if (code == SQLITE_OK) {
        ROW row(s.m_run);
        row << run.m_file << run.m_label << run.m_time << run.m_size << run.m_mtime_ns
            << (metrics ? "good" : "failed");
        if (metrics)
            row.null();
        else
            row << run.m_error;
        code = (row << whole(run.m_warnings) << whole(metrics ? metrics->m_unlisted : 0)
                    << std::int64_t(metrics && run.m_cells) << now_text())
                   .run();
    }
    if (code == SQLITE_OK && metrics)
        code = put_metrics(s, sqlite3_last_insert_rowid(m_db), *metrics);
    if (code == SQLITE_OK)
        code = step(s.m_commit);
    if (code != SQLITE_OK) {
        error = failure(code);
        // A commit that failed may have rolled back on its own.
        if (sqlite3_get_autocommit(m_db) == 0)
            step(s.m_rollback);
        return false;
    }
    return true;
}
