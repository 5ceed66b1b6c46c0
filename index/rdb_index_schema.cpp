#include "rdb_index_schema.h"

#include <sqlite3.h>

#include "rdb_index.h"

namespace {

// Plain SQL that other databases read too: no table options of SQLite's
// own, the words "row" and "column" quoted. Every table but runs is found
// by run (its rows go with it) and path.
const char* const SCHEMA = R"sql(
CREATE TABLE runs(
  id INTEGER PRIMARY KEY,
  file TEXT NOT NULL UNIQUE,
  label TEXT NOT NULL,
  time TEXT NOT NULL,
  size INTEGER NOT NULL,
  mtime_ns INTEGER NOT NULL,
  status TEXT NOT NULL,
  error TEXT,
  warnings INTEGER NOT NULL,
  unlisted INTEGER NOT NULL,
  cells INTEGER NOT NULL,
  indexed_at TEXT NOT NULL);
CREATE INDEX runs_time ON runs(time, label);
CREATE TABLE objects(
  run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  path TEXT NOT NULL, kind TEXT NOT NULL, name TEXT NOT NULL, size INTEGER NOT NULL);
CREATE INDEX objects_run_path ON objects(run_id, path);
CREATE TABLE gauges(
  run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  path TEXT NOT NULL, name TEXT NOT NULL, value INTEGER NOT NULL, min INTEGER NOT NULL, max INTEGER NOT NULL,
  percent REAL);
CREATE INDEX gauges_run_path ON gauges(run_id, path);
CREATE TABLE summary_rows(
  run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  path TEXT NOT NULL, label TEXT NOT NULL, text TEXT NOT NULL, number REAL);
CREATE INDEX summary_rows_run_path ON summary_rows(run_id, path);
CREATE TABLE points(
  run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  path TEXT NOT NULL, label TEXT NOT NULL, value INTEGER NOT NULL);
CREATE INDEX points_run_path ON points(run_id, path);
CREATE TABLE headings(
  run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  path TEXT NOT NULL, "column" INTEGER NOT NULL, heading TEXT NOT NULL);
CREATE INDEX headings_run_path ON headings(run_id, path);
CREATE TABLE column_stats(
  run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  path TEXT NOT NULL, "column" INTEGER NOT NULL, heading TEXT NOT NULL, delays INTEGER NOT NULL,
  count INTEGER NOT NULL, min REAL NOT NULL, max REAL NOT NULL, sum REAL NOT NULL, negatives INTEGER NOT NULL);
CREATE INDEX column_stats_run_path ON column_stats(run_id, path);
CREATE TABLE table_rows(
  run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  path TEXT NOT NULL, "row" INTEGER NOT NULL, "column" INTEGER NOT NULL, kind TEXT NOT NULL, text TEXT NOT NULL,
  number REAL);
CREATE INDEX table_rows_run_path ON table_rows(run_id, path);
CREATE TABLE cells(
  run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  path TEXT NOT NULL, "row" INTEGER NOT NULL, "column" INTEGER NOT NULL, kind TEXT NOT NULL, text TEXT NOT NULL,
  number REAL);
CREATE INDEX cells_run_path ON cells(run_id, path);

CREATE VIEW latest_runs AS
  SELECT id, label, time, status, error, warnings, file FROM runs
  WHERE time = (SELECT MAX(time) FROM runs);
CREATE VIEW gauge_trend AS
  SELECT r.time, r.label, g.path, g.name, g.value, g.min, g.max, g.percent, r.id AS run_id
  FROM gauges g JOIN runs r ON r.id = g.run_id;
CREATE VIEW column_trend AS
  SELECT r.time, r.label, c.path, c."column", c.heading, c.delays, c.count, c.min, c.max, c.sum, c.negatives,
         r.id AS run_id
  FROM column_stats c JOIN runs r ON r.id = c.run_id;
CREATE VIEW worst_slack AS
  SELECT r.time, r.label, c.path, MIN(c.min) AS slack_ps, SUM(c.negatives) AS negatives, r.id AS run_id
  FROM column_stats c
  JOIN objects o ON o.run_id = c.run_id AND o.path = c.path AND o.kind = 'tan_slack_table'
  JOIN runs r ON r.id = c.run_id
  WHERE c.delays = 1
  GROUP BY r.id, c.path;
)sql";

}  // namespace

int rdb_index_create_schema(sqlite3* db)
{
    int code = sqlite3_exec(db, SCHEMA, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return code;
    return sqlite3_exec(db, ("PRAGMA user_version = " + std::to_string(RDB_INDEX_VERSION)).c_str(), nullptr,
                        nullptr, nullptr);
}

std::string rdb_index_check_version(sqlite3* db, int version, long tables, bool read_only, int& code)
{
    code = SQLITE_OK;
    if (version == 0 && tables == 0) {
        if (read_only)
            return "an empty database, not an index: index some runs into it first";
        code = rdb_index_create_schema(db);
        return std::string();
    }
    if (version == 0)
        return "not an index made by rdbxml index (it holds tables of its own); index into a new file";
    if (version > RDB_INDEX_VERSION)
        return "made by a newer rdbxml (index version " + std::to_string(version) + ", this one knows " +
               std::to_string(RDB_INDEX_VERSION) + "); use that rdbxml, or index into a new file";
    // Version 1 is the first: there is nothing older to bring up to date.
    return std::string();
}
