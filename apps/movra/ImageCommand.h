// `movra image URL --size WxH --out FILE`: loads a picture as an image view of that size does (through the
// image views' disk cache, redrawn to fill the view) and writes what the view would show as a PNG file.
#pragma once

#include "movra/GlobalOptions.h"

#include <string>

namespace movra::cli {

struct ImageCommand {
    std::string url;
    /// The view's size in points, "WxH"; empty keeps the picture as decoded.
    std::string size;
    std::string outputPath;

    int run(const GlobalOptions& options) const;
};

}  // namespace movra::cli
