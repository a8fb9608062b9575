// Form decoding on top of httplib's URL decoding.
#include "movra-backend/FormEncoding.h"

#include "Foundation/Strings.h"

#include <httplib.h>

#include <charconv>
#include <limits>

namespace movra::backend {

FormEncoding::Pairs FormEncoding::decode(std::string_view text) {
    Pairs pairs;
    for (const std::string& part : split(text, "&")) {
        if (part.empty()) continue;
        const auto equals = part.find('=');
        const std::string key = part.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : part.substr(equals + 1);
        pairs.emplace_back(httplib::detail::decode_url(key, true), httplib::detail::decode_url(value, true));
    }
    return pairs;
}

std::optional<long long> FormEncoding::decimal(std::string_view value) {
    const bool negative = startsWith(value, "-");
    const std::string_view digits = value.substr(negative ? 1 : 0);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    long long number = 0;
    if (std::from_chars(value.data(), value.data() + value.size(), number).ec == std::errc::result_out_of_range) {
        return negative ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    }
    return number;
}

}  // namespace movra::backend
