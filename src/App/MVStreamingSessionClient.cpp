#include "App/MVStreamingSessionClient.h"

#include "App/MVDiscriminator.h"
#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Utilities/MTLXMLAdapter.h"

namespace movra {

namespace {

constexpr const char* kPaymentMessage =
    "Please update your payment information to activate your subscription. Go to your settings on %@.";

ErrorPtr sessionError(std::int64_t code, std::string description = {}) {
    return makeError(kHTTPClientErrorDomain, code, std::move(description));
}

std::optional<std::string> mainMediaContentURL(const MVItem& item) {
    auto content = item.movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
    auto url = content ? content->url() : std::nullopt;
    return isEmpty(url) ? std::nullopt : url;
}

}  // namespace

HttpTaskPtr MVStreamingSessionClient::setUpSessionForItem(MVHTTPClient& client, const MVItem& item,
                                                          SessionCompletion completion) {
    // A content without a URL cannot open a session either; asking the API root instead would be wrong.
    auto url = mainMediaContentURL(item);
    if (!url) {
        if (completion) completion(sessionError(MVStreamingSessionErrorNoMediaContent), std::nullopt, nullptr);
        return nullptr;
    }
    return client.setUpSessionAtPath(*url, [completion](ErrorPtr error, XMLDocumentPtr document) {
        interpretSessionAnswer(error, document, completion);
    });
}

void MVStreamingSessionClient::interpretSessionAnswer(const ErrorPtr& transportError, const XMLDocumentPtr& document,
                                                      const SessionCompletion& completion) {
    if (!completion) return;
    ErrorPtr mappingError;
    auto response =
        document ? MTLXMLAdapter::modelOfClass<MVStreamingSessionResponse>(document->documentNode(), &mappingError)
                 : nullptr;
    if (!response) {
        // An answer that cannot be read still ends the request: the caller must hear that it failed.
        Log::error("Session setup error {}", mappingError ? mappingError->summary() : "no answer");
        const bool cancelled = transportError && transportError->is(kURLErrorDomain, kURLErrorCancelled);
        completion(cancelled ? transportError : sessionError(MVStreamingSessionErrorFailed), std::nullopt, nullptr);
        return;
    }
    if (response->errorCode() == "ST2002") {
        auto message = replaceAll(MVLocalizedString(kPaymentMessage), "%@", MVDiscriminator::tenantUserURL());
        return completion(sessionError(MVStreamingSessionErrorPaymentRequired, message), std::nullopt, nullptr);
    }
    if (response->status() == "success") return completion(nullptr, response->url(), response);
    if (response->status() == "authenticate")
        return completion(sessionError(MVStreamingSessionErrorAuthenticate), std::nullopt, nullptr);
    Log::error("Server playback error: {} {}", response->userMessage().value_or(""),
               response->systemMessage().value_or(""));
    if (transportError && transportError->is(kURLErrorDomain, kURLErrorCancelled))
        return completion(transportError, std::nullopt, nullptr);
    completion(sessionError(MVStreamingSessionErrorFailed, response->userMessage().value_or("")), std::nullopt,
               nullptr);
}

HttpTaskPtr MVStreamingSessionClient::postBookmarkForAssetItem(MVHTTPClient& client, const MVItem& item,
                                                               long long bookmarkSeconds,
                                                               MVHTTPClient::Completion completion) {
    auto url = mainMediaContentURL(item);
    if (!url) return nullptr;
    return client.postBookmarkAtURL(*url, bookmarkSeconds, std::move(completion));
}

}  // namespace movra
