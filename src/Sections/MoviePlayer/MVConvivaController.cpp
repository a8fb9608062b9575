#include "Sections/MoviePlayer/MVConvivaController.h"

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"

#include <stdexcept>

namespace movra {

MVConvivaController::~MVConvivaController() { tearDownSession(); }

void MVConvivaController::startSessionWithAssetItem(const MVItem& item) {
    if (convivaSession_) return;
    auto client = MVHTTPClient::sharedClient();
    PlaybackQualityContentInfo content;
    content.assetName = item.analyticsLabel().value_or("");
    content.cdnName = kCdnName;
    content.isLive = false;
    content.playerName = kPlayerName;
    content.viewerId = client ? client->identityGuid().value_or("") : "";
    const Json tags = convivaMetadataFromAsset(item, client, MVDiscriminator::sharedDiscriminator(),
                                               /*requiresChromecastKeys=*/false);
    for (const auto& [key, value] : tags.items()) content.tags.emplace_back(key, value.get<std::string>());
    convivaSession_ = Platform::current().playbackQuality().createSession(content);
}

void MVConvivaController::attachPlayerToSession(const std::shared_ptr<MediaPlayer>& player) {
    if (!player) return;
    if (player->isExternalPlaybackActive()) sendAirplayIsEnabledEvent(true);
    if (convivaSession_) Platform::current().playbackQuality().attachPlayer(*convivaSession_, player);
}

void MVConvivaController::tearDownSession() {
    if (!convivaSession_) return;
    const auto session = *convivaSession_;
    convivaSession_.reset();
    // The library is an outside component: whatever its clean-up throws must not take the player down.
    try {
        Platform::current().playbackQuality().cleanupSession(session);
    } catch (const std::exception& exception) {
        Log::error("Playback-quality session clean-up failed: {}", exception.what());
    }
}

void MVConvivaController::tearDownSessionWithError(const std::string& text) {
    if (!convivaSession_) return;
    Platform::current().playbackQuality().reportError(*convivaSession_, text);
    tearDownSession();
}

void MVConvivaController::sendAirplayIsEnabledEvent(bool enabled) { sendEnabledEvent("AirPlay", enabled); }

void MVConvivaController::sendChromecastIsEnabledEvent(bool enabled) { sendEnabledEvent("Chromecast", enabled); }

void MVConvivaController::sendEnabledEvent(const std::string& name, bool enabled) {
    Platform::current().playbackQuality().sendEvent(name, {{"enabled", enabled ? "true" : "false"}});
}

Json MVConvivaController::convivaMetadataFromAsset(const MVItem& item, const std::shared_ptr<MVHTTPClient>& client,
                                                   const std::shared_ptr<MVDiscriminator>& discriminator,
                                                   bool requiresChromecastKeys) {
    Json metadata = Json::object();
    const auto add = [&](const char* key, const std::optional<std::string>& value) {
        if (!isEmpty(value)) metadata[key] = *value;
    };
    const auto content = item.movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
    add("AccountId", client ? client->accountGuid() : std::nullopt);
    add("DeviceId", client ? std::optional(client->deviceId()) : std::nullopt);
    add("EpisodeName", item.episode());
    add("EpisodeNumber",
        item.episodeInSeason() ? std::optional(std::to_string(*item.episodeInSeason())) : std::nullopt);
    add("CountryName", discriminator ? discriminator->countryCode() : std::nullopt);
    const auto expression = content ? content->expression() : std::nullopt;
    metadata["IsTrailer"] = expression && toLower(*expression) == "sample" ? "true" : "false";
    add("Profile", content ? content->profile() : std::nullopt);
    // This machine tells no cellular network from any other: a reachable network is the "WIFI" kind.
    if (Platform::current().reachability().isReachable()) metadata["NetStatus"] = "WIFI";
    metadata["Operator"] =
        discriminator && discriminator->homeTenant() == MVRegionTenantSolara ? "Movra Spain" : "Movra Tavik";
    const auto ratings = item.ratings();
    add("Rating", ratings.empty() ? std::nullopt : ratings.front().ratingValue());
    add("Season", item.season());
    // Catalogue keywords are written "Drama, Thriller": the space after the comma is no part of a genre.
    const auto genres = isEmpty(item.keywords()) ? std::vector<std::string>() : split(*item.keywords(), ",");
    if (!genres.empty()) add("Genre", trim(genres[0]));
    if (genres.size() > 1) add("SecondaryGenre", trim(genres[1]));
    const bool isEpisode = item.episodeInSeries().value_or(0) != 0 && !isEmpty(item.season());
    add("Show", isEpisode ? item.series() : item.title());
    add("HouseId", item.houseId());
    if (requiresChromecastKeys) {
        add("ViewerId", client ? client->identityGuid() : std::nullopt);
        add("AnalyticsLabel", item.analyticsLabel());
    }
    return metadata;
}

}  // namespace movra
