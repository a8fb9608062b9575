#include "Root/MVEpisodeViewController.h"

#include "Model/MVItem.h"
#include "Root/WatchlistEditor.h"

namespace movra {

std::string MVEpisodeViewController::describe() const {
    if (!assetItem_) return className();
    return className() + " \"" + assetItem_->title().value_or("(untitled)") + "\"" +
           (isInWatchlist() ? " (on the watchlist)" : "");
}

void MVEpisodeViewController::setAssetItem(std::shared_ptr<MVItem> item) {
    assetItem_ = std::move(item);
    watchlist_.reset();
}

void MVEpisodeViewController::onPlayButton() { playCatalogItem(assetItem_, nullptr, thumbnail_); }

void MVEpisodeViewController::onAddToWatchlist() {
    if (!assetItem_) return;
    // One button per screen: it stays disabled while its change is under way.
    if (!watchlist_)
        watchlist_ = std::make_shared<WatchlistEditor>(assetItem_, navigationSource().value_or(""),
                                                       std::static_pointer_cast<ViewController>(shared_from_this()));
    watchlist_->toggle();
}

bool MVEpisodeViewController::isInWatchlist() const {
    if (watchlist_) return watchlist_->isInWatchlist();
    return assetItem_ && assetItem_->isInWatchlist().value_or(false);
}

}  // namespace movra
