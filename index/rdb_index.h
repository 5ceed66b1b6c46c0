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
//        unlisted INTEGER NOT NULL, indexed_at TEXT NOT NULL)
//     file: the report's absolute path; label: what trends call the run;
//     time: UTC, "YYYY-MM-DDTHH:MM:SS.nnnnnnnnnZ" (sorts as it reads);
//     size, mtime_ns: the file's when it was indexed (a file with both
//     unchanged is not read again); status: "good" or "failed"; error: a
//     failed run's first error, as the tool prints it (FILE:LINE:COL: ...);
//     unlisted: RDB_METRICS::m_unlisted.
//   objects(run_id, path, kind, name, size)
//   gauges(run_id, path, name, value, min, max, percent)      percent NULL when max = min
//   summary_rows(run_id, path, label, text, number)           number NULL when the text reads as none
//   points(run_id, path, label, value)
//   headings(run_id, path, column, heading)
//   column_stats(run_id, path, column, heading, delays, count, min, max, sum, negatives)
//   table_rows(run_id, path, row, column, kind, text, number) number NULL for a text
//   cells(run_id, path, row, column, kind, text, number)      only for runs indexed with cells
//   settings(name TEXT PRIMARY KEY, value TEXT)               "cells": "1" when runs keep their cells
// A failed run has only its row in runs. Views for the common questions
// are made with the tables (see the README).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <rdbxml/rdb_metrics.h>

constexpr int RDB_INDEX_VERSION = 1;

// A run as it goes into the index.
struct RDB_INDEX_RUN {
    std::string m_file;   // absolute
    std::string m_label;
    std::string m_time;   // as runs.time writes it (rdb_index_time_text)
    std::int64_t m_size = 0;
    std::int64_t m_mtime_ns = 0;
    bool m_good = false;
    std::string m_error;  // a failed run's first error
    std::size_t m_warnings = 0;
};

// Nanoseconds since the epoch as runs.time writes them.
std::string rdb_index_time_text(std::int64_t ns);
// Reads a --time: runs.time's form, or "YYYY-MM-DD[ HH:MM[:SS]]" / with a
// 'T', read as UTC, or seconds since the epoch ("@1733612345"). False for
// anything else.
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

    // Whether `file` is indexed with this size and modification time.
    bool is_current(const std::string& file, std::int64_t size, std::int64_t mtime_ns);
    // Puts `run` in, replacing what the file had, with `metrics` for a good
    // run (null for a failed one): all of it in one transaction, or none.
    // False, with `error`, when the database refused a write.
    bool put(const RDB_INDEX_RUN& run, const RDB_METRICS* metrics, std::string& error);
    // Drops the runs whose file is gone; how many, or -1 with `error`.
    long prune(std::string& error);

    struct sqlite3* handle() { return m_db; }

private:
    explicit RDB_INDEX_DB(struct sqlite3* db) : m_db(db) {}
    struct sqlite3* m_db;
};

// Indexing many files: parsed on `threads` threads, written by the one
// connection of `db` in the order given.
struct RDB_INDEX_FILE {
    std::string m_path;   // as given
    std::string m_label;  // what runs.label gets
    std::int64_t m_time_ns = -1;  // -1: the file's modification time
};

struct RDB_INDEX_OPTIONS {
    unsigned m_threads = 1;
    bool m_cells = false;
    bool m_strict = false;  // a file with warnings is a failed run
};

// What became of one file, told as it is written (in the order given).
struct RDB_INDEX_OUTCOME {
    const RDB_INDEX_FILE* m_file = nullptr;
    enum { SKIPPED, GOOD, FAILED, WRITE_FAILED } m_what = SKIPPED;
    std::string m_messages;  // the file's warnings and errors, as the tool prints them
    std::string m_error;     // WRITE_FAILED: the database's error
};

// Adds `files`; stops at the first write the database refuses. False then.
bool rdb_index_add(RDB_INDEX_DB& db, const std::vector<RDB_INDEX_FILE>& files, const RDB_INDEX_OPTIONS& options,
                   const std::function<void(const RDB_INDEX_OUTCOME&)>& told);
