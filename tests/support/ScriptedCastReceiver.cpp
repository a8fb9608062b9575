#include "support/ScriptedCastReceiver.h"

#include "Platform/CastMediaControlChannel.h"
#include "Platform/CastSdk.h"
#include "Platform/Platform.h"
#include "support/CastRecorder.h"
#include "support/ScriptedCastDeviceManager.h"

#include <algorithm>

namespace movra::test {

namespace {

ScriptedCastReceiver::ApplicationOutcome refusal(std::int64_t code) {
    ScriptedCastReceiver::ApplicationOutcome outcome;
    outcome.errorCode = code;
    return outcome;
}

}  // namespace

ScriptedCastReceiver::ScriptedCastReceiver(CastDevice device, std::vector<std::string> applications)
    : device_(std::move(device)), applications_(std::move(applications)) {}

double ScriptedCastReceiver::now() const { return Platform::current().clock().monotonicSeconds(); }

bool ScriptedCastReceiver::isAvailable(const std::string& applicationId) const {
    return std::find(applications_.begin(), applications_.end(), applicationId) != applications_.end();
}

void ScriptedCastReceiver::attach(ScriptedCastDeviceManager& manager) {
    if (std::find(managers_.begin(), managers_.end(), &manager) == managers_.end()) managers_.push_back(&manager);
}

void ScriptedCastReceiver::detach(ScriptedCastDeviceManager& manager) { std::erase(managers_, &manager); }

ScriptedCastReceiver::ApplicationOutcome ScriptedCastReceiver::launch(const std::string& applicationId,
                                                                      bool relaunchIfRunning) {
    if (!isAvailable(applicationId)) return refusal(kCastErrorApplicationNotFound);
    if (sessionId_ && runningApplication_ == applicationId && !relaunchIfRunning)
        return {.errorCode = 0, .sessionId = *sessionId_, .launched = false};
    if (sessionId_) endSession();
    sessionId_ = "scripted-session-" + std::to_string(++sessionsStarted_);
    runningApplication_ = applicationId;
    return {.errorCode = 0, .sessionId = *sessionId_, .launched = true};
}

ScriptedCastReceiver::ApplicationOutcome ScriptedCastReceiver::join(const std::string& applicationId,
                                                                    const std::string& sessionId) {
    if (!sessionId_ || *sessionId_ != sessionId || runningApplication_ != applicationId)
        return refusal(kCastErrorApplicationNotRunning);
    return {.errorCode = 0, .sessionId = sessionId, .launched = false};
}

void ScriptedCastReceiver::endSession() {
    if (!sessionId_) return;
    for (auto* manager : managers_)
        if (manager->sessionId() == sessionId_) manager->applicationEnded();
    sessionId_.reset();
    runningApplication_.clear();
    media_.reset();
}

void ScriptedCastReceiver::freeze() { loseConnections(kCastErrorTimeout); }

void ScriptedCastReceiver::loseConnections(std::int64_t code) {
    for (auto* manager : managers_) manager->connectionLost(code);
    managers_.clear();
}

double ScriptedCastReceiver::position() const {
    if (!media_) return 0;
    double position = media_->position;
    if (media_->state == CastMediaPlayerState::Playing) position += now() - media_->since;
    const double duration = media_->information.value("duration", 0.0);
    return duration > 0 ? std::min(position, duration) : position;
}

void ScriptedCastReceiver::finishMedia() {
    if (!media_) return;
    media_->position = media_->information.value("duration", position());
    media_->since = now();
    media_->state = CastMediaPlayerState::Idle;
    media_->idleReason = "FINISHED";
    broadcastStatus(nullptr, 0);
}

void ScriptedCastReceiver::sendText(const std::string& nameSpace, const std::string& text) {
    toSessionSenders(nameSpace, text, nullptr);
}

void ScriptedCastReceiver::toSessionSenders(const std::string& nameSpace, const std::string& text,
                                            ScriptedCastDeviceManager* except) {
    if (!sessionId_) return;
    for (auto* manager : managers_)
        if (manager != except && manager->sessionId() == sessionId_) manager->deliver(nameSpace, text);
}

void ScriptedCastReceiver::receive(ScriptedCastDeviceManager& sender, const std::string& nameSpace,
                                   const std::string& text) {
    received_.emplace_back(nameSpace, text);
    if (nameSpace == kCastMediaNamespace) {
        const Json request = Json::parse(text, nullptr, /*allow_exceptions=*/false);
        if (request.is_object()) handleMedia(sender, request);
        return;
    }
    if (auto it = handlers_.find(nameSpace); it != handlers_.end()) it->second(text);
}

Json ScriptedCastReceiver::statusMessage(std::int64_t requestId) const {
    Json list = Json::array();
    if (media_) {
        Json entry = {{"mediaSessionId", media_->mediaSessionId},
                      {"playerState", playerStateName(media_->state)},
                      {"currentTime", position()},
                      {"playbackRate", 1},
                      {"media", media_->information}};
        if (!media_->idleReason.empty()) entry["idleReason"] = media_->idleReason;
        if (const Json custom = media_->information.value("customData", Json()); custom.contains("item"))
            entry["customData"] = {{"item", custom["item"]}};
        list.push_back(std::move(entry));
    }
    return {{"type", "MEDIA_STATUS"}, {"requestId", requestId}, {"status", list}};
}

void ScriptedCastReceiver::broadcastStatus(ScriptedCastDeviceManager* requester, std::int64_t requestId) {
    if (requester) requester->deliver(kCastMediaNamespace, statusMessage(requestId).dump());
    toSessionSenders(kCastMediaNamespace, statusMessage(0).dump(), requester);
}

void ScriptedCastReceiver::handleMedia(ScriptedCastDeviceManager& sender, const Json& request) {
    const auto type = request.value("type", std::string());
    const auto requestId = request.value("requestId", std::int64_t{0});
    auto reply = [&](const Json& message) { sender.deliver(kCastMediaNamespace, message.dump()); };
    if (type == "GET_STATUS") return reply(statusMessage(requestId));
    if (type == "LOAD") {
        if (failNextLoad_) {
            reply({{"type", "LOAD_FAILED"}, {"requestId", requestId}, {"reason", *failNextLoad_}});
            failNextLoad_.reset();
            return;
        }
        Media media;
        media.mediaSessionId = nextMediaSessionId_++;
        media.information = request.value("media", Json::object());
        // The device token stays on the receiver: other senders see the status too.
        if (Json& custom = media.information["customData"]; custom.is_object())
            custom = custom.contains("item") ? Json{{"item", custom["item"]}} : Json::object();
        media.state = request.value("autoplay", true) ? CastMediaPlayerState::Playing : CastMediaPlayerState::Paused;
        media.position = request.value("currentTime", 0.0);
        media.since = now();
        media_ = std::move(media);
        return broadcastStatus(&sender, requestId);
    }
    // The other commands name the media session they are for, which must still be going.
    const bool current = media_ && media_->state != CastMediaPlayerState::Idle &&
                         request.value("mediaSessionId", std::int64_t{-1}) == media_->mediaSessionId;
    if (!current || (type != "PLAY" && type != "PAUSE" && type != "SEEK" && type != "STOP"))
        return reply({{"type", "INVALID_REQUEST"}, {"requestId", requestId}, {"reason", "INVALID_MEDIA_SESSION_ID"}});
    media_->position = position();
    media_->since = now();
    if (type == "PLAY") media_->state = CastMediaPlayerState::Playing;
    if (type == "PAUSE") media_->state = CastMediaPlayerState::Paused;
    if (type == "SEEK") media_->position = std::max(0.0, request.value("currentTime", media_->position));
    if (type == "STOP") {
        media_->state = CastMediaPlayerState::Idle;
        media_->idleReason = "CANCELLED";
    }
    broadcastStatus(&sender, requestId);
}

void ScriptedCastReceiver::setVolume(float level) {
    volume_ = level;
    volumeChanged();
}

void ScriptedCastReceiver::setMuted(bool muted) {
    muted_ = muted;
    volumeChanged();
}

void ScriptedCastReceiver::volumeChanged() {
    for (auto* manager : managers_) manager->volumeChanged(volume_, muted_);
}

}  // namespace movra::test
