#include "Utilities/AFKissXMLResponseSerializer.h"

#include "Foundation/Localization.h"
#include "Foundation/Strings.h"

namespace movra {

namespace {

// The platform's wording for status codes, which ends up in "Request failed: %@ (%ld)".
std::string localizedStringForStatusCode(int code) {
    switch (code) {
        case 100: return "continue";
        case 101: return "switching protocols";
        case 200: return "no error";
        case 201: return "created";
        case 202: return "accepted";
        case 203: return "non-authoritative information";
        case 204: return "no content";
        case 205: return "reset content";
        case 206: return "partial content";
        case 300: return "multiple choices";
        case 301: return "moved permanently";
        case 302: return "found";
        case 303: return "see other";
        case 304: return "not modified";
        case 305: return "use proxy";
        case 307: return "temporarily redirected";
        case 400: return "bad request";
        case 401: return "unauthorized";
        case 402: return "payment required";
        case 403: return "forbidden";
        case 404: return "not found";
        case 405: return "method not allowed";
        case 406: return "unacceptable";
        case 407: return "proxy authentication required";
        case 408: return "request timed out";
        case 409: return "conflict";
        case 410: return "no longer exists";
        case 411: return "length required";
        case 412: return "precondition failed";
        case 413: return "request too large";
        case 414: return "requested URL too long";
        case 415: return "unsupported media type";
        case 416: return "requested range not satisfiable";
        case 417: return "expectation failed";
        case 500: return "internal server error";
        case 501: return "unimplemented";
        case 502: return "bad gateway";
        case 503: return "service unavailable";
        case 504: return "gateway timed out";
        case 505: return "unsupported version";
    }
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
        validationError = makeError(
            kResponseSerializationErrorDomain, kURLErrorCannotDecodeContentData,
            replaceAll(MVLocalizedString("Request failed: unacceptable content-type: %@"), "%@", mimeType), {},
            Json{{"NSErrorFailingURLKey", response->url}});
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
