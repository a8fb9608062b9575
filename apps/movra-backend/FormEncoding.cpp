// Form decoding on top of httplib's URL decoding.
#include "movra-backend/FormEncoding.h"

#include "Foundation/Strings.h"

#include <httplib.h>

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

}  // namespace movra::backend
