// MVTavikAssetLoaderDelegate: the resource-loader delegate of one player item. For every "skd" key URI of
// the stream it builds the key request message from the application certificate and fetches the content
// key from the back end's key endpoint, trying three times in a row.
//
// Thread contract: made and configured on the main queue (it takes the API host and device credentials
// then); the resource-loader callback and getResponseForKeyId() run on the "DRM Queue" and block it for
// their synchronous round trips. The error handler is told on that queue.
#pragma once

#include "DRM/MVDRMErrorHandler.h"
#include "Foundation/Url.h"
#include "Platform/HttpRequest.h"
#include "Platform/HttpTransport.h"
#include "Platform/MediaResourceLoaderDelegate.h"

#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVTavikAssetLoaderDelegate final : public MediaResourceLoaderDelegate {
  public:
    static constexpr int kKeyRequestAttempts = 3;

    /// Takes the shared API client's base URL and device credentials, and a transport of its own.
    MVTavikAssetLoaderDelegate();

    /// The title's guid, sent as "assetId".
    const std::string& assetId() const { return assetId_; }
    void setAssetId(std::string assetId) { assetId_ = std::move(assetId); }
    std::shared_ptr<MVDRMErrorHandler> drmErrorHandler() const { return drmErrorHandler_.lock(); }
    void setDrmErrorHandler(std::weak_ptr<MVDRMErrorHandler> handler) { drmErrorHandler_ = std::move(handler); }

    /// resourceLoader:shouldWaitForLoadingOfRequestedResource: true when it took the request on and answered it.
    bool shouldWaitForLoadingOfRequestedResource(const std::shared_ptr<MediaLoadingRequest>& request) override;
    /// One key request (up to three attempts): the body of the last attempt, or nullopt after a transport
    /// error (the error handler is then told). The status code is not examined.
    std::optional<std::string> getResponseForKeyId(const std::string& keyId, const std::string& requestBytes);
    /// The device headers, each only when it is not empty.
    void setAuthHeadersForRequest(HttpRequest& request) const;

  private:
    struct Attempt {
        ErrorPtr error;
        std::optional<std::string> body;
        bool succeeded = false;
    };
    Attempt sendSynchronously(const HttpRequest& request);

    std::string assetId_;
    std::weak_ptr<MVDRMErrorHandler> drmErrorHandler_;
    std::optional<Url> apiBaseURL_;
    std::string deviceId_;
    std::string deviceToken_;
    std::shared_ptr<HttpTransport> transport_;
};

}  // namespace movra
