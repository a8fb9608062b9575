// Request checks and handlers of the emulated client API.
#include "movra-backend/ClientApi.h"

#include "Foundation/Strings.h"

#include <httplib.h>

namespace movra::backend {

ClientApi::ClientApi(std::function<Tenant()> currentTenant, const Catalogue& catalogue)
    : currentTenant_(std::move(currentTenant)), catalogue_(catalogue) {}

std::optional<ErrorDocument> ClientApi::checkRequest(const httplib::Request& request, const Tenant& tenant) {
    auto refuse = [](std::string problem) {
        return ErrorDocument{kBadRequestCode, "The request could not be handled. Please update the app and try again.",
                             std::move(problem)};
    };
    if (request.get_header_value("X-Stravo-DeviceId").empty()) return refuse("Missing header X-Stravo-DeviceId");

    const std::string version = request.get_header_value("X-Client-Version");
    if (version.empty()) return refuse("Missing header X-Client-Version");
    static const std::regex kVersionPattern(R"(\d+(\.\d+)+)");
    if (!std::regex_match(version, kVersionPattern)) {
        return refuse("Malformed header X-Client-Version \"" + version + "\", expected numbers joined by dots");
    }

    if (!request.has_header("X-Client-Name")) return refuse("Missing header X-Client-Name");
    const std::string clientName = request.get_header_value("X-Client-Name");
    if (clientName != "iOS") return refuse("Unsupported X-Client-Name \"" + clientName + "\", expected \"iOS\"");

    if (!request.has_param("language")) return refuse("Missing query parameter language");
    const std::string language = request.get_param_value("language");
    if (language.size() <= tenant.languageSuffix().size() || !endsWith(language, tenant.languageSuffix())) {
        return refuse("Query parameter language \"" + language + "\" lacks a language code with the suffix " +
                      tenant.languageSuffix() + " of tenant " + tenant.name());
    }
    return std::nullopt;
}

void ClientApi::add(Router& router, std::string method, const std::string& relativePattern, Handler handler) {
    router.add(std::move(method), kPathPrefix + relativePattern, Router::Face::ClientApi,
               [this, handler = std::move(handler)](const httplib::Request& request, httplib::Response& response,
                                                    const std::smatch& match) {
                   const Tenant tenant = currentTenant_();
                   if (auto refusal = checkRequest(request, tenant)) return refusal->respond(response, 400);
                   std::string language = request.get_param_value("language");
                   language.resize(language.size() - tenant.languageSuffix().size());
                   handler(request, response, match, language);
               });
}

void ClientApi::addRoutes(Router& router) {
    add(router, "GET", "(browse(?:/.+)?)",
        [this](const httplib::Request&, httplib::Response& response, const std::smatch& match,
               const std::string& language) { browse(response, match[1].str(), language); });
}

void ClientApi::browse(httplib::Response& response, const std::string& path, const std::string& language) const {
    auto channel = catalogue_.channel(path, language);
    if (!channel) {
        return ErrorDocument{ErrorDocument::codeForStatus(404), "The requested content could not be found.",
                             "No channel at " + path}
            .respond(response, 404);
    }
    response.set_content(channel->toXml(), "application/rss+xml");
}

}  // namespace movra::backend
