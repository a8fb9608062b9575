// Route table lookups.
#include "movra-backend/Router.h"

namespace movra::backend {

void Router::add(std::string method, const std::string& pattern, Face face, Handler handler) {
    routes_.push_back({std::move(method), std::regex(pattern), face, std::move(handler)});
}

const Router::Route* Router::match(const std::string& method, const std::string& path, std::smatch& match) const {
    for (const Route& route : routes_) {
        const bool sameMethod = route.method == method || (method == "HEAD" && route.method == "GET");
        if (sameMethod && std::regex_match(path, match, route.pattern)) return &route;
    }
    return nullptr;
}

}  // namespace movra::backend
