// MVVideoPlayer: the one player interface the player screen drives, on the device (MVNativeVideoPlayer) or
// on a cast receiver. In this base class the set-up fails, the operations do nothing and the properties are
// plain stored values; implementations override them.
//
// Thread contract: main queue.
#pragma once

#include "Model/MVItem.h"
#include "Platform/InterfaceOrientation.h"
#include "Platform/MediaPlayerLayer.h"
#include "Sections/MoviePlayer/MVVideoPlayerDelegate.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVVideoPlayer : public std::enable_shared_from_this<MVVideoPlayer> {
  public:
    virtual ~MVVideoPlayer() = default;

    std::shared_ptr<MVVideoPlayerDelegate> playerDelegate() const { return playerDelegate_.lock(); }
    void setPlayerDelegate(std::weak_ptr<MVVideoPlayerDelegate> delegate) { playerDelegate_ = std::move(delegate); }

    virtual bool isPlaying() const { return isPlaying_; }
    virtual bool isSeeking() const { return isSeeking_; }
    virtual void setIsSeeking(bool seeking) { isSeeking_ = seeking; }
    /// Seconds.
    virtual double duration() const { return duration_; }
    virtual double currentPosition() const { return currentPosition_; }
    /// End of the buffered range, in seconds.
    virtual double bufferPosition() const { return bufferPosition_; }
    virtual float rate() const { return rate_; }
    virtual void setRate(float rate) { rate_ = rate; }
    virtual bool externalPlaybackActive() const { return externalPlaybackActive_; }
    virtual bool videoIsZoomable() const { return videoIsZoomable_; }
    /// The video gravity for landscape: kMediaLayerVideoGravityResizeAspect or ...ResizeAspectFill.
    const std::string& currentLandscapeAspectSize() const { return currentLandscapeAspectSize_; }
    void setCurrentLandscapeAspectSize(std::string gravity) { currentLandscapeAspectSize_ = std::move(gravity); }

    /// setupVideoSessionWithURL:guid:title:subtitle:thumbnailURL:initialPosition:autoPlay:item:; true when the
    /// session is being set up.
    virtual bool setupVideoSessionWithURL(const std::string& url, const std::string& guid, const std::string& title,
                                          const std::string& subtitle, const std::optional<std::string>& thumbnailURL,
                                          double initialPosition, bool autoPlay, std::shared_ptr<MVItem> item);
    virtual void tearDownSession() {}
    virtual void play() {}
    virtual void pause() {}
    /// seekToTime:completionHandler: the completion gets the "finished" flag.
    virtual void seekToTime(double /*seconds*/, std::function<void(bool finished)> /*completion*/) {}
    virtual void cancelPendingSeeks() {}
    virtual void setZoomedIn(bool /*zoomedIn*/) {}
    virtual void updateZoomForOrientation(InterfaceOrientation /*orientation*/) {}

  protected:
    /// Sends to the delegate when there is one and it answers `method`.
    template <class Send>
    void sendToDelegate(MVVideoPlayerDelegate::Method method, Send&& send) const {
        if (auto delegate = playerDelegate(); delegate && delegate->respondsTo(method)) send(*delegate);
    }

  private:
    std::weak_ptr<MVVideoPlayerDelegate> playerDelegate_;
    bool isPlaying_ = false;
    bool isSeeking_ = false;
    double duration_ = 0;
    double currentPosition_ = 0;
    double bufferPosition_ = 0;
    float rate_ = 0;
    bool externalPlaybackActive_ = false;
    bool videoIsZoomable_ = false;
    std::string currentLandscapeAspectSize_;
};

}  // namespace movra
