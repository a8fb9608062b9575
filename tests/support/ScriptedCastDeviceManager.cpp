#include "support/ScriptedCastDeviceManager.h"

#include "Platform/CastChannel.h"
#include "Platform/CastSdk.h"
#include "Platform/Platform.h"
#include "support/ScriptedCastReceiver.h"

#include <algorithm>

namespace movra::test {

ScriptedCastDeviceManager::ScriptedCastDeviceManager(CastDevice device, std::shared_ptr<ScriptedCastReceiver> receiver)
    : device_(std::move(device)), receiver_(std::move(receiver)) {}

ScriptedCastDeviceManager::~ScriptedCastDeviceManager() {
    if (receiver_) receiver_->detach(*this);
    detachChannels();
}

void ScriptedCastDeviceManager::later(std::function<void()> task) {
    Platform::current().mainQueue().post([alive = std::weak_ptr<int>(alive_), task = std::move(task)] {
        if (alive.lock()) task();
    });
}

bool ScriptedCastDeviceManager::tell(const std::function<void(CastDeviceManagerDelegate&)>& call) {
    if (!delegate_) return true;
    const std::weak_ptr<int> alive = alive_;
    call(*delegate_);
    return !alive.expired();
}

void ScriptedCastDeviceManager::connect() {
    if (connectionState_ != CastConnectionState::Disconnected) return;
    connectionState_ = CastConnectionState::Connecting;
    later([this] {
        if (connectionState_ != CastConnectionState::Connecting) return;
        if (!receiver_ || receiver_->refusesConnections()) {
            connectionState_ = CastConnectionState::Disconnected;
            tell([&](CastDeviceManagerDelegate& d) {
                d.deviceManagerDidFailToConnect(
                    *this, makeError(kCastErrorDomain, kCastErrorNetworkError, "Connection to the receiver failed"));
            });
            return;
        }
        receiver_->attach(*this);
        connectionState_ = CastConnectionState::Connected;
        volume_ = receiver_->volume();
        muted_ = receiver_->muted();
        tell([&](CastDeviceManagerDelegate& d) { d.deviceManagerDidConnect(*this); });
    });
}

void ScriptedCastDeviceManager::disconnect() {
    if (connectionState_ == CastConnectionState::Disconnected) return;
    if (receiver_) receiver_->detach(*this);
    connectionState_ = CastConnectionState::Disconnected;
    applicationState_ = CastConnectionState::Disconnected;
    applicationRequestPending_ = false;
    sessionId_.reset();
    later([this] { tell([&](CastDeviceManagerDelegate& d) { d.deviceManagerDidDisconnect(*this, nullptr); }); });
}

bool ScriptedCastDeviceManager::requestApplication(std::function<void()> answer) {
    if (connectionState_ != CastConnectionState::Connected || applicationRequestPending_) return false;
    applicationRequestPending_ = true;
    applicationState_ = CastConnectionState::Connecting;
    later([this, answer = std::move(answer)] {
        if (!applicationRequestPending_) return;
        applicationRequestPending_ = false;
        answer();
    });
    return true;
}

void ScriptedCastDeviceManager::finishApplicationRequest(std::int64_t errorCode, const std::string& sessionId,
                                                         bool launched, const std::string& applicationId) {
    if (errorCode != 0) {
        applicationState_ = CastConnectionState::Disconnected;
        const char* description = errorCode == kCastErrorApplicationNotRunning ? "Application is not running"
                                  : errorCode == kCastErrorApplicationNotFound ? "Launch failed: NOT_FOUND"
                                                                               : "Invalid request";
        tell([&](CastDeviceManagerDelegate& d) {
            d.deviceManagerDidFailToConnectToApplication(*this, makeError(kCastErrorDomain, errorCode, description));
        });
        return;
    }
    sessionId_ = sessionId;
    applicationState_ = CastConnectionState::Connected;
    std::vector<std::string> namespaces;
    for (const auto& [name, channel] : channels()) namespaces.push_back(name);
    const CastApplicationMetadata metadata{applicationId, applicationId, namespaces};
    if (!tell([&](CastDeviceManagerDelegate& d) { d.deviceManagerDidReceiveApplicationMetadata(*this, metadata); }))
        return;
    tell([&](CastDeviceManagerDelegate& d) {
        d.deviceManagerDidConnectToApplication(*this, metadata, sessionId, launched);
    });
}

bool ScriptedCastDeviceManager::launchApplication(const std::string& applicationId, bool relaunchIfRunning) {
    return requestApplication([this, applicationId, relaunchIfRunning] {
        const auto outcome = receiver_->launch(applicationId, relaunchIfRunning);
        finishApplicationRequest(outcome.errorCode, outcome.sessionId, outcome.launched, applicationId);
    });
}

bool ScriptedCastDeviceManager::joinApplication(const std::string& applicationId, const std::string& sessionID) {
    return requestApplication([this, applicationId, sessionID] {
        const auto outcome = receiver_->join(applicationId, sessionID);
        finishApplicationRequest(outcome.errorCode, outcome.sessionId, outcome.launched, applicationId);
    });
}

bool ScriptedCastDeviceManager::leaveApplication() {
    if (!sessionId_) return false;
    sessionId_.reset();
    applicationState_ = CastConnectionState::Disconnected;
    later([this] {
        tell([&](CastDeviceManagerDelegate& d) { d.deviceManagerDidDisconnectFromApplication(*this, nullptr); });
    });
    return true;
}

bool ScriptedCastDeviceManager::stopApplication() {
    if (!sessionId_) return false;
    leaveApplication();
    if (receiver_->sessionId()) receiver_->endSession();
    return true;
}

bool ScriptedCastDeviceManager::setVolume(float level) {
    if (connectionState_ != CastConnectionState::Connected) return false;
    receiver_->setVolume(std::clamp(level, 0.0f, 1.0f));
    return true;
}

bool ScriptedCastDeviceManager::setMuted(bool muted) {
    if (connectionState_ != CastConnectionState::Connected) return false;
    receiver_->setMuted(muted);
    return true;
}

bool ScriptedCastDeviceManager::sendTextMessage(const std::string& nameSpace, const std::string& text) {
    if (!sessionId_ || applicationState_ != CastConnectionState::Connected) return false;
    receiver_->receive(*this, nameSpace, text);
    return true;
}

void ScriptedCastDeviceManager::deliver(const std::string& nameSpace, const std::string& text) {
    later([this, nameSpace, text] {
        auto* channel = channelFor(nameSpace);
        if (sessionId_ && channel) channel->didReceiveTextMessage(text);
    });
}

void ScriptedCastDeviceManager::connectionLost(std::int64_t code) {
    later([this, code] {
        if (connectionState_ == CastConnectionState::Disconnected) return;
        receiver_->detach(*this);
        connectionState_ = CastConnectionState::Disconnected;
        applicationState_ = CastConnectionState::Disconnected;
        applicationRequestPending_ = false;
        sessionId_.reset();
        const auto error = makeError(
            kCastErrorDomain, code,
            code == kCastErrorTimeout ? "The receiver stopped answering" : "Connection to the receiver failed");
        tell([&](CastDeviceManagerDelegate& d) { d.deviceManagerDidDisconnect(*this, error); });
    });
}

void ScriptedCastDeviceManager::applicationEnded() {
    later([this] {
        if (!sessionId_) return;
        sessionId_.reset();
        applicationState_ = CastConnectionState::Disconnected;
        tell([&](CastDeviceManagerDelegate& d) {
            d.deviceManagerDidDisconnectFromApplication(
                *this, makeError(kCastErrorDomain, kCastErrorApplicationNotRunning, "Application is not running",
                                 "the application session ended"));
        });
    });
}

void ScriptedCastDeviceManager::volumeChanged(float level, bool muted) {
    later([this, level, muted] {
        volume_ = level;
        muted_ = muted;
        tell([&](CastDeviceManagerDelegate& d) { d.deviceManagerVolumeDidChange(*this, level, muted); });
    });
}

}  // namespace movra::test
