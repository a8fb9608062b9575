// TitleProgress: the progress bar of a title in a list that shows progress: how far the title's resume
// position lies into its HLS stream.
//
// Thread contract: a value; forItem() on any thread (it reads the bookmark cache).
#pragma once

#include <optional>

namespace movra {

class MVItem;

class TitleProgress {
  public:
    /// The bar of `item`: only a title with at least one price record has one. Its duration is that of the
    /// title's HLS stream, its position the bookmark cache's (bookmarkPositionForAsset).
    static std::optional<TitleProgress> forItem(const MVItem& item, bool hidesUnstarted = false);

    TitleProgress(double duration, double position, bool hidesUnstarted)
        : duration_(duration), position_(position), hidesUnstarted_(hidesUnstarted) {}

    double duration() const { return duration_; }
    double position() const { return position_; }
    /// A duration or position of 0 or less draws nothing.
    bool drawsNothing() const { return duration_ <= 0 || position_ <= 0; }
    /// The share of the bar drawn: the position clamped to the duration; 0 when nothing is drawn.
    double fraction() const;
    /// A bar that hides unstarted titles is hidden while the position is not above 0.
    bool isHidden() const { return hidesUnstarted_ && position_ <= 0; }

  private:
    double duration_;
    double position_;
    bool hidesUnstarted_;
};

}  // namespace movra
