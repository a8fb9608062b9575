#include "Utilities/ImageRequest.h"

namespace movra {

HttpRequest ImageRequest::httpRequest() const {
    HttpRequest request;
    // A fragment names a picture in the cache only; URL loading never sends it.
    const auto text = url.absoluteString();
    request.url = text.substr(0, text.find('#'));
    request.setHeader("Accept", "image/*");
    return request;
}

}  // namespace movra
