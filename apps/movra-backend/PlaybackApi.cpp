// Streaming sessions, the key server and the media files of the emulated service.
#include "movra-backend/PlaybackApi.h"

#include "Foundation/Crypto.h"
#include "Foundation/Strings.h"
#include "Platform/AtomicFile.h"
#include "movra-backend/FeedChannel.h"
#include "movra-backend/FormEncoding.h"
#include "movra-backend/SampleCatalogue.h"
#include "movra-backend/XmlWriter.h"

#include <httplib.h>

#include <regex>

namespace movra::backend {

namespace {

constexpr const char* kHlsProfile = "MVTK-HLS-FPS";
constexpr const char* kUnavailable = "Playback is temporarily unavailable. Please try again later.";

void respondText(httplib::Response& response, int status, const std::string& text) {
    response.status = status;
    response.set_content(text, "text/plain");
}

// The episode after `episode`, into the next season when it is the last of its own; nullptr after the last.
const CatalogueNode* nextEpisode(const CatalogueNode& episode) {
    const CatalogueNode* season = episode.parent;
    const CatalogueNode* series = season ? season->parent : nullptr;
    if (!series) return nullptr;
    bool passed = false;
    for (const CatalogueNode::Child& seasonChild : series->children) {
        for (const CatalogueNode::Child& child : seasonChild.node->children) {
            if (passed) return child.node;
            passed = child.node == &episode;
        }
    }
    return nullptr;
}

std::string baseUrlOf(const httplib::Request& request) {
    const std::string host = request.get_header_value("Host");
    return "https://" + (host.empty() ? std::string("localhost") : host);
}

// The document of a session answer other than success.
void respondStatus(httplib::Response& response, int httpStatus, const std::string& status,
                   const std::string& errorCode = {}, const std::string& userMessage = {},
                   const std::string& systemMessage = {}) {
    XmlWriter xml;
    xml.open("result")
        .element("status", status)
        .optionalElement("errorCode", errorCode)
        .optionalElement("userMessage", userMessage)
        .optionalElement("systemMessage", systemMessage);
    response.status = httpStatus;
    response.set_content(xml.finish(), "application/xml");
}

void respondSuccess(httplib::Response& response) { respondStatus(response, 200, "success"); }

// An error status, so that the client reads the code from the body of a failed request.
void respondPaymentMissing(httplib::Response& response, const std::string& systemMessage) {
    respondStatus(response, 402, "Failure", "ST2002", "Your subscription's payment is missing.", systemMessage);
}

}  // namespace

PlaybackApi::PlaybackApi(ClientApi& clientApi, MediaLibrary& media, AccountStore& accounts, StreamingSessions& sessions,
                         const FaultInjector& faults, std::function<std::string()> certificateFile)
    : clientApi_(clientApi),
      media_(media),
      accounts_(accounts),
      sessions_(sessions),
      faults_(faults),
      certificateFile_(std::move(certificateFile)) {}

std::string PlaybackApi::sessionUrl(std::string_view baseUrl, const std::string& guid) {
    return std::string(baseUrl) + kSessionPath + guid + "?assetId=" + MediaLibrary::assetForTitle(guid).id +
           "&profile=" + kHlsProfile;
}

std::string PlaybackApi::playlistUrl(std::string_view baseUrl, const std::string& assetId) {
    return std::string(baseUrl) + kMediaPath + assetId + "/master.m3u8";
}

void PlaybackApi::addRoutes(Router& router) {
    const std::string session = std::string(kSessionPath) + "([^/]+)";
    using Access = ClientApi::Access;
    clientApi_.addAbsolute(router, "GET", session, Access::Reported,
                           [this](ClientApi::Call& call) { openSession(call); });
    clientApi_.addAbsolute(router, "POST", session, Access::Reported,
                           [this](ClientApi::Call& call) { postBookmark(call); });
    clientApi_.addAbsolute(router, "DELETE", session, Access::Reported,
                           [this](ClientApi::Call& call) { closeSession(call); });
    router.add("POST", kKeyServerPath, Router::Face::Media,
               [this](const httplib::Request& request, httplib::Response& response, const std::smatch&) {
                   answerKey(request, response);
               });
    router.add("GET", std::string(kMediaPath) + "([a-z]+)/(.+)", Router::Face::Media,
               [this](const httplib::Request& request, httplib::Response& response, const std::smatch& match) {
                   serveMedia(request, response, match);
               });
}

namespace {

// The title a session request names, checked against the parameters of its URL; nullptr once refused.
const CatalogueNode* sessionTitle(ClientApi::Call& call) {
    const std::string guid = call.match[1].str();
    const CatalogueNode* title = SampleCatalogue::shared().withGuid(guid);
    if (!title || !title->isPlayable()) {
        ErrorDocument{ErrorDocument::codeForStatus(404), "The requested content could not be found.",
                      "No title to stream at " + guid}
            .respond(call.response, 404);
        return nullptr;
    }
    const std::string assetId = call.request.get_param_value("assetId");
    if (assetId != MediaLibrary::assetForTitle(guid).id || call.request.get_param_value("profile") != kHlsProfile) {
        ClientApi::badRequest("Query parameters assetId \"" + assetId + "\" and profile \"" +
                              call.request.get_param_value("profile") + "\" do not name the stream of " + guid)
            .respond(call.response, 400);
        return nullptr;
    }
    return title;
}

// "bookmarkSecs" as whole seconds: nullopt when absent, -1 when malformed.
std::optional<long long> bookmarkSeconds(const httplib::Request& request) {
    if (!request.has_param("bookmarkSecs")) return std::nullopt;
    auto seconds = FormEncoding::decimal(request.get_param_value("bookmarkSecs"));
    return seconds && *seconds >= 0 ? *seconds : -1;
}

bool refuseWithoutAccount(ClientApi::Call& call) {
    if (call.account) return false;
    respondStatus(call.response, 200, "authenticate", {}, "Please sign in again.",
                  "No live device token for device " + call.request.get_header_value("X-Stravo-DeviceId"));
    return true;
}

}  // namespace

void PlaybackApi::openSession(ClientApi::Call& call) {
    const CatalogueNode* title = sessionTitle(call);
    if (!title) return;
    if (call.request.get_param_value("responseType") != "xml") {
        return ClientApi::badRequest("Query parameter responseType must be \"xml\"").respond(call.response, 400);
    }
    switch (faults_.sessionAnswer()) {
        case FaultInjector::SessionAnswer::Normal:
            break;
        case FaultInjector::SessionAnswer::Authenticate:
            return respondStatus(call.response, 200, "authenticate");
        case FaultInjector::SessionAnswer::PaymentMissing:
            return respondPaymentMissing(call.response, "Injected payment failure");
        case FaultInjector::SessionAnswer::Error:
            return respondStatus(call.response, 200, "playbackError", {},
                                 "This title cannot be played right now. Please try again later.",
                                 "Injected playback error");
        case FaultInjector::SessionAnswer::NoUrl:
            return respondStatus(call.response, 200, "success");
        case FaultInjector::SessionAnswer::Unmappable:
            call.response.set_content("session opened, see you later", "application/xml");
            return;
    }
    if (refuseWithoutAccount(call)) return;
    if (call.account->paymentMissing) {
        return respondPaymentMissing(call.response, "The subscription of " + call.account->userName + " is not paid");
    }
    if (auto error = media_.ensure()) {
        return ErrorDocument{ErrorDocument::codeForStatus(503), kUnavailable, "The emulator has no media: " + *error}
            .respond(call.response, 503);
    }
    const std::string deviceId = call.request.get_header_value("X-Stravo-DeviceId");
    if (!sessions_.open(call.account->userName, deviceId, title->guid)) {
        return respondStatus(call.response, 200, "concurrentStreams", "ST2010",
                             "You are already watching on two devices. Stop playback on one of them to watch here.",
                             "Account " + call.account->userName + " has " +
                                 std::to_string(StreamingSessions::kMaxPerAccount) + " open sessions");
    }

    const std::string baseUrl = baseUrlOf(call.request);
    const StreamAsset& asset = MediaLibrary::assetForTitle(title->guid);
    const CatalogueNode* next = title->kind == CatalogueNode::Kind::Episode ? nextEpisode(*title) : nullptr;
    XmlWriter xml;
    xml.open(
           "result",
           {{"xmlns:stravo", kStravoNamespace}, {"xmlns:media", kMediaNamespace}, {"xmlns:dcterms", kDctermsNamespace}})
        .element("status", "success")
        .element("url", playlistUrl(baseUrl, asset.id))
        .element("realm", "movra");
    xml.open("stravo:cuePoints");
    if (next) {
        const int at = std::max(0, asset.durationSeconds - kChainPlaySeconds) * 1000;
        xml.element("stravo:cuePoint", std::to_string(at), {{"type", "chainplay"}});
    }
    xml.close().element("stravo:chainplayTimer", std::to_string(kChainPlaySeconds));
    if (next) {
        FeedItem item = next->feedItem(baseUrl);
        const SubscriberLists lists = accounts_.lists(*call.account);
        item.savedAsset = lists.isSaved(item.guid);
        item.bookmark = lists.bookmarkFor(item.guid);
        item.write(xml);
    }
    call.response.set_content(xml.finish(), "application/xml");
}

void PlaybackApi::postBookmark(ClientApi::Call& call) {
    const CatalogueNode* title = sessionTitle(call);
    if (!title || refuseWithoutAccount(call)) return;
    auto seconds = bookmarkSeconds(call.request);
    if (!seconds || *seconds < 0) {
        return ClientApi::badRequest("Parameter bookmarkSecs must be whole seconds").respond(call.response, 400);
    }
    accounts_.setBookmark(*call.account, title->guid, static_cast<int>(std::min<long long>(*seconds, 1 << 30)));
    respondSuccess(call.response);
}

void PlaybackApi::closeSession(ClientApi::Call& call) {
    const CatalogueNode* title = sessionTitle(call);
    if (!title || refuseWithoutAccount(call)) return;
    auto seconds = bookmarkSeconds(call.request);
    if (seconds && *seconds < 0) {
        return ClientApi::badRequest("Parameter bookmarkSecs must be whole seconds").respond(call.response, 400);
    }
    sessions_.close(call.account->userName, call.request.get_header_value("X-Stravo-DeviceId"));
    if (seconds) {
        accounts_.setBookmark(*call.account, title->guid, static_cast<int>(std::min<long long>(*seconds, 1 << 30)));
    }
    respondSuccess(call.response);
}

void PlaybackApi::answerKey(const httplib::Request& request, httplib::Response& response) {
    std::string problem;
    if (!clientApi_.deviceAccount(request, &problem)) return respondText(response, 401, problem);
    if (auto error = media_.ensure()) return respondText(response, 503, "The emulator has no media: " + *error);
    const std::string keyId = request.get_param_value("keyId");
    const std::string assetId = request.get_param_value("assetId");
    auto asset = media_.assetWithKeyId(keyId);
    if (!asset) return respondText(response, 403, "No content key " + keyId);
    const CatalogueNode* title = SampleCatalogue::shared().withGuid(assetId);
    if (!title || !title->isPlayable() || MediaLibrary::assetForTitle(assetId).id != asset->id) {
        return respondText(response, 403, "Key " + keyId + " does not belong to title " + assetId);
    }
    auto certificate = AtomicFile::read(certificateFile_()).contents;
    if (!certificate) return respondText(response, 503, "The emulator has no application certificate");
    // The key request: the certificate's SHA-256, then the content identifier.
    constexpr std::size_t kDigest = 32;
    if (request.body.size() <= kDigest || request.body.compare(0, kDigest, sha256(*certificate)) != 0) {
        return respondText(response, 403, "The key request was not made with this service's application certificate");
    }
    if (request.body.compare(kDigest, std::string::npos, keyId) != 0) {
        return respondText(response, 403, "The key request asks for another content identifier than " + keyId);
    }
    response.set_content(asset->key, "application/octet-stream");
}

void PlaybackApi::serveMedia(const httplib::Request&, httplib::Response& response, const std::smatch& match) {
    const std::string assetId = match[1].str();
    const std::string file = match[2].str();
    static const std::regex kServed(R"([a-z0-9_]+/[a-z0-9_.]+\.(m3u8|ts|vtt|jpg)|master\.m3u8)");
    if (!std::regex_match(file, kServed) || file.find("..") != std::string::npos) {
        return respondText(response, 404, "No media file " + file);
    }
    if (auto error = media_.ensure()) return respondText(response, 503, "The emulator has no media: " + *error);
    if (!media_.asset(assetId)) return respondText(response, 404, "No asset " + assetId);
    auto contents = AtomicFile::read(media_.root() + "/" + assetId + "/" + file).contents;
    if (!contents) return respondText(response, 404, "No media file " + assetId + "/" + file);
    const char* type = endsWith(file, ".m3u8")  ? "application/vnd.apple.mpegurl"
                       : endsWith(file, ".ts")  ? "video/mp2t"
                       : endsWith(file, ".vtt") ? "text/vtt"
                                                : "image/jpeg";
    response.set_content(std::move(*contents), type);
}

}  // namespace movra::backend
