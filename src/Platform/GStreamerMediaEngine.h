// GStreamerMediaEngine: the platform player on GStreamer (playbin3 with hlsdemux2). Playlists, segments and
// keys reach the demuxer through a loopback endpoint per item (see GStreamerLoopbackEndpoint); the engine's
// own requests go through a transport of the platform, which trusts the deployment's CA file.
//
// Thread contract: main queue (see MediaEngine). The platform must be installed when the first asset is made.
#pragma once

#include "Platform/GStreamerPlayerItem.h"
#include "Platform/HttpTransport.h"
#include "Platform/MediaEngine.h"

namespace movra {

class GStreamerMediaEngine final : public MediaEngine {
  public:
    /// GStreamer is initialized, once per process, when the first asset or player is made.
    explicit GStreamerMediaEngine(GStreamerPlayerItem::Outputs outputs);

    std::shared_ptr<MediaAsset> makeAsset(const std::string& url) override;
    std::shared_ptr<MediaPlayerItem> makePlayerItem(const std::shared_ptr<MediaAsset>& asset) override;
    std::shared_ptr<MediaPlayer> makePlayer(const std::shared_ptr<MediaPlayerItem>& item) override;
    std::shared_ptr<MediaPlayerLayer> makePlayerLayer(const std::shared_ptr<MediaPlayer>& player) override;

  private:
    /// Made by the platform on first use, so that its shutdown cancels what the engine has in flight.
    std::shared_ptr<HttpTransport> transport();

    const GStreamerPlayerItem::Outputs outputs_;
    std::shared_ptr<HttpTransport> transport_;
};

}  // namespace movra
