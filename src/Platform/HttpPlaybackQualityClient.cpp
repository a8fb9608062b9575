#include "Platform/HttpPlaybackQualityClient.h"

#include "Foundation/Crypto.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Platform/Platform.h"

namespace movra {

HttpPlaybackQualityClient::HttpPlaybackQualityClient(Options options)
    : queue_(std::make_shared<DurableEventQueue>(queueOptions(options))) {
    queue_->setDispatchInterval(options.retryIntervalSeconds);
}

HttpPlaybackQualityClient::~HttpPlaybackQualityClient() { shutdown(); }

DurableEventQueue::Options HttpPlaybackQualityClient::queueOptions(const Options& options) {
    auto makeRequest = [url = options.collectorUrl](const std::vector<DurableEventQueue::Event>& batch, std::int64_t) {
        Json events = Json::array();
        for (const auto& event : batch) {
            events.push_back(event.payload);
            events.back()["madeAt"] = event.madeAt;
        }
        HttpRequest request;
        request.method = "POST";
        request.url = url + (endsWith(url, "/") ? "events" : "/events");
        request.setHeader("Content-Type", "application/json");
        request.body = events.dump(-1, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
        return request;
    };
    return {.path = options.directory + "/pending.json",
            .what = "playback-quality events",
            .payloadKey = "event",
            .isValid = [](const Json& event) { return event.is_object() && event.contains("session"); },
            .makeRequest = std::move(makeRequest),
            .transport = options.transport,
            .clock = options.clock,
            .writer = options.writer};
}

void HttpPlaybackQualityClient::attach(RunLoop& mainQueue) { queue_->attach(mainQueue); }

void HttpPlaybackQualityClient::start(const std::string& customerKey) { customerKey_ = customerKey; }

PlaybackQualityClient::SessionKey HttpPlaybackQualityClient::createSession(const PlaybackQualityContentInfo& content) {
    const SessionKey key = ++lastKey_;
    auto& session = sessions_[key];
    session.id = toLower(makeUUIDString());
    // Join time counts from here: session set-up and key exchange are part of the viewer's wait.
    session.monitor = std::make_unique<PlaybackQualityMonitor>(
        Platform::current().clock().monotonicSeconds(), [this, key](Json event) {
            if (auto it = sessions_.find(key); it != sessions_.end()) record(it->second, std::move(event));
        });
    Json tags = Json::object();
    for (const auto& [name, value] : content.tags) tags[name] = value;
    record(session, {{"type", "sessionStart"},
                     {"customerKey", customerKey_},
                     {"assetName", content.assetName},
                     {"cdnName", content.cdnName},
                     {"isLive", content.isLive},
                     {"playerName", content.playerName},
                     {"viewerId", content.viewerId},
                     {"tags", std::move(tags)}});
    return key;
}

void HttpPlaybackQualityClient::attachPlayer(SessionKey key, std::shared_ptr<MediaPlayer> player) {
    auto it = sessions_.find(key);
    if (it == sessions_.end()) return;
    record(it->second, {{"type", "playerAttached"}});
    it->second.monitor->attach(std::move(player));
}

void HttpPlaybackQualityClient::reportError(SessionKey key, const std::string& text) {
    if (auto it = sessions_.find(key); it != sessions_.end()) record(it->second, {{"type", "error"}, {"text", text}});
}

void HttpPlaybackQualityClient::sendEvent(const std::string& name, const Attributes& attributes) {
    for (auto& [key, session] : sessions_)
        record(session, {{"type", "event"}, {"name", name}, {"attributes", attributes}});
}

void HttpPlaybackQualityClient::cleanupSession(SessionKey key) {
    auto it = sessions_.find(key);
    if (it == sessions_.end()) return;
    it->second.monitor->detach();
    Json end = it->second.monitor->summary();
    end["type"] = "sessionEnd";
    record(it->second, std::move(end));
    sessions_.erase(it);
}

void HttpPlaybackQualityClient::shutdown() {
    sessions_.clear();
    queue_->shutdown();
}

void HttpPlaybackQualityClient::record(Session& session, Json event) {
    event["session"] = session.id;
    event["seq"] = ++session.sequence;
    queue_->add(std::move(event));
    queue_->dispatch();
}

}  // namespace movra
