// ImageService: the catalogue's pictures at "https://HOST/images/<guid>/<profile>.png" (ImageProfile::url),
// drawn on request at the profile's size, or at the "width" and "height" the URL asks for. Open like a
// picture CDN: no device headers or token are asked for, and other query parameters are ignored, since the
// client replaces an image URL's query with its own "language", "type" and "deviceId".
//
// Thread contract: routes are added before the server starts; handlers run on the server's worker threads.
#pragma once

#include "movra-backend/Catalogue.h"
#include "movra-backend/Router.h"

namespace movra::backend {

class ImageService {
  public:
    explicit ImageService(const Catalogue& catalogue);

    void addRoutes(Router& router);

  private:
    void serve(const httplib::Request& request, httplib::Response& response, const std::smatch& match) const;

    const Catalogue& catalogue_;
};

}  // namespace movra::backend
