// MediaLoadingRequest: one request of the resource loader for a URL of a custom scheme (a content key).
// The delegate answers it once, from any thread: data and finishLoading(), or finishLoadingWithError().
#pragma once

#include "Foundation/Error.h"

#include <optional>
#include <string>

namespace movra {

class MediaLoadingRequest {
  public:
    virtual ~MediaLoadingRequest() = default;

    /// The requested URL as written in the playlist ("skd://...").
    virtual const std::string& url() const = 0;
    /// The key request message for the key server: the 32-byte SHA-256 of `certificate` (DER bytes)
    /// followed by `contentIdentifier`. Fails with an error for an empty certificate.
    std::optional<std::string> streamingContentKeyRequestData(const std::string& certificate,
                                                              const std::string& contentIdentifier,
                                                              ErrorPtr* error) const;
    /// The content key context (a 16-byte AES-128 key); kept until finishLoading().
    virtual void respondWithData(std::string data) = 0;
    virtual void finishLoading() = 0;
    /// The item fails with this error.
    virtual void finishLoadingWithError(ErrorPtr error) = 0;
};

}  // namespace movra
