#include "App/MVDiscriminatorClient.h"

#include "Foundation/Url.h"
#include "Platform/Platform.h"

namespace movra {

namespace {

/// The JSON response serializer's rules: status 200-299 and a JSON content type are acceptable; JSON is
/// still decoded from a bad status (error answers carry an "errorCode").
Json decodeJSON(const HttpResponse& response, const std::string& body, ErrorPtr& error) {
    const auto type = response.mimeType();
    const bool typeOK = type == "application/json" || type == "text/json" || type == "text/javascript";
    if (response.statusCode < 200 || response.statusCode > 299) {
        error = makeError(kResponseSerializationErrorDomain, kURLErrorBadServerResponse,
                          "Request failed: status " + std::to_string(response.statusCode), {},
                          Json{{kErrorHTTPStatusCodeKey, response.statusCode}});
    }
    if (!typeOK) {
        error = makeError(kResponseSerializationErrorDomain, kURLErrorCannotDecodeContentData,
                          "Request failed: unacceptable content-type: " + (type.empty() ? "none" : type), {},
                          Json{{kErrorHTTPStatusCodeKey, response.statusCode}});
        return nullptr;
    }
    if (body.find_first_not_of(" \t\r\n") == std::string::npos) return nullptr;
    auto json = Json::parse(body, nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded()) {
        if (!error)
            error = makeError(kResponseSerializationErrorDomain, kURLErrorCannotDecodeContentData,
                              "The data couldn't be read because it isn't in the correct format.",
                              "Invalid JSON in the discriminator answer");
        return nullptr;
    }
    return json;
}

}  // namespace

MVDiscriminatorClient::MVDiscriminatorClient()
    : MVDiscriminatorClient(Platform::current().configuration().discriminatorHost) {}

MVDiscriminatorClient::MVDiscriminatorClient(const std::string& host)
    : baseURL_("https://" + host), session_(Platform::current().makeTransport()) {}

MVDiscriminatorClient::~MVDiscriminatorClient() {
    if (session_) session_->invalidateAndCancel();
}

HttpTaskPtr MVDiscriminatorClient::commonRequestWithMethod(const std::string& method, const std::string& path,
                                                           const Json& parameters,
                                                           std::function<void(ErrorPtr, Json, int)> completion) {
    HttpRequest request;
    request.method = method;
    request.url = baseURL_ + path;
    if (auto query = queryStringFromParameters(parameters); !query.empty()) request.url += "?" + query;
    request.timeoutSeconds = requestTimeoutInterval_;
    request.setHeader("Accept", "application/json");
    return session_->dataTask(
        std::move(request), [completion](const HttpTaskPtr&, std::shared_ptr<const HttpResponse> response,
                                         std::string body, ErrorPtr error) {
            Json json;
            int status = response ? response->statusCode : 0;
            if (!error && response) json = decodeJSON(*response, body, error);
            Platform::current().mainQueue().post([completion, error, json = std::move(json), status] {
                if (completion) completion(error, json, status);
            });
        });
}

HttpTaskPtr MVDiscriminatorClient::getTenantDiscriminatorWithCompletion(Completion completion) {
    return commonRequestWithMethod("GET", "/Movra", Json::object(),
                                   [completion](ErrorPtr error, Json json, int status) {
                                       const auto errorCode = stringValue(json, "errorCode");
                                       const bool hasErrorCode = json.is_object() && json.contains("errorCode");
                                       ErrorPtr mapped;
                                       if (errorCode == "ST1005")
                                           mapped = makeError(kMovraErrorDomain, kErrorGeoBlocked);
                                       else if (error && status == 403)
                                           mapped = makeError(kMovraErrorDomain, kErrorGeoBlocked);
                                       else if (errorCode == "ST1009")
                                           mapped = makeError(kMovraErrorDomain, kErrorMaintenance);
                                       else if (!hasErrorCode)
                                           mapped = error;
                                       else
                                           mapped = makeError(kMovraErrorDomain, kErrorUnexpectedAnswer);
                                       if (completion) completion(mapped, json);
                                   });
}

}  // namespace movra
