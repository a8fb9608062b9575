// PlaybackApi: what the emulated service serves for playback. The streaming session at
// "/stoffice/session/<guid>?assetId=<asset>&profile=MVTK-HLS-FPS" (a title's native media content URL):
// GET with responseType=xml opens it and answers the stream URL, cue points, the chain-play countdown and
// the next episode; POST records a bookmark ("bookmarkSecs"); DELETE closes it, recording the final
// bookmark when one comes. The key server at "/stoffice/drm/fps/" answers an asset's AES-128 key for a key
// request made with the application certificate. The media itself is served below "/media/<asset>/".
//
// Thread contract: routes are added before the server starts; handlers run on the server's worker threads.
#pragma once

#include "movra-backend/AccountStore.h"
#include "movra-backend/ClientApi.h"
#include "movra-backend/FaultInjector.h"
#include "movra-backend/MediaLibrary.h"
#include "movra-backend/Router.h"
#include "movra-backend/StreamingSessions.h"

#include <functional>
#include <string>

namespace movra::backend {

class PlaybackApi {
  public:
    static constexpr const char* kSessionPath = "/stoffice/session/";
    static constexpr const char* kKeyServerPath = "/stoffice/drm/fps/";
    static constexpr const char* kMediaPath = "/media/";
    /// Seconds before the end of an episode at which the next one is offered.
    static constexpr int kChainPlaySeconds = 10;

    /// `certificateFile` is asked on every key request: the file exists only once the server has started.
    PlaybackApi(ClientApi& clientApi, MediaLibrary& media, AccountStore& accounts, StreamingSessions& sessions,
                const FaultInjector& faults, std::function<std::string()> certificateFile);

    void addRoutes(Router& router);

    /// The native media content URL of a title under `baseUrl` ("https://host:port").
    static std::string sessionUrl(std::string_view baseUrl, const std::string& guid);
    /// The master playlist of an asset under `baseUrl`.
    static std::string playlistUrl(std::string_view baseUrl, const std::string& assetId);

  private:
    void openSession(ClientApi::Call& call);
    void postBookmark(ClientApi::Call& call);
    void closeSession(ClientApi::Call& call);
    void answerKey(const httplib::Request& request, httplib::Response& response);
    void serveMedia(const httplib::Request& request, httplib::Response& response, const std::smatch& match);

    ClientApi& clientApi_;
    MediaLibrary& media_;
    AccountStore& accounts_;
    StreamingSessions& sessions_;
    const FaultInjector& faults_;
    std::function<std::string()> certificateFile_;
};

}  // namespace movra::backend
