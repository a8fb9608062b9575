// The image profile table.
#include "movra-backend/ImageProfile.h"

#include "Foundation/Strings.h"

#include <algorithm>

namespace movra::backend {

namespace {

constexpr ImageProfile kProfiles[] = {
    {"MVTK-THUMB-448-252", 448, 252},
    {"MVTK-MOVIE-BANNER-720-290", 720, 290},
    {"MVTK-MOVIE-BANNER-640-257", 640, 257},
    {"MVTK-MOVIE-POSTER-720-405", 720, 405},
    {"MVTK-MOVIE-POSTER-640-360", 640, 360},
    {"MVTK-MOVIE-CAROUSEL-640-268", 640, 268},
    {"TAVIK-THUMB", 320, 180},
    {"TAVIK-BANNER", 1280, 515},
    {"TAVIK-POSTER", 640, 360},
    {"TAVIK-POSTER-LARGE", 1280, 720},
    {"TAVIK-SEASONAL-HUG", 960, 540},
    {"TAVIK-CAROUSEL", 1280, 536},
};

}  // namespace

std::span<const ImageProfile> ImageProfile::all() { return kProfiles; }

const ImageProfile* ImageProfile::named(std::string_view name) {
    auto found = std::find_if(std::begin(kProfiles), std::end(kProfiles),
                              [&](const ImageProfile& profile) { return profile.name == name; });
    return found == std::end(kProfiles) ? nullptr : found;
}

bool ImageProfile::isDeviceSpecific() const { return startsWith(name, "MVTK-"); }

std::string ImageProfile::url(std::string_view baseUrl, std::string_view guid) const {
    return std::string(baseUrl) + "/images/" + std::string(guid) + "/" + std::string(name) + ".png";
}

}  // namespace movra::backend
