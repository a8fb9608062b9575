#include "Utilities/AFImageResponseSerializer.h"

#include "Platform/Platform.h"

#include <set>

namespace movra {

bool AFImageResponseSerializer::isAcceptableContentType(const std::string& mimeType) {
    static const std::set<std::string, std::less<>> types = {
        "image/tiff",   "image/jpeg", "image/gif",   "image/png",       "image/ico",
        "image/x-icon", "image/bmp",  "image/x-bmp", "image/x-xbitmap", "image/x-win-bitmap"};
    return types.count(mimeType) > 0;
}

ImagePtr AFImageResponseSerializer::responseObjectForResponse(const HttpResponse* response, std::string_view data,
                                                              ErrorPtr* error) const {
    auto fail = [error](std::int64_t code, std::string description, int status) -> ImagePtr {
        if (error)
            *error = makeError(kResponseSerializationErrorDomain, code, std::move(description), {},
                               Json{{kErrorHTTPStatusCodeKey, status}});
        return nullptr;
    };
    const int status = response ? response->statusCode : 0;
    if (status < 200 || status > 299)
        return fail(kURLErrorBadServerResponse, "Request failed: status " + std::to_string(status), status);
    const auto type = response->mimeType();
    if (!isAcceptableContentType(type))
        return fail(kURLErrorCannotDecodeContentData, "Request failed: unacceptable content-type: " + type, status);
    auto image = Platform::current().imageCodec().decode(data);
    if (!image) return fail(kURLErrorCannotDecodeContentData, "The image could not be decoded.", status);
    return image;
}

}  // namespace movra
