// Small string helpers shared by every layer.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra {

std::string toLower(std::string_view s);
std::string toUpper(std::string_view s);
bool startsWith(std::string_view s, std::string_view prefix);
bool endsWith(std::string_view s, std::string_view suffix);
/// Case-insensitive (ASCII) substring test; an empty needle is never contained.
bool containsStringCaseInsensitive(std::string_view haystack, std::string_view needle);
std::string replaceAll(std::string s, std::string_view from, std::string_view to);
/// Removes every character of `chars` from both ends.
std::string trim(std::string_view s, std::string_view chars = " \t\r\n");
std::vector<std::string> split(std::string_view s, std::string_view separator);
std::string join(const std::vector<std::string>& parts, std::string_view separator);
/// Leading integer value as the platform's integerValue reads it: optional sign, digits, else 0.
long long integerValue(std::string_view s);
/// Escapes &, <, >, " and ' for XML text and attribute values.
std::string xmlEscape(std::string_view s);

}  // namespace movra
