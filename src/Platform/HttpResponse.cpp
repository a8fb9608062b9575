#include "Platform/HttpResponse.h"

#include "Foundation/Strings.h"

namespace movra {

std::optional<std::string> HttpResponse::header(std::string_view name) const {
    for (const auto& [n, v] : headers)
        if (toLower(n) == toLower(name)) return v;
    return std::nullopt;
}

std::string HttpResponse::mimeType() const {
    auto type = header("Content-Type");
    if (!type) return {};
    return toLower(trim(type->substr(0, type->find(';'))));
}

}  // namespace movra
