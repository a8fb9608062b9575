// CastRecorder: records what a cast device manager, its media channel and its text channels report, as trace
// strings ("connected", "application launched <session>", "status PLAYING", "text <namespace> <text>"), with
// the errors and the last values, so that tests wait for and assert on them.
#pragma once

#include "Platform/CastChannel.h"
#include "Platform/CastDeviceManagerDelegate.h"
#include "Platform/CastMediaControlChannel.h"

#include <memory>
#include <string>
#include <vector>

namespace movra::test {

/// The protocol's name of a player state ("PLAYING").
const char* playerStateName(CastMediaPlayerState state);

class CastRecorder : public CastDeviceManagerDelegate, public CastMediaControlChannelDelegate {
  public:
    /// A text channel that records what it receives.
    class TextChannel : public CastChannel {
      public:
        TextChannel(std::string nameSpace, CastRecorder& recorder)
            : CastChannel(std::move(nameSpace)), recorder_(recorder) {}
        void didReceiveTextMessage(const std::string& text) override {
            recorder_.events.push_back("text " + protocolNamespace() + " " + text);
        }

      private:
        CastRecorder& recorder_;
    };

    /// Whether an event starting with `prefix` was recorded.
    bool saw(const std::string& prefix) const;
    /// The last event starting with `prefix`, or "".
    std::string last(const std::string& prefix) const;
    std::size_t count(const std::string& prefix) const;

    void deviceManagerDidConnect(CastDeviceManager&) override { events.push_back("connected"); }
    void deviceManagerDidFailToConnect(CastDeviceManager&, const ErrorPtr& error) override;
    void deviceManagerDidDisconnect(CastDeviceManager&, const ErrorPtr& error) override;
    void deviceManagerDidConnectToApplication(CastDeviceManager&, const CastApplicationMetadata& metadata,
                                              const std::string& sessionID, bool launched) override;
    void deviceManagerDidFailToConnectToApplication(CastDeviceManager&, const ErrorPtr& error) override;
    void deviceManagerDidDisconnectFromApplication(CastDeviceManager&, const ErrorPtr& error) override;
    void deviceManagerVolumeDidChange(CastDeviceManager&, float level, bool muted) override;
    void mediaControlChannelDidCompleteLoad(CastMediaControlChannel&, std::int64_t mediaSessionID) override;
    void mediaControlChannelDidFailToLoadMedia(CastMediaControlChannel&, const ErrorPtr& error) override;
    void mediaControlChannelDidUpdateStatus(CastMediaControlChannel& channel) override;
    void mediaControlChannelRequestDidFail(CastMediaControlChannel&, std::int64_t requestID,
                                           const ErrorPtr& error) override;

    std::vector<std::string> events;
    std::vector<ErrorPtr> errors;
    std::string sessionID;
};

}  // namespace movra::test
