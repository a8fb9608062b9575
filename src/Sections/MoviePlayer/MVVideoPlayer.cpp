#include "Sections/MoviePlayer/MVVideoPlayer.h"

namespace movra {

bool MVVideoPlayer::setupVideoSessionWithURL(const std::string& /*url*/, const std::string& /*guid*/,
                                             const std::string& /*title*/, const std::string& /*subtitle*/,
                                             const std::optional<std::string>& /*thumbnailURL*/,
                                             double /*initialPosition*/, bool /*autoPlay*/,
                                             std::shared_ptr<MVItem> /*item*/) {
    return false;
}

}  // namespace movra
