// GStreamerLoopbackEndpoint: the one place the demuxer of an item fetches from: an HTTP server on 127.0.0.1
// (ephemeral port) under an unguessable path. It fetches playlists and segments through the platform's
// transport (which trusts the deployment's CA file), rewrites every playlist so that its URIs point back
// here, and answers each key URI of a custom scheme ("skd://...") with what the asset's resource-loader
// delegate gave for it. A key once answered is kept for the item's life: a reload does not ask again.
//
// Renditions are chosen here, not with select-streams events (on GStreamer 1.22 hlsdemux2 can stall on
// them for good): the master playlist served holds only the chosen audio and subtitle renditions, and the
// item reloads its pipeline when the choice changes.
//
// Thread contract: constructed and destroyed on the main queue; the callbacks run on the server's threads.
// Destruction wakes every waiting request, stops the server and joins its threads.
#pragma once

#include "Platform/GStreamerMediaAsset.h"
#include "Platform/HttpTransport.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace movra {

class GStreamerLoopbackEndpoint {
  public:
    struct Callbacks {
        /// A key could not be had: the item fails with `error`.
        std::function<void(ErrorPtr error)> failed;
        /// One event for the item's error log.
        std::function<void(std::string line)> logged;
        /// The demuxer fetched media of a variant of another declared bandwidth than before.
        std::function<void(double bitsPerSecond)> variantChanged;
    };
    struct RenditionChoice {
        /// An audio rendition's NAME; nullopt, or a name the playlist lacks: its default, else its first.
        std::optional<std::string> audio;
        /// A subtitle rendition's NAME; nullopt: none.
        std::optional<std::string> subtitles;
        bool operator==(const RenditionChoice&) const = default;
    };
    /// Failed downloads of one file in a row after which the item fails: the demuxer retries a server error
    /// for good, and the picture would freeze while the sound plays on.
    static constexpr int kDownloadAttempts = 4;
    /// How long a key request waits for the delegate's answer.
    static constexpr double kKeyTimeoutSeconds = 20;

    GStreamerLoopbackEndpoint(std::shared_ptr<GStreamerMediaAsset> asset, std::shared_ptr<HttpTransport> transport,
                              Callbacks callbacks);
    ~GStreamerLoopbackEndpoint();
    GStreamerLoopbackEndpoint(const GStreamerLoopbackEndpoint&) = delete;
    GStreamerLoopbackEndpoint& operator=(const GStreamerLoopbackEndpoint&) = delete;

    /// The URL the demuxer opens: the asset's playlist, through this endpoint; empty when the server could
    /// not start.
    const std::string& entryUrl() const { return entryUrl_; }

    /// Applies to the master playlist served from now on.
    void setRenditionChoice(RenditionChoice choice);
    /// The choice the last master playlist was served with; nullopt before the first.
    std::optional<RenditionChoice> servedChoice() const;
    /// `master` with only the renditions `choice` keeps.
    static std::string chooseRenditions(const std::string& master, const RenditionChoice& choice);

  private:
    /// What a waiting request wakes on; shared with the answers, which may come after the endpoint is gone.
    struct Signal {
        std::mutex mutex;
        std::condition_variable changed;
        bool closed = false;
    };
    struct Target {
        std::string url;
        bool isKey = false;
        /// Listed under an AES-128 key: a body that is not whole cipher blocks is damaged.
        bool encrypted = false;
        /// Media of the variant of this declared bandwidth.
        std::optional<double> bandwidth;
    };

    void handle(const httplib::Request& request, httplib::Response& response);
    void answerKey(const std::string& url, httplib::Response& response);
    void answerUpstream(const Target& target, httplib::Response& response);
    /// Notes the declared bandwidth of each variant of a master `playlist` served from `base`.
    void rememberVariantsLocked(const std::string& playlist, const std::string& base);
    /// Counts a failed download of `url`; the item fails at the kDownloadAttempts-th in a row.
    void downloadFailed(const std::string& url, const std::string& why);
    /// The local URL for `uri` (absolute, or relative to `base`), registered on first use.
    std::string localUrl(const std::string& uri, const std::string& base, bool encrypted = false,
                         std::optional<double> bandwidth = std::nullopt);
    /// Waits until `done` (called under the signal's lock) holds, the deadline passes or the endpoint
    /// closes; true when done.
    bool waitFor(double seconds, const std::function<bool()>& done);

    const std::shared_ptr<GStreamerMediaAsset> asset_;
    const std::shared_ptr<HttpTransport> transport_;
    const Callbacks callbacks_;
    const std::string token_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::string prefix_;  // "http://127.0.0.1:PORT/TOKEN/"
    std::string entryUrl_;

    const std::shared_ptr<Signal> signal_ = std::make_shared<Signal>();
    mutable std::mutex mutex_;
    std::vector<Target> targets_;              // guarded by mutex_
    std::map<std::string, size_t> byUrl_;      // guarded by mutex_
    std::map<std::string, std::string> keys_;  // guarded by mutex_
    std::map<std::string, int> failures_;      // guarded by mutex_: failed downloads in a row, by URL
    std::map<std::string, double> variants_;   // guarded by mutex_: declared bandwidth, by variant playlist URL
    std::optional<double> fetchedBandwidth_;   // guarded by mutex_: of the variant whose media went out last
    RenditionChoice choice_;                   // guarded by mutex_
    std::optional<RenditionChoice> served_;    // guarded by mutex_
};

}  // namespace movra
