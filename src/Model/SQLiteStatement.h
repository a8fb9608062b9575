// SQLiteStatement: one prepared statement of an SQLiteDatabase. Parameters are bound by 1-based index,
// columns are read by 0-based index, as SQLite counts them.
//
// Thread contract: used on the thread of the connection that prepared it.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace movra {

class SQLiteStatement {
  public:
    enum class Step { Row, Done, Error };

    explicit SQLiteStatement(sqlite3_stmt* statement) : statement_(statement) {}
    ~SQLiteStatement();
    SQLiteStatement(SQLiteStatement&& other) noexcept;
    SQLiteStatement& operator=(SQLiteStatement&& other) noexcept;
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;

    /// Rewinds the statement and clears its bindings, so that a cached statement starts afresh.
    void reset();
    /// JSON null binds NULL, strings text, booleans 0/1, integers and floats as numbers; other values
    /// (arrays, objects) bind their JSON text.
    void bind(int index, const Json& value);
    void bindText(int index, std::string_view text);
    void bindInt64(int index, std::int64_t value);
    void bindDouble(int index, double value);
    void bindNull(int index);

    Step step();
    /// Steps until the statement is done; the error of the first failing step, else nullptr.
    ErrorPtr run();

    int columnCount() const;
    bool isNull(int column) const;
    std::optional<std::string> columnText(int column) const;
    std::int64_t columnInt64(int column) const;
    double columnDouble(int column) const;
    /// The column as JSON: null, integer, float or string.
    Json columnValue(int column) const;

  private:
    sqlite3_stmt* statement_ = nullptr;
};

}  // namespace movra
