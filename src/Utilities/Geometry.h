// Geometry: sizes and rectangles in points, the units views are laid out in.
#pragma once

namespace movra {

struct Size {
    double width = 0;
    double height = 0;

    bool operator==(const Size&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

}  // namespace movra
