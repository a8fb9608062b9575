// MVTaglinePosition: where a tagline is anchored. Bits 0-1 are the row (0 upper, 1 middle, 2 lower), bits
// 4-5 the column (0 left, 1 center, 2 right).
#pragma once

#include <cstdint>

namespace movra {

enum MVTaglinePosition : std::int32_t {
    MVTaglinePositionUpperLeft = 0,
    MVTaglinePositionMiddleLeft = 1,
    MVTaglinePositionLowerLeft = 2,
    MVTaglinePositionUpperCenter = 16,
    MVTaglinePositionMiddleCenter = 17,
    MVTaglinePositionLowerCenter = 18,
    MVTaglinePositionUpperRight = 32,
    MVTaglinePositionMiddleRight = 33,
    MVTaglinePositionLowerRight = 34,
};

}  // namespace movra
