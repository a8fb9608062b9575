#include "support/SimulatedMediaEngine.h"

#include "Platform/RememberingPlayerLayer.h"

namespace movra::test {

std::shared_ptr<MediaAsset> SimulatedMediaEngine::makeAsset(const std::string& url) {
    auto it = scripts_.find(url);
    auto asset = std::make_shared<SimulatedMediaAsset>(url, it == scripts_.end() ? SimulatedAssetScript{} : it->second);
    lastAsset_ = asset;
    return asset;
}

std::shared_ptr<MediaPlayerItem> SimulatedMediaEngine::makePlayerItem(const std::shared_ptr<MediaAsset>& asset) {
    auto item = std::make_shared<SimulatedMediaPlayerItem>(std::static_pointer_cast<SimulatedMediaAsset>(asset));
    item->start();
    return item;
}

std::shared_ptr<MediaPlayer> SimulatedMediaEngine::makePlayer(const std::shared_ptr<MediaPlayerItem>& item) {
    auto player = std::make_shared<SimulatedMediaPlayer>(std::static_pointer_cast<SimulatedMediaPlayerItem>(item));
    lastPlayer_ = player;
    ++playersMade_;
    return player;
}

std::shared_ptr<MediaPlayerLayer> SimulatedMediaEngine::makePlayerLayer(const std::shared_ptr<MediaPlayer>& player) {
    return std::make_shared<RememberingPlayerLayer>(player);
}

}  // namespace movra::test
