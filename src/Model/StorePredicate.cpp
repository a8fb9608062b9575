// StorePredicate: SQL conditions on stored items and their in-memory evaluation.
#include "Model/StorePredicate.h"

#include "Foundation/Strings.h"
#include "Model/MVItem.h"

#include <algorithm>

namespace movra {

namespace {

// LIKE gives '%' and '_' a meaning; a searched text must match them literally.
std::string escapedForLike(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\' || c == '%' || c == '_') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

StorePredicate::StorePredicate(std::string sql, std::vector<std::string> arguments, Test test)
    : sql_(std::move(sql)), arguments_(std::move(arguments)), test_(std::move(test)) {}

StorePredicate StorePredicate::containsCaseInsensitive(const std::string& column, std::string_view text) {
    return like(column, text, /*anywhere=*/true);
}

StorePredicate StorePredicate::beginsWithCaseInsensitive(const std::string& column, std::string_view text) {
    return like(column, text, /*anywhere=*/false);
}

StorePredicate StorePredicate::like(const std::string& column, std::string_view text, bool anywhere) {
    // An empty pattern would match every row, unlike the object store's tests.
    if (text.empty()) return StorePredicate("0", {}, [](const Json&) { return false; });
    // IFNULL keeps the answer two-valued: NOT of a missing value's test must hold, as in memory.
    std::string sql = "IFNULL(\"" + column + "\", '') LIKE ? ESCAPE '\\'";
    std::string pattern = (anywhere ? "%" : "") + escapedForLike(text) + "%";
    return StorePredicate(
        std::move(sql), {std::move(pattern)}, [column, needle = toLower(text), anywhere](const Json& values) {
            auto value = stringValue(values, column);
            if (!value) return false;
            auto haystack = toLower(*value);
            return anywhere ? haystack.find(needle) != std::string::npos : startsWith(haystack, needle);
        });
}

StorePredicate StorePredicate::inList(const std::string& column, const std::vector<std::string>& values) {
    if (values.empty()) return StorePredicate("0", {}, [](const Json&) { return false; });
    std::vector<std::string> placeholders(values.size(), "?");
    // IFNULL keeps the answer two-valued for a missing value, as in memory. The column is the item's: the
    // listing channel, joined in, has columns of the same names.
    return StorePredicate("IFNULL(Item.\"" + column + "\" IN (" + join(placeholders, ", ") + "), 0)", values,
                          [column, values](const Json& attributeValues) {
                              auto value = stringValue(attributeValues, column);
                              return value && std::find(values.begin(), values.end(), *value) != values.end();
                          });
}

StorePredicate StorePredicate::andPredicate(const std::vector<StorePredicate>& subpredicates) {
    return compound(subpredicates, /*all=*/true);
}

StorePredicate StorePredicate::orPredicate(const std::vector<StorePredicate>& subpredicates) {
    return compound(subpredicates, /*all=*/false);
}

StorePredicate StorePredicate::compound(const std::vector<StorePredicate>& subpredicates, bool all) {
    if (subpredicates.empty()) return StorePredicate(all ? "1" : "0", {}, [all](const Json&) { return all; });
    std::vector<std::string> parts;
    std::vector<std::string> arguments;
    std::vector<Test> tests;
    for (const auto& predicate : subpredicates) {
        parts.push_back("(" + predicate.sql_ + ")");
        arguments.insert(arguments.end(), predicate.arguments_.begin(), predicate.arguments_.end());
        tests.push_back(predicate.test_);
    }
    return StorePredicate(join(parts, all ? " AND " : " OR "), std::move(arguments),
                          [tests = std::move(tests), all](const Json& values) {
                              auto holds = [&](const Test& test) { return test(values); };
                              return all ? std::all_of(tests.begin(), tests.end(), holds)
                                         : std::any_of(tests.begin(), tests.end(), holds);
                          });
}

StorePredicate StorePredicate::notPredicate(const StorePredicate& predicate) {
    return StorePredicate("NOT (" + predicate.sql_ + ")", predicate.arguments_,
                          [test = predicate.test_](const Json& values) { return !test(values); });
}

bool StorePredicate::evaluate(const MVItem& item) const { return test_(item.attributeValues()); }

}  // namespace movra
