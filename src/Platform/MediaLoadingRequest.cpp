#include "Platform/MediaLoadingRequest.h"

#include "Foundation/Crypto.h"
#include "Platform/MediaEngine.h"

namespace movra {

std::optional<std::string> MediaLoadingRequest::streamingContentKeyRequestData(const std::string& certificate,
                                                                               const std::string& contentIdentifier,
                                                                               ErrorPtr* error) const {
    if (certificate.empty()) {
        if (error) *error = makeError(kMediaEngineErrorDomain, -1, "No application certificate for the key request");
        return std::nullopt;
    }
    return sha256(certificate) + contentIdentifier;
}

}  // namespace movra
