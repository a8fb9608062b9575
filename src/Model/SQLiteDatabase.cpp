#include "Model/SQLiteDatabase.h"

#include <sqlite3.h>

namespace movra {

namespace {
constexpr const char* kDomain = "SQLite";
}

std::unique_ptr<SQLiteDatabase> SQLiteDatabase::open(const std::string& path, Mode mode, ErrorPtr* error) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_NOMUTEX |
                      (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    const int status = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (status != SQLITE_OK) {
        if (error)
            *error =
                makeError(kDomain, status, "Cannot open " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
        sqlite3_close_v2(db);
        return nullptr;
    }
    // Another connection's write lock is waited for rather than failing at once.
    sqlite3_busy_timeout(db, 10'000);
    sqlite3_extended_result_codes(db, 1);
    return std::unique_ptr<SQLiteDatabase>(new SQLiteDatabase(db));
}

SQLiteDatabase::~SQLiteDatabase() {
    statements_.clear();
    sqlite3_close_v2(db_);
}

ErrorPtr SQLiteDatabase::exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        auto error = makeError(kDomain, sqlite3_extended_errcode(db_), message ? message : sqlite3_errmsg(db_), sql);
        sqlite3_free(message);
        return error;
    }
    return nullptr;
}

SQLiteStatement* SQLiteDatabase::prepare(const std::string& sql, ErrorPtr* error) {
    if (auto it = statements_.find(sql); it != statements_.end()) {
        it->second.reset();
        return &it->second;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &statement,
                           nullptr) != SQLITE_OK) {
        if (error) *error = makeError(kDomain, sqlite3_extended_errcode(db_), sqlite3_errmsg(db_), sql);
        sqlite3_finalize(statement);
        return nullptr;
    }
    return &statements_.emplace(sql, SQLiteStatement(statement)).first->second;
}

ErrorPtr SQLiteDatabase::transaction(const std::function<ErrorPtr()>& body) {
    if (auto error = exec("BEGIN IMMEDIATE")) return error;
    ErrorPtr error = body();
    if (!error) error = exec("COMMIT");
    // A failed COMMIT may leave the transaction open; rolling back is what keeps the file whole.
    if (error) exec("ROLLBACK");
    return error;
}

void SQLiteDatabase::deferCheckpoints() {
    // A hook of our own replaces the automatic checkpoint, which would otherwise run inside COMMIT.
    sqlite3_wal_hook(
        db_,
        [](void* self, sqlite3*, const char*, int pages) {
            static_cast<SQLiteDatabase*>(self)->logPages_ = pages;
            return SQLITE_OK;
        },
        this);
}

void SQLiteDatabase::checkpointIfDue() {
    constexpr int kCheckpointPages = 1000;
    if (logPages_ < kCheckpointPages) return;
    logPages_ = 0;
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

int SQLiteDatabase::userVersion() {
    ErrorPtr error;
    auto* statement = prepare("PRAGMA user_version", &error);
    if (!statement || statement->step() != SQLiteStatement::Step::Row) return 0;
    const int version = static_cast<int>(statement->columnInt64(0));
    statement->reset();
    return version;
}

ErrorPtr SQLiteDatabase::setUserVersion(int version) {
    return exec("PRAGMA user_version = " + std::to_string(version));
}

long long SQLiteDatabase::changes() const { return sqlite3_changes64(db_); }

ErrorPtr SQLiteDatabase::lastError() const {
    return makeError(kDomain, sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
}

}  // namespace movra
