#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "rdb_index.h"
#include "rdb_index_schema.h"
#include "rdb_index_statements.h"

namespace {

// The database's version and how many tables and views it has, read at
// one moment: read apart, another process making the tables between the
// two would show tables without the version that goes with them.
bool read_kind(sqlite3* db, long& version, long& tables, int& code)
{
    sqlite3_stmt* statement = nullptr;
    code = sqlite3_prepare_v2(db,
                              "SELECT (SELECT user_version FROM pragma_user_version),"
                              " (SELECT COUNT(*) FROM sqlite_master)",
                              -1, &statement, nullptr);
    if (code == SQLITE_OK) {
        code = sqlite3_step(statement);
        if (code == SQLITE_ROW) {
            version = static_cast<long>(sqlite3_column_int64(statement, 0));
            tables = static_cast<long>(sqlite3_column_int64(statement, 1));
            code = SQLITE_OK;
        }
    }
    sqlite3_finalize(statement);
    return code == SQLITE_OK;
}

// Runs `sql`, trying again while the database is busy, up to `wait_seconds`.
// Turning a new database to WAL needs it to itself, and SQLite says "busy"
// at once, without waiting, when another process turns it at the same
// moment (each holds a read lock the other's change waits for).
int exec_waiting(sqlite3* db, const char* sql, double wait_seconds)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(wait_seconds);
    for (;;) {
        int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        if ((code & 0xff) != SQLITE_BUSY || std::chrono::steady_clock::now() >= until)
            return code;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string seconds_text(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

}  // namespace

RDB_INDEX_DB::RDB_INDEX_DB(sqlite3* db, std::string path, double wait_seconds)
    : m_db(db), m_path(std::move(path)), m_wait_seconds(wait_seconds)
{
}

RDB_INDEX_DB::~RDB_INDEX_DB()
{
    m_statements.reset();
    sqlite3_close_v2(m_db);
}

std::string RDB_INDEX_DB::failure(int code) const
{
    int primary = code & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return m_path + ": the database is busy (another rdbxml index?); waited " + seconds_text(m_wait_seconds) +
               " s";
    if (primary == SQLITE_NOTADB)
        return m_path + ": not an SQLite database; index into a new file";
    const char* said = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    // The connection's message may be of an earlier call when this code
    // came from elsewhere (a commit's rollback); the code's own then.
    if (m_db && (sqlite3_extended_errcode(m_db) & 0xff) != primary)
        said = sqlite3_errstr(code);
    std::string text = m_path + ": " + said;
    // "disk I/O error" says little; the system's reason says what to fix.
    int system = m_db ? sqlite3_system_errno(m_db) : 0;
    if (system != 0 && (primary == SQLITE_IOERR || primary == SQLITE_FULL || primary == SQLITE_CANTOPEN))
        text += std::string(" (") + std::strerror(system) + ")";
    return text;
}

std::unique_ptr<RDB_INDEX_DB> RDB_INDEX_DB::open(const std::string& path, double wait_seconds, bool read_only,
                                                 std::string& error)
{
    sqlite3* handle = nullptr;
    int flags = (read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                SQLITE_OPEN_NOMUTEX;
    int code = sqlite3_open_v2(path.c_str(), &handle, flags, nullptr);
    std::unique_ptr<RDB_INDEX_DB> db(new RDB_INDEX_DB(handle, path, wait_seconds));
    if (code != SQLITE_OK) {
        error = db->failure(code);
        return nullptr;
    }
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, wait_seconds <= 0 ? 0 : static_cast<int>(wait_seconds * 1000 + 0.5));
    long version = 0, tables = 0;
    if (!read_kind(handle, version, tables, code)) {
        error = db->failure(code);
        return nullptr;
    }
    // WAL lets readers query while a run is written; with it, a commit
    // need not reach the disk at once to leave the database whole.
    if (!read_only && (exec_waiting(handle, "PRAGMA journal_mode = WAL", wait_seconds) != SQLITE_OK ||
                       sqlite3_exec(handle, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr) != SQLITE_OK)) {
        error = db->failure(sqlite3_extended_errcode(handle));
        return nullptr;
    }
    if (sqlite3_exec(handle, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = db->failure(sqlite3_extended_errcode(handle));
        return nullptr;
    }
    if (version == 0 && tables == 0 && !read_only) {
        // Made here: asked again inside the transaction, since another
        // process may have made it meanwhile.
        code = sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (code != SQLITE_OK || !read_kind(handle, version, tables, code)) {
            error = db->failure(code);
            return nullptr;
        }
    }
    std::string refused = rdb_index_check_version(handle, static_cast<int>(version), tables, read_only, code);
    if (sqlite3_get_autocommit(handle) == 0) {
        if (code == SQLITE_OK && refused.empty())
            code = sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        if (code != SQLITE_OK)
            sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (!refused.empty()) {
        error = path + ": " + refused;
        return nullptr;
    }
    if (code != SQLITE_OK) {
        error = db->failure(code);
        return nullptr;
    }
    if (!read_only) {
        db->m_statements.reset(new STATEMENTS);
        code = db->m_statements->prepare(handle);
        if (code != SQLITE_OK) {
            error = db->failure(code);
            return nullptr;
        }
    }
    return db;
}

bool RDB_INDEX_DB::is_current(const std::string& file, std::int64_t size, std::int64_t mtime_ns, bool cells,
                              bool* good, std::size_t* warnings)
{
    sqlite3_stmt* find = m_statements ? m_statements->m_find : nullptr;
    if (!find)
        return false;
    sqlite3_reset(find);
    sqlite3_bind_text(find, 1, file.c_str(), static_cast<int>(file.size()), SQLITE_TRANSIENT);
    bool current = false;
    if (sqlite3_step(find) == SQLITE_ROW) {
        bool failed = std::string(reinterpret_cast<const char*>(sqlite3_column_text(find, 3))) != "good";
        current = sqlite3_column_int64(find, 0) == size && sqlite3_column_int64(find, 1) == mtime_ns &&
                  (!cells || failed || sqlite3_column_int64(find, 2) != 0);
        if (good)
            *good = !failed;
        if (warnings)
            *warnings = static_cast<std::size_t>(sqlite3_column_int64(find, 4));
    }
    sqlite3_reset(find);
    return current;
}

long RDB_INDEX_DB::prune(std::string& error)
{
    int code = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) {
        error = failure(code);
        return -1;
    }
    std::vector<std::int64_t> gone;
    sqlite3_stmt* all = nullptr;
    code = sqlite3_prepare_v2(m_db, "SELECT id, file FROM runs", -1, &all, nullptr);
    while (code == SQLITE_OK && (code = sqlite3_step(all)) == SQLITE_ROW) {
        struct stat status;
        const char* file = reinterpret_cast<const char*>(sqlite3_column_text(all, 1));
        if (stat(file, &status) != 0 && (errno == ENOENT || errno == ENOTDIR))
            gone.push_back(sqlite3_column_int64(all, 0));
        code = SQLITE_OK;
    }
    sqlite3_finalize(all);
    if (code == SQLITE_DONE)
        code = SQLITE_OK;
    sqlite3_stmt* drop = nullptr;
    if (code == SQLITE_OK)
        code = sqlite3_prepare_v2(m_db, "DELETE FROM runs WHERE id = ?", -1, &drop, nullptr);
    for (std::size_t i = 0; code == SQLITE_OK && i < gone.size(); ++i) {
        sqlite3_bind_int64(drop, 1, gone[i]);
        code = sqlite3_step(drop);
        code = code == SQLITE_DONE ? SQLITE_OK : code;
        sqlite3_reset(drop);
    }
    sqlite3_finalize(drop);
    if (code == SQLITE_OK)
        code = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) {
        error = failure(code);
        if (sqlite3_get_autocommit(m_db) == 0)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return -1;
    }
    return static_cast<long>(gone.size());
}
