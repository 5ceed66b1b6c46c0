#include "rdb_index_trend.h"

#include <sqlite3.h>

#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

// Blanks as rules trim them around names.
const char* const BLANKS = "char(32, 9, 10, 13)";

// A prepared statement, finalized when it goes.
class STATEMENT {
public:
    STATEMENT(sqlite3* db, const std::string& sql) { m_code = sqlite3_prepare_v2(db, sql.c_str(), -1, &m_statement, nullptr); }
    ~STATEMENT() { sqlite3_finalize(m_statement); }
    STATEMENT(const STATEMENT&) = delete;
    STATEMENT& operator=(const STATEMENT&) = delete;

    bool ok() const { return m_code == SQLITE_OK || m_code == SQLITE_ROW || m_code == SQLITE_DONE; }
    void bind(int at, const std::string& text)
    {
        if (ok())
            m_code = sqlite3_bind_text(m_statement, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    // The next row; false at the end, or on an error (ok() then says so).
    bool step()
    {
        if (!ok())
            return false;
        m_code = sqlite3_step(m_statement);
        return m_code == SQLITE_ROW;
    }
    void reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        m_code = SQLITE_OK;
    }
    long long integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    double real(int column) const { return sqlite3_column_double(m_statement, column); }
    bool null(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
    std::string text(int column) const
    {
        const unsigned char* at = sqlite3_column_text(m_statement, column);
        return at ? std::string(reinterpret_cast<const char*>(at),
                                static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                  : std::string();
    }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_code = SQLITE_OK;
};

// Whether `path`, or a folder on its way, matches `pattern`: what a rule
// finds below a matched folder, a selector finds too.
bool at_or_below(const RDB_PATH_PATTERN& pattern, std::string_view path)
{
    RDB_PATH_PATTERN::PROGRESS before, after;
    pattern.start(before);
    for (std::string_view step : rdb_path_steps(path)) {
        pattern.advance(before, step, after);
        if (pattern.accepts(after))
            return true;
        std::swap(before, after);
    }
    return false;
}

// "name" = ?N, as rules compare names.
std::string same_name(const char* column, int parameter)
{
    return std::string("trim(") + column + ", " + BLANKS + ") = ?" + std::to_string(parameter) + " COLLATE NOCASE";
}

const char* const MATCHED = " IN (SELECT path FROM temp.trend_paths)";

// The columns headed NAME (?2) and COLUMN (?1) of each matched table of
// each good run, whether the run kept its cells, and whether the table is
// a speed table (whose rows every run keeps).
std::string columns_sql()
{
    return std::string("SELECT h.run_id AS run_id, h.path AS path, r.cells AS cells, ") +
           "MIN(CASE WHEN " + same_name("h.heading", 1) + " THEN h.\"column\" END) AS fc, " +
           "MIN(CASE WHEN " + same_name("h.heading", 2) + " THEN h.\"column\" END) AS vc, " +
           "EXISTS(SELECT 1 FROM objects o WHERE o.run_id = h.run_id AND o.path = h.path AND "
           "o.kind = 'tan_spd_table') AS speed "
           "FROM runs r CROSS JOIN headings h WHERE r.status = 'good' AND h.run_id = r.id AND h.path" +
           MATCHED + " GROUP BY h.run_id, h.path";
}

// The cell in column vc of the first row whose cell in column fc reads
// TEXT (?3), from `table` for the runs `which` picks among the columns.
std::string filtered_cells_sql(const char* table, const char* which)
{
    return "WITH cols AS (" + columns_sql() + "), firsts AS (SELECT c.run_id AS run_id, c.path AS path, c.vc AS vc, " +
           "MIN(f.\"row\") AS \"row\" FROM cols c CROSS JOIN " + table + " f WHERE " + which +
           " AND c.fc IS NOT NULL AND c.vc IS NOT NULL AND f.run_id = c.run_id AND f.path = c.path AND "
           "f.\"column\" = c.fc AND f.text = ?3 GROUP BY c.run_id, c.path) "
           "SELECT x.run_id, x.path, v.kind, v.text, v.number FROM firsts x CROSS JOIN " +
           table + " v WHERE v.run_id = x.run_id AND v.path = x.path AND v.\"row\" = x.\"row\" AND "
           "v.\"column\" = x.vc";
}

const char* stat_column(RDB_TREND_STAT stat)
{
    switch (stat) {
    case RDB_TREND_MAX: return "c.max";
    case RDB_TREND_SUM: return "c.sum";
    case RDB_TREND_COUNT: return "c.count";
    case RDB_TREND_NEGATIVES: return "c.negatives";
    default: return "c.min";
    }
}

std::string plural(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

}  // namespace

// Where each value of a query goes: its run's place and its path's series.
struct RDB_INDEX_TREND_QUERY::SOURCE {
    std::unordered_map<long long, std::size_t> m_run_at;
    std::unordered_map<std::string, std::size_t> m_series_at;
    RDB_TREND* m_trend = nullptr;

    // The value of `run_id` at `path`; null when it has one already (an
    // earlier kind, or an earlier row of the same name, comes first).
    RDB_TREND_VALUE* slot(long long run_id, const std::string& path)
    {
        auto run = m_run_at.find(run_id);
        auto series = m_series_at.find(path);
        if (run == m_run_at.end() || series == m_series_at.end())
            return nullptr;
        RDB_TREND_VALUE& value = m_trend->m_series[series->second].m_values[run->second];
        return value.m_kind == RDB_TREND_GAP ? &value : nullptr;
    }
};

RDB_INDEX_TREND_QUERY::~RDB_INDEX_TREND_QUERY()
{
    if (m_reading)
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

bool RDB_INDEX_TREND_QUERY::load(std::vector<RDB_TREND_RUN>& runs, std::string& error)
{
    sqlite3* db = m_db.handle();
    // One read for all the queries: its first statement fixes the state of
    // the database they all see.
    if (!m_reading) {
        if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
            error = m_db.path() + ": " + sqlite3_errmsg(db);
            return false;
        }
        m_reading = true;
    }
    runs.clear();
    m_run_ids.clear();
    m_paths.clear();
    STATEMENT run_rows(db, "SELECT id, label, time, status FROM runs ORDER BY time, label");
    while (run_rows.step()) {
        m_run_ids.push_back(run_rows.integer(0));
        RDB_TREND_RUN run;
        run.m_label = run_rows.text(1);
        run.m_time = run_rows.text(2);
        run.m_failed = run_rows.text(3) != "good";
        runs.push_back(std::move(run));
    }
    STATEMENT path_rows(db, "SELECT path FROM objects GROUP BY path ORDER BY MIN(rowid)");
    while (path_rows.step())
        m_paths.push_back(path_rows.text(0));
    if (!run_rows.ok() || !path_rows.ok()) {
        error = m_db.path() + ": " + sqlite3_errmsg(db);
        return false;
    }
    return true;
}

bool RDB_INDEX_TREND_QUERY::paths_matching(const RDB_PATH_PATTERN& pattern, std::vector<std::string>& paths) const
{
    paths.clear();
    for (const std::string& path : m_paths)
        if (at_or_below(pattern, path))
            paths.push_back(path);
    return !paths.empty();
}

bool RDB_INDEX_TREND_QUERY::follow(const RDB_SELECTOR& selector, RDB_TREND_STAT stat, FOUND& found,
                                   std::string& error)
{
    sqlite3* db = m_db.handle();
    found = FOUND();
    RDB_TREND& trend = found.m_trend;
    trend.m_selector = selector.get_text();
    std::vector<std::string> paths;
    if (!paths_matching(selector.get_pattern(), paths)) {
        found.m_unusable = m_run_ids.empty() ? "the index holds no run" : "PATH matches nothing in any run";
        return true;
    }

    SOURCE source;
    source.m_trend = &trend;
    for (std::size_t i = 0; i < m_run_ids.size(); ++i)
        source.m_run_at[m_run_ids[i]] = i;
    // The matched paths, for the queries to look up by run and path.
    bool written = sqlite3_exec(db, "CREATE TEMP TABLE IF NOT EXISTS trend_paths(path TEXT PRIMARY KEY); "
                                    "DELETE FROM temp.trend_paths", nullptr, nullptr, nullptr) == SQLITE_OK;
    STATEMENT insert(db, "INSERT OR IGNORE INTO temp.trend_paths VALUES (?1)");
    for (const std::string& path : paths) {
        source.m_series_at[path] = trend.m_series.size();
        trend.m_series.push_back(RDB_TREND_SERIES{path, std::vector<RDB_TREND_VALUE>(m_run_ids.size())});
        insert.bind(1, path);
        insert.step();
        written = written && insert.ok();
        insert.reset();
    }
    if (!written) {
        error = m_db.path() + ": " + sqlite3_errmsg(db);
        return false;
    }

    bool read = true;
    std::size_t with_columns = 0, without_rows = 0;
    if (!selector.has_filter()) {
        STATEMENT gauges(db, std::string("SELECT g.run_id, g.path, g.value, g.percent FROM runs r CROSS JOIN gauges g "
                                         "WHERE r.status = 'good' AND g.run_id = r.id AND g.path") +
                                 MATCHED + " AND " + same_name("g.name", 1) + " ORDER BY g.rowid");
        gauges.bind(1, selector.get_name());
        while (gauges.step())
            if (RDB_TREND_VALUE* value = source.slot(gauges.integer(0), gauges.text(1))) {
                value->m_kind = RDB_TREND_GAUGE;
                value->m_has_number = true;
                value->m_number = static_cast<double>(gauges.integer(2));
                value->m_has_percent = !gauges.null(3);
                value->m_percent = gauges.real(3);
            }
        STATEMENT rows(db, std::string("SELECT s.run_id, s.path, s.text, s.number FROM runs r CROSS JOIN summary_rows s "
                                       "WHERE r.status = 'good' AND s.run_id = r.id AND s.path") +
                               MATCHED + " AND " + same_name("s.label", 1) + " ORDER BY s.rowid");
        rows.bind(1, selector.get_name());
        while (rows.step())
            if (RDB_TREND_VALUE* value = source.slot(rows.integer(0), rows.text(1))) {
                value->m_kind = RDB_TREND_SUMMARY_ROW;
                value->m_text = rows.text(2);
                value->m_has_number = !rows.null(3);
                value->m_number = rows.real(3);
            }
        STATEMENT columns(db, std::string("SELECT c.run_id, c.path, c.delays, ") + stat_column(stat) +
                                  " FROM runs r CROSS JOIN column_stats c WHERE r.status = 'good' AND "
                                  "c.run_id = r.id AND c.path" + MATCHED +
                                  " AND c.\"column\" = (SELECT MIN(h.\"column\") FROM headings h WHERE "
                                  "h.run_id = c.run_id AND h.path = c.path AND " + same_name("h.heading", 1) + ")");
        columns.bind(1, selector.get_name());
        while (columns.step())
            if (RDB_TREND_VALUE* value = source.slot(columns.integer(0), columns.text(1))) {
                value->m_kind = RDB_TREND_COLUMN;
                value->m_has_number = true;
                value->m_number = columns.real(3);
                // A count is of cells, whatever they hold.
                value->m_delay = columns.integer(2) != 0 && stat != RDB_TREND_COUNT && stat != RDB_TREND_NEGATIVES;
            }
        read = gauges.ok() && rows.ok() && columns.ok();
    } else {
        // Where the filter's question can be asked at all, and where the
        // run kept none of the rows it needs.
        STATEMENT tables(db, columns_sql());
        tables.bind(1, selector.get_filter_column());
        tables.bind(2, selector.get_name());
        while (tables.step())
            if (!tables.null(3) && !tables.null(4)) {
                ++with_columns;
                without_rows += tables.integer(2) == 0 && tables.integer(5) == 0;
            }
        read = tables.ok();
        const std::pair<const char*, const char*> sources[] = {
            {"cells", "c.cells = 1"}, {"table_rows", "c.cells = 0 AND c.speed = 1"}};
        for (const auto& from : sources) {
            STATEMENT cells(db, filtered_cells_sql(from.first, from.second));
            cells.bind(1, selector.get_filter_column());
            cells.bind(2, selector.get_name());
            cells.bind(3, selector.get_filter_text());
            while (cells.step())
                if (RDB_TREND_VALUE* value = source.slot(cells.integer(0), cells.text(1))) {
                    std::string kind = cells.text(2);
                    value->m_kind = RDB_TREND_CELL;
                    value->m_text = cells.text(3);
                    value->m_has_number = !cells.null(4);
                    value->m_number = cells.real(4);
                    value->m_delay = kind == "delay";
                }
            read = read && cells.ok();
        }
    }
    if (!read) {
        error = m_db.path() + ": " + sqlite3_errmsg(db);
        return false;
    }

    // Only the paths where something was found are followed.
    std::vector<RDB_TREND_SERIES> kept;
    for (RDB_TREND_SERIES& series : trend.m_series)
        for (const RDB_TREND_VALUE& value : series.m_values)
            if (value.m_kind != RDB_TREND_GAP) {
                kept.push_back(std::move(series));
                break;
            }
    trend.m_series = std::move(kept);

    const std::string& name = selector.get_name();
    std::string rows_needed;
    if (without_rows != 0)
        rows_needed = plural(without_rows, "run", "runs") +
                      " indexed without --cells kept no rows of a table PATH matches (an index keeps those of "
                      "speed tables, and a slack table's worst): index with --cells to keep every row";
    if (!trend.m_series.empty()) {
        found.m_note = rows_needed;
        return true;
    }
    if (!selector.has_filter())
        found.m_unusable = "no object PATH matches has a gauge, a summary row or a column of numbers named '" +
                           name + "' in any run";
    else if (with_columns == 0)
        found.m_unusable = "no table PATH matches has both a column '" + name + "' and a column '" +
                           selector.get_filter_column() + "' in any run";
    else if (without_rows == with_columns)
        found.m_unusable = rows_needed;
    else
        found.m_unusable = "no row reads '" + selector.get_filter_text() + "' in the column '" +
                           selector.get_filter_column() + "' in any run" +
                           (rows_needed.empty() ? std::string() : "; " + rows_needed);
    return true;
}
