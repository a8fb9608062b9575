// InterfaceOrientation: the orientation of the user interface, as screens are told of it.
#pragma once

namespace movra {

enum class InterfaceOrientation { Unknown, Portrait, PortraitUpsideDown, LandscapeLeft, LandscapeRight };

inline bool isLandscape(InterfaceOrientation orientation) {
    return orientation == InterfaceOrientation::LandscapeLeft || orientation == InterfaceOrientation::LandscapeRight;
}

}  // namespace movra
