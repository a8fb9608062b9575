// Readings of dynamic values as attribute values.
#include "Model/AttributeValues.h"

#include "Foundation/Strings.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>

namespace movra {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Exactly `count` digits at `pos`, which moves past them.
std::optional<int> digits(std::string_view text, std::size_t& pos, std::size_t count) {
    if (pos + count > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!isDigit(text[pos + i])) return std::nullopt;
        value = value * 10 + (text[pos + i] - '0');
    }
    pos += count;
    return value;
}

bool skip(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

// Seconds east of UTC of a zone designator ("Z", "UTC", "GMT+2", "GMT+02:00", "+0100"), or nullopt.
std::optional<int> zoneOffset(std::string_view zone) {
    if (zone == "Z") return 0;
    if (startsWith(zone, "UTC") || startsWith(zone, "GMT")) {
        zone.remove_prefix(3);
        if (zone.empty()) return 0;
    }
    if (zone.size() < 2 || (zone[0] != '+' && zone[0] != '-')) return std::nullopt;
    const int sign = zone[0] == '-' ? -1 : 1;
    zone.remove_prefix(1);
    std::size_t pos = 0, run = 0;
    while (run < zone.size() && isDigit(zone[run])) ++run;
    std::optional<int> hours, minutes = 0;
    if (run == 4) {
        hours = digits(zone, pos, 2);
        minutes = digits(zone, pos, 2);
    } else if (run == 1 || run == 2) {
        hours = digits(zone, pos, run);
        if (skip(zone, pos, ':')) minutes = digits(zone, pos, 2);
    }
    if (!hours || !minutes || pos != zone.size() || *hours > 23 || *minutes > 59) return std::nullopt;
    return sign * (*hours * 3600 + *minutes * 60);
}

}  // namespace

double floatingValue(std::string_view text) {
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) return 0;
    text.remove_prefix(begin);
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // from_chars alone would also read "inf" and "nan", which are not numbers here.
    if (text.empty() || !(isDigit(text[0]) || text[0] == '.')) return 0;
    double value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc()) return 0;
    return negative ? -value : value;
}

std::int32_t int32Value(double number) {
    if (std::isnan(number)) return 0;
    if (number >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (number <= std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(number);
}

std::optional<double> numberFromValue(const Json& value) {
    if (value.is_number()) return value.get<double>();
    if (value.is_boolean()) return value.get<bool>() ? 1 : 0;
    if (value.is_string()) return floatingValue(value.get_ref<const std::string&>());
    return std::nullopt;
}

std::optional<double> dateFromString(std::string_view text) {
    std::size_t pos = 0;
    auto year = digits(text, pos, 4);
    auto month = skip(text, pos, '-') ? digits(text, pos, 2) : std::nullopt;
    auto day = skip(text, pos, '-') ? digits(text, pos, 2) : std::nullopt;
    auto hour = skip(text, pos, 'T') ? digits(text, pos, 2) : std::nullopt;
    auto minute = skip(text, pos, ':') ? digits(text, pos, 2) : std::nullopt;
    auto second = skip(text, pos, ':') ? digits(text, pos, 2) : std::nullopt;
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    // Plain ints from here: GCC's optimiser loses track of the checks above on the optionals.
    const int h = hour.value_or(0), m = minute.value_or(0), s = second.value_or(0);
    if (h > 23 || m > 59 || s > 59) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{*year}, std::chrono::month(static_cast<unsigned>(*month)),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) return std::nullopt;
    auto offset = zoneOffset(text.substr(pos));
    if (!offset) return std::nullopt;
    const auto days = std::chrono::sys_days(date).time_since_epoch().count();
    return static_cast<double>(days) * 86400 + h * 3600 + m * 60 + s - *offset;
}

std::optional<double> dateFromValue(const Json& value) {
    if (value.is_number()) return value.get<double>();
    if (value.is_string()) return dateFromString(value.get_ref<const std::string&>());
    return std::nullopt;
}

std::optional<std::string> textFromValue(const Json& value, EntityAttribute::Kind kind) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number()) return value.dump();
    if (kind == EntityAttribute::Kind::Data && (value.is_array() || value.is_object())) return value.dump();
    return std::nullopt;
}

}  // namespace movra
