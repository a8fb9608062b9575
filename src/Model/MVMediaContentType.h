// MVMediaContentType: the stream variants of a title, told apart by their content profile.
#pragma once

#include <cstdint>

namespace movra {

enum MVMediaContentType : std::int32_t {
    MVMediaContentTypeHLSFairPlay = 0,      // HLS with FairPlay: profile empty or "MVTK-HLS-FPS"
    MVMediaContentTypeSmoothPlayReady = 1,  // Smooth Streaming with PlayReady: profile "MVTK-SMOOTH-PlayReady"
};

}  // namespace movra
