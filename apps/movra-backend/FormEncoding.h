// FormEncoding: reads text in the "application/x-www-form-urlencoded" form: query strings and the hits
// of the analytics protocol, and the numbers their values carry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movra::backend {

class FormEncoding {
  public:
    using Pairs = std::vector<std::pair<std::string, std::string>>;

    /// "k1=v1&k2=v2" as pairs in their order, %XX-decoded with "+" read as a space. A part without "="
    /// is a key with an empty value; empty parts are skipped.
    static Pairs decode(std::string_view text);
    /// A value that is a whole decimal number: an optional "-" and digits only. Numbers beyond the range
    /// of long long saturate, so that callers clamp them like any other large value; nullopt otherwise.
    static std::optional<long long> decimal(std::string_view value);
};

}  // namespace movra::backend
