// MVConvivaController: the playback-quality session of one native viewing. It opens the session with a
// description of the title and the viewer, attaches the platform player so that the library can watch it,
// reports why playback failed, and sends the AirPlay and Chromecast events. Its metadata builder also makes
// the key/value set the cast manager sends to the receiver. A controller is not reused once its session has
// ended: the screen drops it and makes a new one.
//
// Thread contract: main queue.
#pragma once

#include "Foundation/Json.h"
#include "Platform/MediaPlayer.h"
#include "Platform/PlaybackQualityClient.h"

#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVDiscriminator;
class MVHTTPClient;
class MVItem;

class MVConvivaController {
  public:
    static constexpr const char* kCdnName = "LEVEL3";
    static constexpr const char* kPlayerName = "Movra-Tavik iOS";

    MVConvivaController() = default;
    /// Ends a session still open, so that the service never waits for it.
    ~MVConvivaController();
    MVConvivaController(const MVConvivaController&) = delete;
    MVConvivaController& operator=(const MVConvivaController&) = delete;

    /// startSessionWithAssetItem: opens the session, with no player yet; nothing happens while one is open.
    void startSessionWithAssetItem(const MVItem& item);
    /// attachPlayerToSession: a player already playing out through AirPlay is announced first.
    void attachPlayerToSession(const std::shared_ptr<MediaPlayer>& player);
    /// Cleans the session up and drops it; a failure of the library's clean-up drops it all the same.
    void tearDownSession();
    /// tearDownSessionWithError: reports `text` as the session's error, then tears it down; without a
    /// session it does nothing.
    void tearDownSessionWithError(const std::string& text);
    void sendAirplayIsEnabledEvent(bool enabled);
    void sendChromecastIsEnabledEvent(bool enabled);

    bool sessionActive() const { return convivaSession_.has_value(); }
    const std::optional<PlaybackQualityClient::SessionKey>& convivaSession() const { return convivaSession_; }

    /// convivaMetadataFromAsset:withHTTPClient:withDiscriminator:requiresChromecastKeys: the tags of a
    /// session (string keys and values, in the order added); a key whose source is empty is left out.
    /// "ViewerId" and "AnalyticsLabel" only with `requiresChromecastKeys`. A missing client or discriminator
    /// counts as empty.
    static Json convivaMetadataFromAsset(const MVItem& item, const std::shared_ptr<MVHTTPClient>& client,
                                         const std::shared_ptr<MVDiscriminator>& discriminator,
                                         bool requiresChromecastKeys);

  private:
    static void sendEnabledEvent(const std::string& name, bool enabled);

    std::optional<PlaybackQualityClient::SessionKey> convivaSession_;
};

}  // namespace movra
