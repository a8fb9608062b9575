#include "Utilities/AFKissXMLResponseSerializer.h"

#include "Foundation/Localization.h"
#include "Foundation/Strings.h"

#include <map>

namespace movra {

namespace {

// The platform's wording for status codes, which ends up in "Request failed: %@ (%ld)".
std::string localizedStringForStatusCode(int code) {
    static const std::map<int, const char*> phrases{
        {100, "continue"},
        {101, "switching protocols"},
        {200, "no error"},
        {201, "created"},
        {202, "accepted"},
        {203, "non-authoritative information"},
        {204, "no content"},
        {205, "reset content"},
        {206, "partial content"},
        {300, "multiple choices"},
        {301, "moved permanently"},
        {302, "found"},
        {303, "see other"},
        {304, "not modified"},
        {305, "use proxy"},
        {307, "temporarily redirected"},
        {400, "bad request"},
        {401, "unauthorized"},
        {402, "payment required"},
        {403, "forbidden"},
        {404, "not found"},
        {405, "method not allowed"},
        {406, "unacceptable"},
        {407, "proxy authentication required"},
        {408, "request timed out"},
        {409, "conflict"},
        {410, "no longer exists"},
        {411, "length required"},
        {412, "precondition failed"},
        {413, "request too large"},
        {414, "requested URL too long"},
        {415, "unsupported media type"},
        {416, "requested range not satisfiable"},
        {417, "expectation failed"},
        {500, "internal server error"},
        {501, "unimplemented"},
        {502, "bad gateway"},
        {503, "service unavailable"},
        {504, "gateway timed out"},
        {505, "unsupported version"},
    };
    if (auto it = phrases.find(code); it != phrases.end()) return it->second;
    if (code >= 100 && code < 200) return "informational";
    if (code >= 200 && code < 300) return "success";
    if (code >= 300 && code < 400) return "redirected";
    if (code >= 400 && code < 500) return "client error";
    return "server error";
}

bool isBlank(std::string_view data) { return data.find_first_not_of(" \t\r\n") == std::string_view::npos; }

}  // namespace

std::shared_ptr<AFKissXMLResponseSerializer> AFKissXMLResponseSerializer::serializer() {
    return std::make_shared<AFKissXMLResponseSerializer>();
}

bool AFKissXMLResponseSerializer::validateResponse(const HttpResponse* response, std::string_view data,
                                                   ErrorPtr* error) const {
    if (!response) return true;
    ErrorPtr validationError;
    auto mimeType = response->mimeType();
    if (!data.empty() && !acceptableContentTypes_.contains(mimeType)) {
        validationError =
            makeError(kResponseSerializationErrorDomain, kURLErrorCannotDecodeContentData,
                      replaceAll(MVLocalizedString("Request failed: unacceptable content-type: %@"), "%@", mimeType),
                      {}, Json{{"NSErrorFailingURLKey", response->url}});
    }
    if (response->statusCode < 200 || response->statusCode > 299) {
        auto description = replaceAll(MVLocalizedString("Request failed: %@ (%ld)"), "%@",
                                      localizedStringForStatusCode(response->statusCode));
        description = replaceAll(std::move(description), "%ld", std::to_string(response->statusCode));
        Json userInfo{{kErrorHTTPStatusCodeKey, response->statusCode}, {"NSErrorFailingURLKey", response->url}};
        if (validationError)
            userInfo["NSUnderlyingError"] = {{"domain", validationError->domain},
                                             {"code", validationError->code},
                                             {"localizedDescription", validationError->localizedDescription}};
        validationError = makeError(kResponseSerializationErrorDomain, kURLErrorBadServerResponse,
                                    std::move(description), {}, std::move(userInfo));
    }
    if (error) *error = validationError;
    return !validationError;
}

XMLDocumentPtr AFKissXMLResponseSerializer::responseObjectForResponse(const HttpResponse* response,
                                                                      std::string_view data, ErrorPtr* error) const {
    ErrorPtr validationError;
    bool valid = validateResponse(response, data, &validationError);
    if (error) *error = validationError;
    bool badContentType = !valid && (validationError->code == kURLErrorCannotDecodeContentData ||
                                     validationError->userInfo.contains("NSUnderlyingError"));
    if (badContentType || isBlank(data)) return nullptr;

    ErrorPtr parseError;
    auto document = XMLDocument::parse(data, &parseError);
    if (!document && valid && error) *error = parseError;
    return document;
}

}  // namespace movra
