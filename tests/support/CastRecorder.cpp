#include "support/CastRecorder.h"

#include <algorithm>

namespace movra::test {

namespace {

std::string describe(const ErrorPtr& error) { return error ? std::to_string(error->code) : "none"; }

}  // namespace

const char* playerStateName(CastMediaPlayerState state) {
    static const char* names[] = {"UNKNOWN", "IDLE", "PLAYING", "PAUSED", "BUFFERING"};
    return names[static_cast<int>(state)];
}

bool CastRecorder::saw(const std::string& prefix) const { return count(prefix) > 0; }

std::string CastRecorder::last(const std::string& prefix) const {
    auto it = std::find_if(events.rbegin(), events.rend(), [&](const std::string& e) { return e.starts_with(prefix); });
    return it == events.rend() ? std::string() : *it;
}

std::size_t CastRecorder::count(const std::string& prefix) const {
    return std::count_if(events.begin(), events.end(), [&](const std::string& e) { return e.starts_with(prefix); });
}

void CastRecorder::deviceManagerDidFailToConnect(CastDeviceManager&, const ErrorPtr& error) {
    errors.push_back(error);
    events.push_back("failed to connect " + describe(error));
}

void CastRecorder::deviceManagerDidDisconnect(CastDeviceManager&, const ErrorPtr& error) {
    errors.push_back(error);
    events.push_back("disconnected " + describe(error));
}

void CastRecorder::deviceManagerDidConnectToApplication(CastDeviceManager&, const CastApplicationMetadata& metadata,
                                                        const std::string& sessionID_, bool launched) {
    sessionID = sessionID_;
    events.push_back(std::string(launched ? "application launched " : "application joined ") + metadata.applicationID);
}

void CastRecorder::deviceManagerDidFailToConnectToApplication(CastDeviceManager&, const ErrorPtr& error) {
    errors.push_back(error);
    events.push_back("application failed " + describe(error));
}

void CastRecorder::deviceManagerDidDisconnectFromApplication(CastDeviceManager&, const ErrorPtr& error) {
    errors.push_back(error);
    events.push_back("application disconnected " + describe(error));
}

void CastRecorder::deviceManagerVolumeDidChange(CastDeviceManager&, float level, bool muted) {
    events.push_back("volume " + std::to_string(static_cast<int>(level * 100 + 0.5f)) + (muted ? " muted" : ""));
}

void CastRecorder::mediaControlChannelDidCompleteLoad(CastMediaControlChannel&, std::int64_t mediaSessionID) {
    events.push_back("loaded " + std::to_string(mediaSessionID));
}

void CastRecorder::mediaControlChannelDidFailToLoadMedia(CastMediaControlChannel&, const ErrorPtr& error) {
    errors.push_back(error);
    events.push_back("load failed " + (error ? error->failureReason : std::string()));
}

void CastRecorder::mediaControlChannelDidUpdateStatus(CastMediaControlChannel& channel) {
    const auto& status = channel.mediaStatus();
    if (!status) {
        events.push_back("status none");
        return;
    }
    std::string guid;
    if (status->customData.is_object() && status->customData.contains("item"))
        guid = status->customData["item"].value("guid", "");
    events.push_back(std::string("status ") + playerStateName(status->playerState) + " " +
                     std::to_string(static_cast<int>(status->idleReason)) + " " +
                     std::to_string(static_cast<int>(status->streamPosition)) + " " + guid);
}

void CastRecorder::mediaControlChannelRequestDidFail(CastMediaControlChannel&, std::int64_t requestID,
                                                     const ErrorPtr& error) {
    errors.push_back(error);
    events.push_back("request failed " + std::to_string(requestID) + " " + describe(error));
}

}  // namespace movra::test
