// StorePredicate: a condition on stored items, as SQL for the store and as a test of an item in memory that
// gives the same answer.
//
// sql() is a boolean expression over the Item table's columns (named as the attributes) with '?'
// placeholders; bind arguments() to them in order. Text tests use SQLite's LIKE, which folds case for
// ASCII letters only ("Ä" and "ä" differ) and never folds diacritics; evaluate() matches that exactly, so
// the object store's CONTAINS[cd] is served without its 'd'. The store must leave PRAGMA
// case_sensitive_like off.
//
// Thread contract: a value; any thread.
#pragma once

#include "Foundation/Json.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace movra {

class MVItem;

class StorePredicate {
  public:
    /// `column` contains `text`, ASCII case ignored (CONTAINS[cd]). A missing value or an empty text
    /// never matches.
    static StorePredicate containsCaseInsensitive(const std::string& column, std::string_view text);
    /// `column` begins with `text`, ASCII case ignored (BEGINSWITH[c]). A missing value or an empty text
    /// never matches.
    static StorePredicate beginsWithCaseInsensitive(const std::string& column, std::string_view text);
    /// `column` equals one of `values` exactly (IN). A missing value never matches; no values match nothing.
    static StorePredicate inList(const std::string& column, const std::vector<std::string>& values);
    /// All hold; true for none.
    static StorePredicate andPredicate(const std::vector<StorePredicate>& subpredicates);
    /// One holds; false for none.
    static StorePredicate orPredicate(const std::vector<StorePredicate>& subpredicates);
    static StorePredicate notPredicate(const StorePredicate& predicate);

    const std::string& sql() const { return sql_; }
    const std::vector<std::string>& arguments() const { return arguments_; }
    /// The answer the store's query gives for `item`.
    bool evaluate(const MVItem& item) const;

  private:
    using Test = std::function<bool(const Json& attributeValues)>;
    StorePredicate(std::string sql, std::vector<std::string> arguments, Test test);
    static StorePredicate like(const std::string& column, std::string_view text, bool anywhere);
    static StorePredicate compound(const std::vector<StorePredicate>& subpredicates, bool all);

    std::string sql_;
    std::vector<std::string> arguments_;
    Test test_;
};

}  // namespace movra
