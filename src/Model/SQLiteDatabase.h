// SQLiteDatabase: one connection to an SQLite file, with its prepared statements cached by their text
// and transactions that either commit whole or leave nothing behind.
//
// Thread contract: one thread at a time uses a connection (the store gives each queue its own).
#pragma once

#include "Foundation/Error.h"
#include "Model/SQLiteStatement.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

struct sqlite3;

namespace movra {

class SQLiteDatabase {
  public:
    enum class Mode { ReadWrite, ReadOnly };

    /// Opens (creating in read-write mode) the file; nullptr with `*error` set when it cannot be opened.
    static std::unique_ptr<SQLiteDatabase> open(const std::string& path, Mode mode, ErrorPtr* error);
    /// Statements kept prepared, one per text.
    std::size_t preparedStatementCount() const { return statements_.size(); }
    ~SQLiteDatabase();
    SQLiteDatabase(const SQLiteDatabase&) = delete;
    SQLiteDatabase& operator=(const SQLiteDatabase&) = delete;

    /// Runs one or more statements without results.
    ErrorPtr exec(const std::string& sql);
    /// The cached statement for `sql`, reset and unbound; nullptr with `*error` when it does not compile.
    SQLiteStatement* prepare(const std::string& sql, ErrorPtr* error);
    /// Runs `body` inside BEGIN IMMEDIATE ... COMMIT; an error from `body` or the commit rolls back.
    ErrorPtr transaction(const std::function<ErrorPtr()>& body);
    int userVersion();
    ErrorPtr setUserVersion(int version);
    /// From now on a commit leaves the write-ahead log's checkpoint to checkpointIfDue(), so that it returns
    /// as soon as its data is safe; the checkpoint then runs when the caller has handed the result on.
    void deferCheckpoints();
    /// Copies the log back into the database (passively: readers are not waited for) once it has grown
    /// past SQLite's usual threshold of 1,000 pages.
    void checkpointIfDue();
    /// Rows changed by the last statement.
    long long changes() const;
    ErrorPtr lastError() const;

  private:
    explicit SQLiteDatabase(sqlite3* db) : db_(db) {}

    sqlite3* db_;
    int logPages_ = 0;
    std::map<std::string, SQLiteStatement, std::less<>> statements_;
};

}  // namespace movra
