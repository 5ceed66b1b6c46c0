// The tables and views of an index (rdb_index.h documents them), and
// bringing a database of an older version up to this one.
#pragma once

#include <string>

struct sqlite3;

// Creates the tables and views in an empty database and sets its version;
// inside the caller's transaction. An SQLite result code.
int rdb_index_create_schema(sqlite3* db);

// For a database of `version` (PRAGMA user_version) that has `tables`
// tables: empty when it can be used as it is (or was brought up to date,
// inside the caller's transaction), else what to tell the user.
std::string rdb_index_check_version(sqlite3* db, int version, long tables, bool read_only, int& code);
