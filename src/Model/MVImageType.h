// MVImageType: which picture of an item a screen asks for; each selects an image profile per device idiom.
#pragma once

#include <cstdint>

namespace movra {

enum MVImageType : std::int32_t {
    MVImageTypeThumb = 0,            // device-specific thumbnail
    MVImageTypeBanner = 1,           // device-specific banner
    MVImageTypePoster = 2,           // device-specific wide poster
    MVImageTypePosterLarge = 3,      // large poster
    MVImageTypeSeasonalHug = 4,      // seasonal picture
    MVImageTypeCarousel = 5,         // device-specific carousel picture
    MVImageTypeThumbDefault = 6,     // generic thumbnail
    MVImageTypeBannerDefault = 7,    // generic banner
    MVImageTypePosterDefault = 8,    // generic poster
    MVImageTypeCarouselDefault = 9,  // generic carousel picture
};

}  // namespace movra
