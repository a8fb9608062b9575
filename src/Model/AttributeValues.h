// Readings of dynamic values as attribute values, shared by the feed import, the store's raw access and
// the cast dictionaries.
#pragma once

#include "Foundation/Json.h"
#include "Model/EntityAttribute.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace movra {

/// The floating-point reading of text: leading white space, an optional sign, then decimal digits with an
/// optional fraction and exponent. Text that does not begin so, or is out of range, reads as 0.
double floatingValue(std::string_view text);
/// The 32-bit integer of a number: truncated toward zero and clamped to the range; NaN gives 0.
std::int32_t int32Value(double number);
/// A number as it is, a boolean as 1 or 0, a string through its floating-point reading; else nullopt.
std::optional<double> numberFromValue(const Json& value);
/// Seconds since 1970 of a feed date, pattern "yyyy-MM-dd'T'HH:mm:ssz" read in UTC. The zone is "Z",
/// "UTC" or "GMT", optionally followed by an offset ("GMT+2", "UTC+01:00"), or an offset alone ("+0100").
/// nullopt for anything else.
std::optional<double> dateFromString(std::string_view text);
/// A date value: a number as seconds since 1970, a string through dateFromString; else nullopt.
std::optional<double> dateFromValue(const Json& value);
/// A string as it is, a number as its decimal text, and for data also an array or object as JSON text;
/// else nullopt.
std::optional<std::string> textFromValue(const Json& value, EntityAttribute::Kind kind);

}  // namespace movra
