#include "rdb_index_statements.h"

RDB_INDEX_DB::STATEMENTS::~STATEMENTS()
{
    for (sqlite3_stmt* statement : {m_find, m_begin, m_commit, m_rollback, m_drop, m_run, m_object, m_gauge,
                                    m_summary_row, m_point, m_heading, m_column, m_table_row, m_cell})
        sqlite3_finalize(statement);
}

int RDB_INDEX_DB::STATEMENTS::prepare(sqlite3* db)
{
    struct {
        sqlite3_stmt** statement;
        const char* sql;
    } const all[] = {
        {&m_find, "SELECT size, mtime_ns, cells, status, warnings FROM runs WHERE file = ?"},
        // Immediate: the write lock is taken (or waited for) before the
        // first read, so that two writers never meet halfway through.
        {&m_begin, "BEGIN IMMEDIATE"},
        {&m_commit, "COMMIT"},
        {&m_rollback, "ROLLBACK"},
        {&m_drop, "DELETE FROM runs WHERE file = ?"},
        {&m_run, "INSERT INTO runs(file, label, time, size, mtime_ns, status, error, warnings, unlisted, cells,"
                 " indexed_at) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"},
        {&m_object, "INSERT INTO objects VALUES(?, ?, ?, ?, ?)"},
        {&m_gauge, "INSERT INTO gauges VALUES(?, ?, ?, ?, ?, ?, ?)"},
        {&m_summary_row, "INSERT INTO summary_rows VALUES(?, ?, ?, ?, ?)"},
        {&m_point, "INSERT INTO points VALUES(?, ?, ?, ?)"},
        {&m_heading, "INSERT INTO headings VALUES(?, ?, ?, ?)"},
        {&m_column, "INSERT INTO column_stats VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"},
        {&m_table_row, "INSERT INTO table_rows VALUES(?, ?, ?, ?, ?, ?, ?)"},
        {&m_cell, "INSERT INTO cells VALUES(?, ?, ?, ?, ?, ?, ?)"},
    };
    for (const auto& one : all) {
        int code = sqlite3_prepare_v3(db, one.sql, -1, SQLITE_PREPARE_PERSISTENT, one.statement, nullptr);
        if (code != SQLITE_OK)
            return code;
    }
    return SQLITE_OK;
}
