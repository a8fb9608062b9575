// Dynamic values: dictionaries from XML, JSON and the client's own dictionaries are ordered JSON.
// JSON null stands for the null marker; a missing key is "absent".
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace movra {

using Json = nlohmann::ordered_json;

/// The emptiness test used everywhere: null, a zero-length string or an empty collection.
bool isEmpty(const Json& value);
/// Same test for a dictionary entry, where a missing key (or a dictionary that is not an object) is empty.
bool isEmpty(const Json& dictionary, std::string_view key);
bool isEmpty(const std::optional<std::string>& value);

/// The string under `key`, or nullopt when absent or not a string.
std::optional<std::string> stringValue(const Json& dictionary, std::string_view key);

/// Adds `key` to `object` (a JSON object) without the keyed insert's search for an existing member, which
/// makes building a dictionary of n keys quadratic. The caller knows `key` is not there yet.
void appendNewMember(Json& object, std::string key, Json value);

/// The same text as `value.dump()`, written faster: plain ASCII strings are copied in runs instead of
/// byte by byte through a UTF-8 decoder. Archived sub-records are mostly URLs, names and numbers.
std::string compactText(const Json& value);

}  // namespace movra
