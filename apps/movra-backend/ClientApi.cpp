// Request checks and the catalogue handlers of the emulated client API.
#include "movra-backend/ClientApi.h"

#include "Foundation/Strings.h"

#include <httplib.h>

namespace movra::backend {

ClientApi::ClientApi(std::function<Tenant()> currentTenant, const Catalogue& catalogue, const AccountStore& accounts)
    : currentTenant_(std::move(currentTenant)), catalogue_(catalogue), accounts_(accounts) {}

ErrorDocument ClientApi::badRequest(std::string problem) {
    return {kBadRequestCode, "The request could not be handled. Please update the app and try again.",
            std::move(problem)};
}

std::optional<ErrorDocument> ClientApi::checkHeaders(const httplib::Request& request) {
    if (request.get_header_value("X-Stravo-DeviceId").empty()) return badRequest("Missing header X-Stravo-DeviceId");

    const std::string version = request.get_header_value("X-Client-Version");
    if (version.empty()) return badRequest("Missing header X-Client-Version");
    static const std::regex kVersionPattern(R"(\d+(\.\d+)+)");
    if (!std::regex_match(version, kVersionPattern)) {
        return badRequest("Malformed header X-Client-Version \"" + version + "\", expected numbers joined by dots");
    }

    if (!request.has_header("X-Client-Name")) return badRequest("Missing header X-Client-Name");
    const std::string clientName = request.get_header_value("X-Client-Name");
    if (clientName != "iOS") return badRequest("Unsupported X-Client-Name \"" + clientName + "\", expected \"iOS\"");
    return std::nullopt;
}

std::optional<ErrorDocument> ClientApi::checkToken(const httplib::Request& request, Access access,
                                                   std::optional<Account>* account) const {
    if (access == Access::Open) return std::nullopt;
    auto refuse = [](std::string problem) {
        return ErrorDocument{ErrorDocument::codeForStatus(401), "Your session has ended. Please sign in again.",
                             std::move(problem)};
    };
    const std::string token = request.get_header_value(kDeviceTokenHeader);
    if (token.empty()) {
        if (access == Access::Required) return refuse(std::string("Missing header ") + kDeviceTokenHeader);
        return std::nullopt;
    }
    std::string problem;
    *account = accounts_.accountForToken(token, request.get_header_value("X-Stravo-DeviceId"), &problem);
    if (!*account && access != Access::Reported) return refuse(problem);
    return std::nullopt;
}

std::optional<ErrorDocument> ClientApi::checkLanguage(const httplib::Request& request, const Tenant& tenant) {
    if (!request.has_param("language")) return badRequest("Missing query parameter language");
    const std::string language = request.get_param_value("language");
    if (language.size() <= tenant.languageSuffix().size() || !endsWith(language, tenant.languageSuffix())) {
        return badRequest("Query parameter language \"" + language + "\" lacks a language code with the suffix " +
                          tenant.languageSuffix() + " of tenant " + tenant.name());
    }
    return std::nullopt;
}

std::optional<Account> ClientApi::deviceAccount(const httplib::Request& request, std::string* problem) const {
    const std::string deviceId = request.get_header_value("X-Stravo-DeviceId");
    const std::string token = request.get_header_value(kDeviceTokenHeader);
    if (deviceId.empty() || token.empty()) {
        *problem = std::string("Missing header ") + (deviceId.empty() ? "X-Stravo-DeviceId" : kDeviceTokenHeader);
        return std::nullopt;
    }
    return accounts_.accountForToken(token, deviceId, problem);
}

void ClientApi::add(Router& router, std::string method, const std::string& relativePattern, Access access,
                    Handler handler) {
    addAbsolute(router, std::move(method), kClientPath + relativePattern, access, std::move(handler));
}

void ClientApi::addAbsolute(Router& router, std::string method, const std::string& pattern, Access access,
                            Handler handler) {
    router.add(std::move(method), pattern, Router::Face::ClientApi,
               [this, access, handler = std::move(handler)](const httplib::Request& request,
                                                            httplib::Response& response, const std::smatch& match) {
                   if (auto refusal = checkHeaders(request)) return refusal->respond(response, 400);
                   std::optional<Account> account;
                   if (auto refusal = checkToken(request, access, &account)) return refusal->respond(response, 401);
                   const Tenant tenant = currentTenant_();
                   if (auto refusal = checkLanguage(request, tenant)) return refusal->respond(response, 400);

                   std::string language = request.get_param_value("language");
                   language.resize(language.size() - tenant.languageSuffix().size());
                   Call call{request, response, match, std::move(language), std::move(account)};
                   handler(call);
               });
}

void ClientApi::addRoutes(Router& router) {
    add(router, "GET",
        std::string("ios/(browse(?:/.+)?|") + Catalogue::kSearchPath + "|" + Catalogue::kSuggestionsPath + ")",
        Access::Optional, [this](Call& call) { browse(call); });
}

void ClientApi::browse(Call& call) const {
    const std::string path = call.match[1].str();
    std::string problem;
    auto query = FeedQuery::parse(call.request.params, &problem);
    if (!query) return badRequest(problem).respond(call.response, 400);
    // Links point back at the host the client reached.
    const std::string host = call.request.get_header_value("Host");
    std::optional<SubscriberLists> lists;
    if (call.account) lists = accounts_.lists(*call.account);
    auto channel = catalogue_.channel(path, call.language, *query, "https://" + (host.empty() ? "localhost" : host),
                                      lists ? &*lists : nullptr);
    if (!channel) {
        return ErrorDocument{ErrorDocument::codeForStatus(404), "The requested content could not be found.",
                             "No channel at " + path}
            .respond(call.response, 404);
    }
    call.response.set_content(channel->toXml(), "application/rss+xml");
}

}  // namespace movra::backend
