// HttpRequest: what a transport sends. Headers keep their order; names compare case-insensitively.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movra {

struct HttpRequest {
    std::string method = "GET";
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    double timeoutSeconds = 60.0;

    /// Replaces the value of an existing header (any case) in place, else appends it.
    void setHeader(std::string_view name, std::string value);
    std::optional<std::string> header(std::string_view name) const;
};

}  // namespace movra
