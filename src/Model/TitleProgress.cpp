#include "Model/TitleProgress.h"

#include "Model/MVItem.h"
#include "Model/MVSharedBookmarkCache.h"

#include <algorithm>

namespace movra {

std::optional<TitleProgress> TitleProgress::forItem(const MVItem& item, bool hidesUnstarted) {
    if (item.prices().empty()) return std::nullopt;
    auto stream = item.movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
    const double duration = stream ? stream->duration().value_or(0) : 0;
    const double position = static_cast<double>(MVSharedBookmarkCache::sharedCache()->bookmarkPositionForAsset(item));
    return TitleProgress(duration, position, hidesUnstarted);
}

double TitleProgress::fraction() const { return drawsNothing() ? 0 : std::min(position_, duration_) / duration_; }

}  // namespace movra
