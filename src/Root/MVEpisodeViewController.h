// MVEpisodeViewController: the title screen of one film or episode, with its play and watchlist actions.
//
// Thread contract: main queue only.
#pragma once

#include "Root/MVRootViewController.h"

namespace movra {

class WatchlistEditor;

class MVEpisodeViewController : public MVRootViewController {
  public:
    std::string className() const override { return "MVEpisodeViewController"; }
    std::string describe() const override;

    const std::shared_ptr<MVItem>& assetItem() const { return assetItem_; }
    void setAssetItem(std::shared_ptr<MVItem> item);
    /// The picture shown as the title's thumbnail, once it has loaded.
    void setThumbnailImage(std::shared_ptr<const Image> image) { thumbnail_ = std::move(image); }

    void onPlayButton();
    void onAddToWatchlist();
    /// The watchlist button's state.
    bool isInWatchlist() const;

  private:
    std::shared_ptr<MVItem> assetItem_;
    std::shared_ptr<const Image> thumbnail_;
    std::shared_ptr<WatchlistEditor> watchlist_;
};

}  // namespace movra
