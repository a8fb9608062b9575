#include "Model/SQLiteStatement.h"

#include <sqlite3.h>

#include <utility>

namespace movra {

SQLiteStatement::~SQLiteStatement() { sqlite3_finalize(statement_); }

SQLiteStatement::SQLiteStatement(SQLiteStatement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)) {}

SQLiteStatement& SQLiteStatement::operator=(SQLiteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = std::exchange(other.statement_, nullptr);
    }
    return *this;
}

void SQLiteStatement::reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

void SQLiteStatement::bind(int index, const Json& value) {
    if (value.is_null())
        bindNull(index);
    else if (value.is_string())
        bindText(index, value.get_ref<const std::string&>());
    else if (value.is_boolean())
        bindInt64(index, value.get<bool>() ? 1 : 0);
    else if (value.is_number_integer())
        bindInt64(index, value.get<std::int64_t>());
    else if (value.is_number())
        bindDouble(index, value.get<double>());
    else
        bindText(index, value.dump());
}

void SQLiteStatement::bindText(int index, std::string_view text) {
    sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SQLiteStatement::bindInt64(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }

void SQLiteStatement::bindDouble(int index, double value) { sqlite3_bind_double(statement_, index, value); }

void SQLiteStatement::bindNull(int index) { sqlite3_bind_null(statement_, index); }

SQLiteStatement::Step SQLiteStatement::step() {
    switch (sqlite3_step(statement_)) {
        case SQLITE_ROW:
            return Step::Row;
        case SQLITE_DONE:
            return Step::Done;
        default:
            return Step::Error;
    }
}

ErrorPtr SQLiteStatement::run() {
    for (;;) {
        switch (step()) {
            case Step::Row:
                continue;
            case Step::Done:
                return nullptr;
            case Step::Error: {
                sqlite3* db = sqlite3_db_handle(statement_);
                return makeError("SQLite", sqlite3_extended_errcode(db), sqlite3_errmsg(db));
            }
        }
    }
}

int SQLiteStatement::columnCount() const { return sqlite3_column_count(statement_); }

bool SQLiteStatement::isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

std::optional<std::string> SQLiteStatement::columnText(int column) const {
    if (isNull(column)) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::int64_t SQLiteStatement::columnInt64(int column) const { return sqlite3_column_int64(statement_, column); }

double SQLiteStatement::columnDouble(int column) const { return sqlite3_column_double(statement_, column); }

Json SQLiteStatement::columnValue(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
        case SQLITE_INTEGER:
            return columnInt64(column);
        case SQLITE_FLOAT:
            return columnDouble(column);
        case SQLITE_NULL:
            return nullptr;
        default:
            return *columnText(column);
    }
}

}  // namespace movra
