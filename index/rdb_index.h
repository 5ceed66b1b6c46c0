// An index of many runs: an SQLite database of the figures of each run's
// report (rdb_metrics.h), kept up to date as runs are added, for questions
// over all of them (`rdbxml index`, `rdbxml trend`, Python's rdbxml.Index).
//
// The database (PRAGMA user_version RDB_INDEX_VERSION, WAL journal, foreign
// keys on). Every table but runs is keyed by run and path, and its rows go
// with their run (ON DELETE CASCADE). Paths are those of rdb_path.h.
//
//   runs(id INTEGER PRIMARY KEY, file TEXT NOT NULL UNIQUE, label TEXT NOT NULL,
//        time TEXT NOT NULL, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL,
//        status TEXT NOT NULL, error TEXT, warnings INTEGER NOT NULL,
//        unlisted INTEGER NOT NULL, cells INTEGER NOT NULL, indexed_at TEXT NOT NULL)
//     file: the report's absolute path (as realpath gives it); label: what
//     trends call the run; time: UTC, "YYYY-MM-DDTHH:MM:SS.nnnnnnnnnZ"
//     (sorts as it reads; runs in time order are ORDER BY time, label);
//     size, mtime_ns: the file's when it was indexed (a file with both
//     unchanged is not read again); status: "good" or "failed"; error: a
//     failed run's first error, as the tool prints it (FILE:LINE:COL: ...);
//     warnings: the file's warnings; unlisted: RDB_METRICS::m_unlisted;
//     cells: 1 when the run keeps its cells; indexed_at: when, as time.
//   objects(run_id, path, kind, name, size)
//   gauges(run_id, path, name, value, min, max, percent)      percent NULL when max = min
//   summary_rows(run_id, path, label, text, number)           number NULL when the text reads as none
//   points(run_id, path, label, value)
//   headings(run_id, path, "column", heading)
//   column_stats(run_id, path, "column", heading, delays, count, min, max, sum, negatives)
//                                                             delays 1: the figures are picoseconds
//   table_rows(run_id, path, "row", "column", kind, text, number)
//                                                             every row of a speed table, the worst of a slack table
//   cells(run_id, path, "row", "column", kind, text, number)  only for runs indexed with cells
// number NULL where a cell holds neither an integer nor a delay (delays in
// picoseconds). A failed run has only its row in runs. Views for the common
// questions (the README shows them): latest_runs, gauge_trend,
// worst_slack, column_trend.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <rdbxml/rdb_metrics.h>

struct sqlite3;
class RDB_REPORT;

constexpr int RDB_INDEX_VERSION = 1;

// A run as it goes into the index.
struct RDB_INDEX_RUN {
    std::string m_file;   // absolute
    std::string m_label;
    std::string m_time;   // as runs.time writes it (rdb_index_time_text)
    std::int64_t m_size = 0;
    std::int64_t m_mtime_ns = 0;
    std::string m_error;  // a failed run's first error
    std::size_t m_warnings = 0;
    bool m_cells = false;  // the metrics hold the cells
};

// Nanoseconds since the epoch as runs.time writes them.
std::string rdb_index_time_text(std::int64_t ns);
// Reads a --time: runs.time's form, or "YYYY-MM-DD[ HH:MM[:SS]]" / with a
// 'T' (and an optional 'Z'), read as UTC, or seconds since the epoch
// ("@1733612345"). False for anything else.
bool rdb_index_read_time(const std::string& text, std::int64_t& ns);

class RDB_INDEX_DB {
public:
    // Opens `path`, made with its tables when it does not exist (unless
    // read-only). A database of an older version is brought up to this
    // one; one of another kind or a newer version is refused. Waits up to
    // `wait_seconds` for another writer. Null, with `error` naming the
    // file, when it cannot be opened.
    static std::unique_ptr<RDB_INDEX_DB> open(const std::string& path, double wait_seconds, bool read_only,
                                              std::string& error);
    ~RDB_INDEX_DB();
    RDB_INDEX_DB(const RDB_INDEX_DB&) = delete;
    RDB_INDEX_DB& operator=(const RDB_INDEX_DB&) = delete;

    // Whether `file` is indexed with this size and modification time (and
    // its cells, when `cells`); then, where asked, whether its run is good
    // and its warnings.
    bool is_current(const std::string& file, std::int64_t size, std::int64_t mtime_ns, bool cells,
                    bool* good = nullptr, std::size_t* warnings = nullptr);
    // Puts `run` in, replacing what the file had, with `metrics` for a good
    // run (null for a failed one): all of it in one transaction, or none.
    // False, with `error` naming the database, when it refused a write.
    bool put(const RDB_INDEX_RUN& run, const RDB_METRICS* metrics, std::string& error);
    // Drops the runs whose file is gone; how many, or -1 with `error`.
    long prune(std::string& error);

    const std::string& path() const { return m_path; }
    sqlite3* handle() { return m_db; }

    struct STATEMENTS;

private:
    RDB_INDEX_DB(sqlite3* db, std::string path, double wait_seconds);
    // "DB: what SQLite said", or the busy message after a wait.
    std::string failure(int code) const;

    sqlite3* m_db;
    std::string m_path;
    double m_wait_seconds;
    std::unique_ptr<STATEMENTS> m_statements;
};

// Indexing many files: parsed on `threads` threads, written by the one
// connection of `db` in the order given.
struct RDB_INDEX_FILE {
    std::string m_path;   // as given
    std::string m_label;  // what runs.label gets; empty: m_path
    std::int64_t m_time_ns = -1;  // -1: the file's modification time
};

// One file parsed, and its figures taken, ready to be written.
struct RDB_INDEX_PARSED {
    std::unique_ptr<RDB_METRICS> m_metrics;  // null: the file gave no report
    std::string m_messages;  // its warnings and errors, one a line, as the tool prints them
    std::string m_error;     // without a report: its first error
    std::size_t m_warnings = 0;
};

// The figures of a parse's outcome: `report` (may be null) with the
// warnings and errors said of it; `failure`, without a report, the lines
// that say why (the first error among them is the run's). Shared by every
// way of parsing a file for the index.
RDB_INDEX_PARSED rdb_index_measure(std::unique_ptr<RDB_REPORT> report, std::string messages, std::string failure,
                                   std::size_t warnings, bool cells);

// The library's own parse of the file at `path` (default reading options,
// `strict` as --strict), its messages in the tool's form.
RDB_INDEX_PARSED rdb_index_parse_file(const std::string& path, bool cells, bool strict);

// How a file is parsed; called on the driver's threads, several at once.
using RDB_INDEX_PARSE = std::function<RDB_INDEX_PARSED(const std::string& path, bool cells)>;

struct RDB_INDEX_OPTIONS {
    unsigned m_threads = 1;  // 0: one per core
    bool m_cells = false;
    bool m_strict = false;  // a file with warnings is a failed run (the default parse)
    // Empty: the library's parse with default reading options (and
    // m_strict), its messages in the tool's form.
    RDB_INDEX_PARSE m_parse;
};

// What became of one file, told as it is written (in the order given).
struct RDB_INDEX_OUTCOME {
    const RDB_INDEX_FILE* m_file = nullptr;
    enum WHAT { SKIPPED, GOOD, FAILED, UNREADABLE, WRITE_FAILED } m_what = SKIPPED;
    std::string m_messages;  // the file's warnings and errors, as the tool prints them
    std::string m_error;     // FAILED: the run's first error; UNREADABLE (not recorded),
                             // WRITE_FAILED: why
    std::size_t m_warnings = 0;
    bool m_good = false;  // GOOD, or SKIPPED and its run good
};

// Adds `files`; stops at the first write the database refuses (told as
// WRITE_FAILED). False then. At most twice `threads` files are parsed or
// waiting to be written at once.
bool rdb_index_add(RDB_INDEX_DB& db, const std::vector<RDB_INDEX_FILE>& files, const RDB_INDEX_OPTIONS& options,
                   const std::function<void(const RDB_INDEX_OUTCOME&)>& told);
