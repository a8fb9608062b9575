// HttpAnalyticsTracker: the usage-analytics tracker that talks to a collector with the measurement protocol.
// Hits are queued and POSTed in batches of up to 20 to "<collector>/batch", one form-encoded hit a line, at
// every dispatch interval. The queue lives in a folder of the data directory: "client-id" keeps the
// anonymous client id for good, "pending.json" every hit the collector has not accepted yet, so hits
// survive a restart and a failed dispatch. A batch leaves the file once the collector accepts it (2xx) or
// refuses it for good (4xx other than 408 and 429); otherwise it goes again at the next dispatch.
//
// The pending file is rewritten on a serial writer queue, off the callers' threads: a change queues one
// write unless one is queued already, and that write takes the latest state, so a burst of hits costs one
// or two writes. shutdown() (the platform's, or the destructor's) writes whatever is not on disk yet.
//
// Thread contract: every member may be called from any thread. The periodic dispatch runs on the run loop
// given to attach(); transport completions run on the transport's thread and start the next batch there.
// One mutex guards the queue and the tracker's values; the writer takes it only to copy the queue. Make it
// with std::make_shared: timers and completions hold it weakly.
#pragma once

#include "Foundation/Clock.h"
#include "Foundation/DispatchQueue.h"
#include "Foundation/Json.h"
#include "Foundation/RunLoop.h"
#include "Platform/AnalyticsTracker.h"
#include "Platform/HttpTransport.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace movra {

class HttpAnalyticsTracker final : public AnalyticsTracker, public std::enable_shared_from_this<HttpAnalyticsTracker> {
  public:
    struct Options {
        /// Base URL of the collector; batches go to "<collectorUrl>/batch".
        std::string collectorUrl;
        /// The tracker's folder ("<data directory>/analytics"), created (0700) when missing.
        std::string directory;
        std::shared_ptr<HttpTransport> transport;
        /// Wall-clock time of hits, for their queue time.
        std::shared_ptr<Clock> clock;
        /// Beyond this many queued hits the oldest are dropped, when hits are added and when they are loaded.
        std::size_t maximumQueuedHits = 1000;
        /// The serial queue the pending file is written on; the tracker shuts it down with itself. Null: a
        /// queue of its own.
        std::shared_ptr<DispatchQueue> writer = nullptr;
    };

    /// Loads the client id and the pending hits; a pending file that cannot be read is moved aside to
    /// "pending.json.corrupt".
    explicit HttpAnalyticsTracker(Options options);
    ~HttpAnalyticsTracker() override;
    HttpAnalyticsTracker(const HttpAnalyticsTracker&) = delete;
    HttpAnalyticsTracker& operator=(const HttpAnalyticsTracker&) = delete;

    /// Runs the periodic dispatch on `mainQueue` (the platform's loop, which exists only once the platform
    /// is built). `mainQueue` must outlive every later configure() call.
    void attach(RunLoop& mainQueue);

    /// A dispatch interval of zero or less turns periodic dispatch off: only dispatch() and flush() send.
    void configure(const std::string& trackingId, double dispatchIntervalSeconds,
                   bool trackUncaughtExceptions) override;
    void set(const std::string& parameter, const std::optional<std::string>& value) override;
    /// The hit reaches the pending file soon after, on the writer queue.
    void send(const Parameters& hit) override;
    void dispatch() override;
    bool flush(double timeoutSeconds) override;
    /// Stops periodic dispatch and sending, and writes the pending file's latest state before it returns.
    /// Hits sent afterwards are not kept.
    void shutdown() override;

  private:
    struct PendingHit {
        std::uint64_t id;
        /// Milliseconds since the epoch when the hit was made.
        std::int64_t madeAt;
        /// Wire names ("ea", "cd1") and values, without the queue time.
        Json parameters;
    };
    struct Batch {
        HttpRequest request;
        std::uint64_t lastId;
        std::size_t count;
    };

    void load();
    void loadClientId();
    void scheduleDispatchLocked();
    void periodicDispatch(std::uint64_t generation);
    std::optional<Batch> takeBatchLocked();
    void start(Batch batch);
    void finish(std::uint64_t lastId, std::size_t count, const HttpResponse* response, const ErrorPtr& error);
    void dropThroughLocked(std::uint64_t lastId);
    /// Notes a change of the queue and makes sure a write will follow.
    void changedLocked();
    /// Writes the queue's latest state unless the file holds it already.
    void save();
    std::int64_t nowMilliseconds() const;

    const Options options_;
    const std::string pendingPath_;
    const std::shared_ptr<DispatchQueue> writer_;
    std::string clientId_;

    /// Held by the one writing the file (the writer queue, or shutdown()); taken before mutex_, never inside.
    std::mutex fileMutex_;
    /// The change the file holds (guarded by fileMutex_).
    std::uint64_t savedVersion_ = 0;

    std::mutex mutex_;
    /// Signalled whenever a batch finishes (flush() waits for it).
    std::condition_variable batchFinished_;
    Parameters values_;
    std::deque<PendingHit> queue_;
    std::uint64_t nextId_ = 1;
    /// The oldest hits of the queue are on their way to the collector.
    bool inFlight_ = false;
    RunLoop* loop_ = nullptr;
    double dispatchInterval_ = 0;
    /// Bumped by every (re)scheduling, so a superseded periodic dispatch does nothing.
    std::uint64_t timerGeneration_ = 0;
    /// Bumped by every change of the queue.
    std::uint64_t version_ = 0;
    /// A write is queued and has not taken its copy of the queue yet.
    bool saveQueued_ = false;
    bool shutDown_ = false;
};

}  // namespace movra
