// The statements a connection writes runs with, prepared once and reused
// for every run and row.
#pragma once

#include <sqlite3.h>

#include "rdb_index.h"

struct RDB_INDEX_DB::STATEMENTS {
    STATEMENTS() = default;
    ~STATEMENTS();
    STATEMENTS(const STATEMENTS&) = delete;
    STATEMENTS& operator=(const STATEMENTS&) = delete;

    // An SQLite result code.
    int prepare(sqlite3* db);

    sqlite3_stmt* m_find = nullptr;  // size, mtime_ns, cells, status, warnings of a file
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    sqlite3_stmt* m_rollback = nullptr;
    sqlite3_stmt* m_drop = nullptr;  // a file's run, and with it its rows
    sqlite3_stmt* m_run = nullptr;
    sqlite3_stmt* m_object = nullptr;
    sqlite3_stmt* m_gauge = nullptr;
    sqlite3_stmt* m_summary_row = nullptr;
    sqlite3_stmt* m_point = nullptr;
    sqlite3_stmt* m_heading = nullptr;
    sqlite3_stmt* m_column = nullptr;
    sqlite3_stmt* m_table_row = nullptr;
    sqlite3_stmt* m_cell = nullptr;
};
