// AFImageResponseSerializer: validates an image answer (status 200-299, a picture content type) and
// decodes it.
//
// Thread contract: stateless; any thread.
#pragma once

#include "Foundation/Error.h"
#include "Platform/HttpResponse.h"
#include "Platform/Image.h"

#include <string_view>

namespace movra {

class AFImageResponseSerializer {
  public:
    /// The picture, or nullptr with *error: a validation error (-1011 status, -1016 content type) or
    /// -1016 when the bytes are not a picture.
    ImagePtr responseObjectForResponse(const HttpResponse* response, std::string_view data, ErrorPtr* error) const;
    static bool isAcceptableContentType(const std::string& mimeType);
};

}  // namespace movra
