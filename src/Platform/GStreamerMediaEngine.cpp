#include "Platform/GStreamerMediaEngine.h"

#include "Foundation/MainQueue.h"
#include "Platform/GStreamerMediaPlayer.h"
#include "Platform/Platform.h"
#include "Platform/RememberingPlayerLayer.h"

#include <gst/gst.h>
#include <mutex>
#include <stdexcept>

namespace movra {

namespace {

// On first use, not when the platform is made: loading the plugin registry costs every command that never
// plays, and GLib's type and quark tables stay for the rest of the process.
void initializeGStreamer() {
    static std::once_flag initialized;
    std::call_once(initialized, [] { gst_init(nullptr, nullptr); });
}

}  // namespace

GStreamerMediaEngine::GStreamerMediaEngine(GStreamerPlayerItem::Outputs outputs) : outputs_(std::move(outputs)) {}

std::shared_ptr<HttpTransport> GStreamerMediaEngine::transport() {
    if (!transport_) transport_ = Platform::current().makeTransport();
    return transport_;
}

std::shared_ptr<MediaAsset> GStreamerMediaEngine::makeAsset(const std::string& url) {
    MOVRA_ASSERT_MAIN_QUEUE();
    initializeGStreamer();
    return std::make_shared<GStreamerMediaAsset>(url, transport(), Platform::current().mainQueue().handle());
}

std::shared_ptr<MediaPlayerItem> GStreamerMediaEngine::makePlayerItem(const std::shared_ptr<MediaAsset>& asset) {
    MOVRA_ASSERT_MAIN_QUEUE();
    auto own = std::dynamic_pointer_cast<GStreamerMediaAsset>(asset);
    if (!own) throw std::invalid_argument("The asset was not made by this engine");
    return GStreamerPlayerItem::make(own, transport(), outputs_, Platform::current().mainQueue().handle());
}

std::shared_ptr<MediaPlayer> GStreamerMediaEngine::makePlayer(const std::shared_ptr<MediaPlayerItem>& item) {
    MOVRA_ASSERT_MAIN_QUEUE();
    initializeGStreamer();
    auto own = std::dynamic_pointer_cast<GStreamerPlayerItem>(item);
    if (!own && item) throw std::invalid_argument("The item was not made by this engine");
    return GStreamerMediaPlayer::make(std::move(own));
}

std::shared_ptr<MediaPlayerLayer> GStreamerMediaEngine::makePlayerLayer(const std::shared_ptr<MediaPlayer>& player) {
    return std::make_shared<RememberingPlayerLayer>(player);
}

}  // namespace movra
