// HttpAnalyticsTracker: the usage-analytics tracker that talks to a collector with the measurement protocol.
// Hits are queued durably (DurableEventQueue, "pending.json" in the tracker's folder) and POSTed in batches
// of up to 20 to "<collector>/batch", one form-encoded hit a line, at every dispatch interval. "client-id" in
// the same folder keeps the anonymous client id for good.
//
// Thread contract: every member may be called from any thread. The periodic dispatch runs on the run loop
// given to attach(); transport completions run on the transport's thread. One mutex guards the tracker's
// values. Make it with std::make_shared.
#pragma once

#include "Foundation/Clock.h"
#include "Foundation/DispatchQueue.h"
#include "Foundation/RunLoop.h"
#include "Platform/AnalyticsTracker.h"
#include "Platform/DurableEventQueue.h"
#include "Platform/HttpTransport.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace movra {

class HttpAnalyticsTracker final : public AnalyticsTracker {
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
    void loadClientId();
    DurableEventQueue::Options queueOptions() const;

    const Options options_;
    std::string clientId_;
    std::mutex mutex_;
    Parameters values_;
    const std::shared_ptr<DurableEventQueue> queue_;
};

}  // namespace movra
