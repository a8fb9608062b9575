// DurableEventQueue: events on their way to a collector, kept in a file until the collector has taken them,
// so that they survive a restart, a failed send and a collector that is down. Batches of up to a given
// number go out one at a time, at every dispatch interval and whenever dispatch() is called; a batch leaves
// the file once the collector accepts it (2xx) or refuses it for good (4xx other than 408 and 429), and
// otherwise goes again at the next dispatch. Beyond a cap the oldest events are dropped.
//
// The file is a JSON list, oldest first, of {"madeAt": milliseconds since the epoch, <payload key>: event}.
// It is rewritten on a serial writer queue, off the callers' threads: a change queues one write unless one is
// queued already, and that write takes the latest state, so a burst of events costs one or two writes.
// shutdown() (the owner's, or the destructor's) writes whatever is not on disk yet.
//
// Thread contract: every member may be called from any thread. The periodic dispatch runs on the run loop
// given to attach(); transport completions run on the transport's thread and start the next batch there.
// One mutex guards the queue; the writer takes it only to copy the queue. Make it with std::make_shared:
// timers and completions hold it weakly.
#pragma once

#include "Foundation/Clock.h"
#include "Foundation/DispatchQueue.h"
#include "Foundation/Json.h"
#include "Foundation/RunLoop.h"
#include "Platform/HttpTransport.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class DurableEventQueue final : public std::enable_shared_from_this<DurableEventQueue> {
  public:
    struct Event {
        /// Milliseconds since the epoch when the event was made.
        std::int64_t madeAt;
        Json payload;
    };
    struct Options {
        /// The pending file; its folder is created (0700) when missing.
        std::string path;
        /// What the events are, for log messages ("analytics hits").
        std::string what = "events";
        /// The key of each file entry that holds its event.
        std::string payloadKey = "event";
        /// Whether an event read back from the file is one; a file with anything else is moved aside.
        std::function<bool(const Json& payload)> isValid;
        /// The request that carries `batch` to the collector, sent at `nowMilliseconds`.
        std::function<HttpRequest(const std::vector<Event>& batch, std::int64_t nowMilliseconds)> makeRequest;
        std::shared_ptr<HttpTransport> transport;
        /// Wall-clock time of events, for their age.
        std::shared_ptr<Clock> clock;
        /// Beyond this many queued events the oldest are dropped, when events are added and when they are loaded.
        std::size_t maximumQueued = 1000;
        std::size_t perBatch = 20;
        /// The serial queue the file is written on; the queue shuts it down with itself. Null: a queue of its own.
        std::shared_ptr<DispatchQueue> writer = nullptr;
    };

    /// Loads the pending events; a file that cannot be read is moved aside to "<path>.corrupt".
    explicit DurableEventQueue(Options options);
    ~DurableEventQueue();
    DurableEventQueue(const DurableEventQueue&) = delete;
    DurableEventQueue& operator=(const DurableEventQueue&) = delete;

    /// Runs the periodic dispatch on `loop`, which must outlive every later setDispatchInterval() call.
    void attach(RunLoop& loop);
    /// Zero or less turns periodic dispatch off: only dispatch() and flush() send.
    void setDispatchInterval(double seconds);
    /// The event reaches the file soon after, on the writer queue.
    void add(Json payload);
    /// Sends the oldest batch now, unless one is on its way.
    void dispatch();
    /// Sends every queued event and blocks until the collector has taken them all (true), a send failed or
    /// `timeoutSeconds` passed (false). Needs no run loop.
    bool flush(double timeoutSeconds);
    /// Stops periodic dispatch and sending, and writes the file's latest state before it returns. Events
    /// added afterwards are not kept.
    void shutdown();
    std::int64_t nowMilliseconds() const;

  private:
    struct Pending {
        std::uint64_t id;
        Event event;
    };
    struct Batch {
        HttpRequest request;
        std::uint64_t lastId;
        std::size_t count;
    };

    void load();
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

    const Options options_;
    const std::shared_ptr<DispatchQueue> writer_;

    /// Held by the one writing the file (the writer queue, or shutdown()); taken before mutex_, never inside.
    std::mutex fileMutex_;
    /// The change the file holds (guarded by fileMutex_).
    std::uint64_t savedVersion_ = 0;

    std::mutex mutex_;
    /// Signalled whenever a batch finishes (flush() waits for it).
    std::condition_variable batchFinished_;
    std::deque<Pending> queue_;
    std::uint64_t nextId_ = 1;
    /// The oldest events of the queue are on their way to the collector.
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
