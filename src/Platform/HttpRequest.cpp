#include "Platform/HttpRequest.h"

#include "Foundation/Strings.h"

namespace movra {

void HttpRequest::setHeader(std::string_view name, std::string value) {
    for (auto& [n, v] : headers) {
        if (toLower(n) == toLower(name)) {
            v = std::move(value);
            return;
        }
    }
    headers.emplace_back(std::string(name), std::move(value));
}

std::optional<std::string> HttpRequest::header(std::string_view name) const {
    for (const auto& [n, v] : headers)
        if (toLower(n) == toLower(name)) return v;
    return std::nullopt;
}

}  // namespace movra
