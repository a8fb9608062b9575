// WatchlistEditor: putting titles on the watchlist and taking them off. An editor is the watchlist button
// of a title's screen: in the kids profile it does nothing (and reports that it was called); otherwise it
// disables itself, sends the analytics event, lets the button animate, then adds or removes the title
// and shows the new state, or the unchanged state and an alert when the back end refused. The watchlist
// list's delete mode removes titles through changeWatchlist() alone.
//
// Thread contract: main queue.
#pragma once

#include "Foundation/Error.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVItem;
class ViewController;

class WatchlistEditor : public std::enable_shared_from_this<WatchlistEditor> {
  public:
    /// Seconds before the button's animation starts, and its length.
    static constexpr double kAnimationDelay = 0.1;
    static constexpr double kAnimationDuration = 0.2;
    /// The name of the non-fatal report of a watchlist change asked for in the kids profile.
    static constexpr const char* kKidsModeReport = "Called addToWatchList when in kids mode";

    /// The text of the alert of a failed add (or removal).
    static std::string failureMessage(bool add);
    /// Adds (or removes) the title on the back end. On success the stored records of the title follow;
    /// on failure they stay as they were and `screen`, when it still exists, shows the failure alert.
    /// `done` gets the request's error.
    static void changeWatchlist(const std::optional<std::string>& guid, bool add, std::weak_ptr<ViewController> screen,
                                std::function<void(ErrorPtr)> done);

    /// The button of `item`'s screen, reached from `navigationSource` (the analytics label of the screen
    /// the user came from).
    WatchlistEditor(std::shared_ptr<MVItem> item, std::string navigationSource, std::weak_ptr<ViewController> screen);

    /// A tap on the button; ignored while it is disabled.
    void toggle();
    bool isEnabled() const { return enabled_; }
    /// The state the button shows.
    bool isInWatchlist() const { return inWatchlist_; }

  private:
    void send();

    std::shared_ptr<MVItem> item_;
    std::string navigationSource_;
    std::weak_ptr<ViewController> screen_;
    bool enabled_ = true;
    bool inWatchlist_ = false;
};

}  // namespace movra
