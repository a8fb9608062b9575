// HttpResponse: status line and headers of an answer (the body travels beside it).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movra {

struct HttpResponse {
    int statusCode = 0;
    /// The URL that answered.
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;

    std::optional<std::string> header(std::string_view name) const;
    /// Content type without parameters, lower-case ("text/xml"); empty when absent.
    std::string mimeType() const;
};

}  // namespace movra
