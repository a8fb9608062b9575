// This file implements the emulated receiver application of the service.
#include "movra-backend/CastReceiverApplication.h"

#include "Foundation/Log.h"
#include "movra-backend/MediaLibrary.h"
#include "movra-backend/SampleCatalogue.h"

#include <algorithm>

namespace movra::backend {

namespace {

/// The audio renditions of the emulator's media, as the dubbing list names them.
const std::pair<const char*, const char*> kAudioTracks[] = {{"sv", "Svenska"}, {"en", "English"}, {"fi", "Suomi"}};

constexpr const char* kCustomDataKeys[] = {"deviceId",         "deviceToken", "assetId", "language",
                                           "subtitleLanguage", "audioTrack",  "item",    "convivaMetadata"};

const char* stateName(int state) {
    static const char* names[] = {"IDLE", "BUFFERING", "PLAYING", "PAUSED"};
    return names[state];
}

/// The episode after `guid` in its season, else the first of the next season; nullptr after the last one.
const CatalogueNode* nextEpisode(const std::string& guid) {
    const CatalogueNode* episode = SampleCatalogue::shared().withGuid(guid);
    if (!episode || episode->kind != CatalogueNode::Kind::Episode || !episode->parent) return nullptr;
    auto after = [](const CatalogueNode& folder, const CatalogueNode* node) -> const CatalogueNode* {
        for (std::size_t i = 0; i + 1 < folder.children.size(); ++i)
            if (folder.children[i].node == node) return folder.children[i + 1].node;
        return nullptr;
    };
    if (auto next = after(*episode->parent, episode)) return next;
    const CatalogueNode* season = episode->parent;
    for (const CatalogueNode* next = season->parent ? after(*season->parent, season) : nullptr; next;
         next = after(*season->parent, next))
        if (!next->children.empty()) return next->children.front().node;
    return nullptr;
}

Json itemDictionary(const CatalogueNode& node) {
    return {{"guid", node.guid},
            {"title", node.title},
            {"seasonNumber", node.seasonNumber},
            {"episodeNumber", node.episodeInSeason},
            {"series", node.seriesTitle},
            {"episodeDescription", node.description},
            {"language", ""},
            {"images", Json::array()},
            {"videos", Json::array()},
            {"subtitles", Json::array()}};
}

}  // namespace

CastReceiverApplication::CastReceiverApplication(AccountStore& accounts, StreamingSessions& sessions, double speed,
                                                 Broadcast broadcast)
    : accounts_(accounts), sessions_(sessions), speed_(speed), broadcast_(std::move(broadcast)) {}

CastReceiverApplication::~CastReceiverApplication() { closeStreamingSession(); }

const std::vector<std::string>& CastReceiverApplication::namespaces() {
    static const std::vector<std::string> all = {kMediaNamespace, kSubtitlesNamespace, kDubbingNamespace,
                                                 kErrorNamespace, kTeardownNamespace,  kChainPlayNamespace};
    return all;
}

void CastReceiverApplication::senderConnected(const Reply& reply) { reply(kSubtitlesNamespace, "ready"); }

double CastReceiverApplication::position(TimePoint now) const {
    double position = basePosition_;
    if (state_ == PlayerState::Playing) position += std::chrono::duration<double>(now - since_).count() * speed_;
    return media_ ? std::clamp(position, 0.0, media_->duration) : 0.0;
}

void CastReceiverApplication::setState(PlayerState state, TimePoint now) {
    basePosition_ = position(now);
    since_ = now;
    state_ = state;
}

Json CastReceiverApplication::statusEntry(TimePoint now, const Json& idleReason, bool withMedia) const {
    Json entry = {{"mediaSessionId", media_->mediaSessionId},
                  {"playbackRate", 1},
                  {"playerState", stateName(static_cast<int>(state_))},
                  {"currentTime", position(now)},
                  {"supportedMediaCommands", 15},
                  {"volume", {{"level", 1}, {"muted", false}}}};
    // As a receiver does, the media goes with the first status of a title and answers to a status request;
    // senders keep it from there.
    if (withMedia) entry["media"] = media_->information;
    entry["customData"] = {{"item", media_->item}};
    if (state_ == PlayerState::Idle && !idleReason.is_null()) entry["idleReason"] = idleReason;
    return entry;
}

void CastReceiverApplication::broadcastStatus(std::int64_t requestId, TimePoint now, const Json& idleReason,
                                              bool withMedia) {
    Json status = Json::array();
    if (media_) {
        status.push_back(statusEntry(now, idleReason, withMedia || !mediaAnnounced_));
        mediaAnnounced_ = true;
    }
    broadcast_(kMediaNamespace, Json{{"type", "MEDIA_STATUS"}, {"requestId", requestId}, {"status", status}}.dump());
}

void CastReceiverApplication::sendDubbingList() {
    Json tracks = Json::array();
    int index = 0;
    for (const auto& [language, name] : kAudioTracks)
        tracks.push_back(
            {{"language", language}, {"name", name}, {"streamIndex", index++}, {"enabled", audioTrack_ == name}});
    broadcast_(kDubbingNamespace, Json{{"tracks", tracks}}.dump());
}

void CastReceiverApplication::closeStreamingSession() {
    if (!media_ || !media_->streamingSessionOpen) return;
    sessions_.close(media_->userName, media_->deviceId);
    media_->streamingSessionOpen = false;
}

bool CastReceiverApplication::handle(const std::string& nameSpace, const std::string& text, const Reply& reply,
                                     TimePoint now) {
    if (nameSpace == kMediaNamespace) {
        const Json request = Json::parse(text, nullptr, /*allow_exceptions=*/false);
        handleMedia(request, reply, now);
    } else if (nameSpace == kSubtitlesNamespace) {
        subtitle_ = text;
    } else if (nameSpace == kDubbingNamespace) {
        const Json choice = Json::parse(text, nullptr, /*allow_exceptions=*/false);
        if (text == "off")
            audioTrack_.clear();
        else if (auto name = stringValue(choice, "audioTrack"))
            audioTrack_ = *name;
        sendDubbingList();
    } else if (nameSpace == kChainPlayNamespace) {
        const Json message = Json::parse(text, nullptr, /*allow_exceptions=*/false);
        if (stringValue(message, "type") == "DISMISS" && !nextItem_.is_null()) {
            chainPlayDismissed_ = true;
            broadcast_(kChainPlayNamespace, Json{{"type", "DISMISSED"}}.dump());
        }
    } else if (nameSpace == kTeardownNamespace) {
        closeStreamingSession();
        return false;
    }
    return true;
}

void CastReceiverApplication::handleMedia(const Json& request, const Reply& reply, TimePoint now) {
    const auto type = stringValue(request, "type");
    std::int64_t requestId = 0;
    if (auto it = request.find("requestId"); request.is_object() && it != request.end() && it->is_number_integer())
        requestId = it->get<std::int64_t>();
    auto invalid = [&](const char* reason) {
        reply(kMediaNamespace, Json{{"type", "INVALID_REQUEST"}, {"requestId", requestId}, {"reason", reason}}.dump());
    };
    if (!type) return invalid("INVALID_COMMAND");
    if (*type == "LOAD") return load(request, reply, now);
    if (*type == "GET_STATUS") return broadcastStatus(requestId, now, Json(), /*withMedia=*/true);
    const auto session = request.find("mediaSessionId");
    if (!media_ || state_ == PlayerState::Idle || session == request.end() || !session->is_number_integer() ||
        session->get<std::int64_t>() != media_->mediaSessionId)
        return invalid("INVALID_MEDIA_SESSION_ID");
    if (*type == "PLAY") {
        setState(PlayerState::Playing, now);
    } else if (*type == "PAUSE") {
        setState(PlayerState::Paused, now);
    } else if (*type == "SEEK") {
        auto time = request.find("currentTime");
        if (time == request.end() || !time->is_number()) return invalid("INVALID_PARAMS");
        setState(state_, now);
        basePosition_ = std::clamp(time->get<double>(), 0.0, media_->duration);
    } else if (*type == "STOP") {
        setState(PlayerState::Idle, now);
        closeStreamingSession();
        broadcastStatus(requestId, now, "CANCELLED");
        media_.reset();
        return;
    } else {
        return invalid("INVALID_COMMAND");
    }
    broadcastStatus(requestId, now);
}

void CastReceiverApplication::load(const Json& request, const Reply& reply, TimePoint now) {
    std::int64_t requestId = request.value("requestId", std::int64_t{0});
    auto fail = [&](const std::string& reason) {
        Log::info("Cast receiver: load refused: {}", reason);
        reply(kMediaNamespace, Json{{"type", "LOAD_FAILED"}, {"requestId", requestId}, {"reason", reason}}.dump());
    };
    const auto media = request.find("media");
    if (media == request.end() || !media->is_object() || !stringValue(*media, "contentId"))
        return fail("the media has no content id");
    const Json& information = *media;
    static const Json none;
    const auto customData = information.find("customData");
    const Json& custom = customData == information.end() ? none : *customData;
    for (const char* key : kCustomDataKeys)
        if (!custom.is_object() || !custom.contains(key))
            return fail(std::string("custom data without \"") + key + "\"");
    const auto deviceId = stringValue(custom, "deviceId"), token = stringValue(custom, "deviceToken"),
               guid = stringValue(custom, "assetId");
    if (!deviceId || !token || !guid || guid->empty() || !custom["item"].is_object())
        return fail("custom data of the wrong type");
    std::string problem;
    auto account = accounts_.accountForToken(*token, *deviceId, &problem);
    if (!account) return fail("device token refused: " + problem);

    closeStreamingSession();
    media_ = Media{};
    media_->userName = account->userName;
    media_->deviceId = *deviceId;
    subtitle_ = stringValue(custom, "subtitleLanguage").value_or("");
    audioTrack_ = stringValue(custom, "audioTrack").value_or("");
    double at = 0;
    if (auto it = request.find("currentTime"); it != request.end() && it->is_number()) at = it->get<double>();
    const bool autoplay = request.value("autoplay", true);
    if (!start(*guid, custom["item"], information, at, autoplay, now)) {
        media_.reset();
        return fail("the account watches on too many devices");
    }
    broadcastStatus(requestId, now);
    sendDubbingList();
}

bool CastReceiverApplication::start(const std::string& guid, const Json& item, Json information, double at,
                                    bool autoplay, TimePoint now) {
    if (!sessions_.open(media_->userName, media_->deviceId, guid)) return false;
    media_->streamingSessionOpen = true;
    media_->mediaSessionId = nextMediaSessionId_++;
    media_->guid = guid;
    media_->item = item;
    mediaAnnounced_ = false;
    double duration = 0;
    if (auto it = information.find("duration"); it != information.end() && it->is_number())
        duration = it->get<double>();
    if (duration <= 0) duration = MediaLibrary::assetForTitle(guid).durationSeconds;
    media_->duration = duration;
    information["duration"] = duration;
    // The device token stays on the receiver: other senders see the status too.
    information["customData"] = {{"item", item}};
    media_->information = std::move(information);
    nextItem_ = Json();
    chainPlayDismissed_ = false;
    basePosition_ = std::clamp(at, 0.0, duration);
    since_ = now;
    state_ = autoplay ? PlayerState::Playing : PlayerState::Paused;
    return true;
}

void CastReceiverApplication::tick(TimePoint now) {
    if (!media_ || state_ != PlayerState::Playing) return;
    const double left = media_->duration - position(now);
    if (nextItem_.is_null() && left <= kChainPlayCountdown) {
        if (const CatalogueNode* next = nextEpisode(media_->guid)) {
            nextItem_ = itemDictionary(*next);
            const Json media = {{"customData", {{"item", nextItem_}, {"chainplayTimerStart", kChainPlayCountdown}}}};
            broadcast_(kChainPlayNamespace, Json{{"type", "NEXT_MEDIA_KNOWN"},
                                                 {"isChainplay", true},
                                                 {"chainplayCountdownValue", kChainPlayCountdown},
                                                 {"media", {{"customData", {{"item", nextItem_}}}}}}
                                                .dump());
            broadcast_(kChainPlayNamespace, Json{{"type", "START"}, {"media", media}}.dump());
        }
    }
    if (left <= 0) finishTitle(now);
}

void CastReceiverApplication::finishTitle(TimePoint now) {
    ++titlesPlayed_;
    const bool moveOn = !nextItem_.is_null() && !chainPlayDismissed_;
    closeStreamingSession();
    if (moveOn) {
        const Json next = nextItem_;
        Json information = media_->information;
        information["duration"] = 0;
        if (start(next["guid"].get<std::string>(), next, std::move(information), 0, /*autoplay=*/true, now)) {
            broadcastStatus(0, now);
            sendDubbingList();
            return;
        }
    }
    setState(PlayerState::Idle, now);
    // The service's idle report: the reason as an object, code 2 for a title that ended.
    broadcastStatus(0, now, Json{{"idle", 2}});
    media_.reset();
}

void CastReceiverApplication::sendError(const Json& message, TimePoint now) {
    broadcast_(kErrorNamespace, message.dump());
    if (!media_) return;
    setState(PlayerState::Idle, now);
    closeStreamingSession();
    broadcastStatus(0, now, "ERROR");
    media_.reset();
}

Json CastReceiverApplication::toJson(TimePoint now) const {
    Json json = {{"playerState", media_ ? stateName(static_cast<int>(state_)) : "IDLE"},
                 {"subtitle", subtitle_},
                 {"audioTrack", audioTrack_},
                 {"titlesPlayed", titlesPlayed_},
                 {"nextItem", nextItem_.is_null() ? Json() : nextItem_["guid"]},
                 {"chainPlayDismissed", chainPlayDismissed_}};
    if (media_)
        json["media"] = {{"mediaSessionId", media_->mediaSessionId},
                         {"guid", media_->guid},
                         {"position", position(now)},
                         {"duration", media_->duration},
                         {"deviceId", media_->deviceId},
                         {"streamingSessionOpen", media_->streamingSessionOpen}};
    return json;
}

}  // namespace movra::backend
