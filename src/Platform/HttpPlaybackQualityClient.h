// HttpPlaybackQualityClient: the playback-quality client that reports to a collector. Each session gets an
// id (a UUID); its start (content description, tags and customer key), what its monitor measures of the
// attached player, the error reported, the named events and its end (with the totals) become events
// {"session", "seq", "type", "madeAt", ...}. They are queued durably (DurableEventQueue,
// "<directory>/pending.json") and POSTed as a JSON list of up to 20 to "<collector>/events" as soon as they
// are made; while the collector is down they wait and go again every retry interval.
//
// Thread contract: main queue, but for flush(), which may be called from any thread. Transport completions
// run on the transport's thread.
#pragma once

#include "Foundation/Clock.h"
#include "Foundation/DispatchQueue.h"
#include "Foundation/RunLoop.h"
#include "Platform/DurableEventQueue.h"
#include "Platform/HttpTransport.h"
#include "Platform/PlaybackQualityClient.h"
#include "Platform/PlaybackQualityMonitor.h"

#include <map>
#include <memory>
#include <string>

namespace movra {

class HttpPlaybackQualityClient final : public PlaybackQualityClient {
  public:
    struct Options {
        /// Base URL of the collector; events go to "<collectorUrl>/events".
        std::string collectorUrl;
        /// The client's folder ("<data directory>/playback-quality"), created (0700) when missing.
        std::string directory;
        std::shared_ptr<HttpTransport> transport;
        std::shared_ptr<Clock> clock;
        /// Seconds between attempts while events wait for the collector.
        double retryIntervalSeconds = 10;
        /// The serial queue the pending file is written on. Null: a queue of its own.
        std::shared_ptr<DispatchQueue> writer = nullptr;
    };

    explicit HttpPlaybackQualityClient(Options options);
    ~HttpPlaybackQualityClient() override;
    HttpPlaybackQualityClient(const HttpPlaybackQualityClient&) = delete;
    HttpPlaybackQualityClient& operator=(const HttpPlaybackQualityClient&) = delete;

    /// Runs the retries on `mainQueue`.
    void attach(RunLoop& mainQueue);

    void start(const std::string& customerKey) override;
    SessionKey createSession(const PlaybackQualityContentInfo& content) override;
    void attachPlayer(SessionKey session, std::shared_ptr<MediaPlayer> player) override;
    void reportError(SessionKey session, const std::string& text) override;
    void sendEvent(const std::string& name, const Attributes& attributes) override;
    void cleanupSession(SessionKey session) override;
    /// Drops the open sessions without ending them and writes the pending file.
    void shutdown() override;

    bool flush(double timeoutSeconds) override { return queue_->flush(timeoutSeconds); }

  private:
    struct Session {
        std::string id;
        int sequence = 0;
        std::unique_ptr<PlaybackQualityMonitor> monitor;
    };

    static DurableEventQueue::Options queueOptions(const Options& options);
    /// Queues `event` of `session` and sends it.
    void record(Session& session, Json event);

    const std::shared_ptr<DurableEventQueue> queue_;
    std::string customerKey_;
    SessionKey lastKey_ = 0;
    std::map<SessionKey, Session> sessions_;
};

}  // namespace movra
