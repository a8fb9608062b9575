// ImageProfile: the picture profiles the client looks thumbnails up by (per image type, tablet and phone),
// with the size the emulator draws each at: the size in the name where the name has one.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace movra::backend {

struct ImageProfile {
    std::string_view name;
    int width;
    int height;

    /// Every profile, device-specific ones ("MVTK-...") before the generic ones ("TAVIK-...").
    static std::span<const ImageProfile> all();
    /// The profile spelled exactly `name`, or nullptr.
    static const ImageProfile* named(std::string_view name);
    /// Device-specific profiles travel in the title's media group, the generic ones on the item itself,
    /// so that the client's lookup of both places is exercised.
    bool isDeviceSpecific() const;
    /// The picture of `guid` in this profile, "<baseUrl>/images/<guid>/<name>.png", for a client that
    /// reaches the emulator at `baseUrl` ("https://host:port").
    std::string url(std::string_view baseUrl, std::string_view guid) const;
};

}  // namespace movra::backend
