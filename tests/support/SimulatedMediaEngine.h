// SimulatedMediaEngine: the media engine of the tests, run by the platform's clock (virtual time with a
// ManualClock). Assets follow the script set for their URL (a default script otherwise); what it made is kept
// for the tests to inspect.
#pragma once

#include "Platform/MediaEngine.h"
#include "support/SimulatedAssetScript.h"
#include "support/SimulatedMediaAsset.h"
#include "support/SimulatedMediaPlayer.h"
#include "support/SimulatedMediaPlayerItem.h"

#include <map>

namespace movra::test {

class SimulatedMediaEngine final : public MediaEngine {
  public:
    void setScript(const std::string& url, SimulatedAssetScript script) { scripts_[url] = std::move(script); }

    std::shared_ptr<MediaAsset> makeAsset(const std::string& url) override;
    std::shared_ptr<MediaPlayerItem> makePlayerItem(const std::shared_ptr<MediaAsset>& asset) override;
    std::shared_ptr<MediaPlayer> makePlayer(const std::shared_ptr<MediaPlayerItem>& item) override;
    std::shared_ptr<MediaPlayerLayer> makePlayerLayer(const std::shared_ptr<MediaPlayer>& player) override;

    std::shared_ptr<SimulatedMediaAsset> lastAsset() const { return lastAsset_.lock(); }
    std::shared_ptr<SimulatedMediaPlayer> lastPlayer() const { return lastPlayer_.lock(); }
    int playersMade() const { return playersMade_; }

  private:
    std::map<std::string, SimulatedAssetScript> scripts_;
    std::weak_ptr<SimulatedMediaAsset> lastAsset_;
    std::weak_ptr<SimulatedMediaPlayer> lastPlayer_;
    int playersMade_ = 0;
};

}  // namespace movra::test
