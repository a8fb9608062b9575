// Serving the catalogue's pictures.
#include "movra-backend/ImageService.h"

#include "Foundation/Strings.h"
#include "movra-backend/ClientApi.h"
#include "movra-backend/ErrorDocument.h"
#include "movra-backend/FormEncoding.h"
#include "movra-backend/ImageProfile.h"
#include "movra-backend/ImageRenderer.h"

#include <httplib.h>

namespace movra::backend {

namespace {

// A side asked for in the query, the profile's own when the query names none; nullopt when out of range.
std::optional<int> side(const httplib::Request& request, const char* key, int profileSide) {
    if (!request.has_param(key)) return profileSide;
    auto value = FormEncoding::decimal(request.get_param_value(key));
    if (!value || *value < 1 || *value > ImageRenderer::kLargestSide) return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

ImageService::ImageService(const Catalogue& catalogue) : catalogue_(catalogue) {}

void ImageService::addRoutes(Router& router) {
    router.add("GET", R"(/images/([^/]+)/([^/]+)\.png)", Router::Face::ClientApi,
               [this](const httplib::Request& request, httplib::Response& response, const std::smatch& match) {
                   serve(request, response, match);
               });
}

void ImageService::serve(const httplib::Request& request, httplib::Response& response, const std::smatch& match) const {
    const std::string guid = match[1].str();
    const ImageProfile* profile = ImageProfile::named(match[2].str());
    if (!profile || !catalogue_.hasPictures(guid)) {
        return ErrorDocument{ErrorDocument::codeForStatus(404), "The requested content could not be found.",
                             "No picture at " + request.path}
            .respond(response, 404);
    }
    const std::string accept = request.get_header_value("Accept");
    if (!accept.empty() && !containsStringCaseInsensitive(accept, "image/png") &&
        !containsStringCaseInsensitive(accept, "image/*") && accept.find("*/*") == std::string::npos) {
        return ErrorDocument{ErrorDocument::codeForStatus(406), "The picture is not available in that format.",
                             "Pictures are image/png, the request accepts only " + accept}
            .respond(response, 406);
    }
    auto width = side(request, "width", profile->width);
    auto height = side(request, "height", profile->height);
    if (!width || !height) {
        return ClientApi::badRequest("Query parameters width and height must be whole numbers from 1 to " +
                                     std::to_string(ImageRenderer::kLargestSide))
            .respond(response, 400);
    }
    auto png = ImageRenderer::png(guid, *width, *height);
    if (!png) {
        return ErrorDocument{ErrorDocument::codeForStatus(500), "Something went wrong. Please try again later.",
                             "The picture could not be encoded"}
            .respond(response, 500);
    }
    response.set_content(std::move(*png), "image/png");
}

}  // namespace movra::backend
