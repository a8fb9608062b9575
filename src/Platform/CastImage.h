// CastImage: a picture of a title, by address, with its size.
#pragma once

#include <string>

namespace movra {

struct CastImage {
    std::string url;
    int width = 0;
    int height = 0;
};

}  // namespace movra
