// DurableEventQueue: queue, pending file, batches and their outcomes.
#include "Platform/DurableEventQueue.h"

#include "Foundation/Log.h"
#include "Foundation/ThreadPoolQueue.h"
#include "Platform/AtomicFile.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace movra {

namespace {

/// Failures that say nothing against the batch itself: it goes again at the next dispatch.
bool isTransient(int status) { return status >= 500 || status == 408 || status == 429 || status < 400; }

}  // namespace

DurableEventQueue::DurableEventQueue(Options options)
    : options_(std::move(options)),
      writer_(options_.writer ? options_.writer : std::make_shared<ThreadPoolQueue>(options_.what + " writer", 1)) {
    const auto folder = std::filesystem::path(options_.path).parent_path().string();
    if (auto error = AtomicFile::makePrivateDirectory(folder))
        Log::error("Queued {} will not survive a restart: {}", options_.what, error->summary());
    load();
}

DurableEventQueue::~DurableEventQueue() { shutdown(); }

void DurableEventQueue::load() {
    auto read = AtomicFile::read(options_.path);
    if (!read.contents && !read.error) return;  // nothing pending
    Json json = read.contents ? Json::parse(*read.contents, nullptr, /*allow_exceptions=*/false) : Json();
    const auto isEvent = [this](const Json& entry) {
        if (!entry.is_object()) return false;
        const auto madeAt = entry.find("madeAt");
        const auto payload = entry.find(options_.payloadKey);
        if (madeAt == entry.end() || !madeAt->is_number_integer()) return false;
        return payload != entry.end() && (!options_.isValid || options_.isValid(*payload));
    };
    if (read.error || !json.is_array() || !std::all_of(json.begin(), json.end(), isEvent)) {
        // A file we cannot read must not block every later event.
        AtomicFile::setAside(options_.path, "Pending " + options_.what + " file",
                             read.error ? read.error->summary() : "not a list of " + options_.what);
        return;
    }
    // The file lists the oldest event first; a longer one (from a build with a larger cap) keeps its newest.
    const std::size_t skipped = json.size() > options_.maximumQueued ? json.size() - options_.maximumQueued : 0;
    for (std::size_t i = skipped; i < json.size(); ++i)
        queue_.push_back({nextId_++, {json[i]["madeAt"].get<std::int64_t>(), std::move(json[i][options_.payloadKey])}});
    if (skipped) {
        Log::warning("Queue of {} of an earlier run is over {}; dropped the {} oldest", options_.what,
                     options_.maximumQueued, skipped);
        ++version_;  // the shorter queue reaches the file with the next write
    }
    Log::debug("{} {} pending from an earlier run", queue_.size(), options_.what);
}

void DurableEventQueue::attach(RunLoop& loop) {
    std::lock_guard lock(mutex_);
    loop_ = &loop;
    scheduleDispatchLocked();
}

void DurableEventQueue::setDispatchInterval(double seconds) {
    std::lock_guard lock(mutex_);
    dispatchInterval_ = seconds;
    scheduleDispatchLocked();
}

void DurableEventQueue::add(Json payload) {
    std::lock_guard lock(mutex_);
    queue_.push_back({nextId_++, {nowMilliseconds(), std::move(payload)}});
    if (queue_.size() > options_.maximumQueued) {
        Log::warning("Queue of {} is full ({}); dropping the oldest", options_.what, options_.maximumQueued);
        queue_.pop_front();
    }
    changedLocked();
}

void DurableEventQueue::dispatch() {
    std::optional<Batch> batch;
    {
        std::lock_guard lock(mutex_);
        batch = takeBatchLocked();
    }
    if (batch) start(std::move(*batch));
}

bool DurableEventQueue::flush(double timeoutSeconds) {
    dispatch();
    // Successful batches chain on the transport's thread, so only the end of the chain needs waiting for.
    std::unique_lock lock(mutex_);
    const bool settled = batchFinished_.wait_for(lock, std::chrono::duration<double>(std::max(0.0, timeoutSeconds)),
                                                 [this] { return !inFlight_; });
    return settled && queue_.empty();
}

void DurableEventQueue::scheduleDispatchLocked() {
    const auto generation = ++timerGeneration_;
    if (!loop_ || dispatchInterval_ <= 0) return;
    loop_->postAfter(dispatchInterval_, [weak = weak_from_this(), generation] {
        if (auto self = weak.lock()) self->periodicDispatch(generation);
    });
}

void DurableEventQueue::periodicDispatch(std::uint64_t generation) {
    {
        std::lock_guard lock(mutex_);
        if (generation != timerGeneration_) return;
        scheduleDispatchLocked();
    }
    dispatch();
}

std::optional<DurableEventQueue::Batch> DurableEventQueue::takeBatchLocked() {
    if (inFlight_ || queue_.empty() || shutDown_) return std::nullopt;
    inFlight_ = true;
    const auto count = std::min(queue_.size(), options_.perBatch);
    std::vector<Event> events;
    for (std::size_t i = 0; i < count; ++i) events.push_back(queue_[i].event);
    return Batch{options_.makeRequest(events, nowMilliseconds()), queue_[count - 1].id, count};
}

void DurableEventQueue::start(Batch batch) {
    // Outside the lock: a transport may complete a task on the calling thread.
    options_.transport->dataTask(
        std::move(batch.request),
        [weak = weak_from_this(), lastId = batch.lastId, count = batch.count](
            const HttpTaskPtr&, std::shared_ptr<const HttpResponse> response, std::string, ErrorPtr error) {
            if (auto self = weak.lock()) self->finish(lastId, count, response.get(), error);
        });
}

void DurableEventQueue::finish(std::uint64_t lastId, std::size_t count, const HttpResponse* response,
                               const ErrorPtr& error) {
    std::optional<Batch> next;
    {
        std::lock_guard lock(mutex_);
        inFlight_ = false;
        const int status = response ? response->statusCode : 0;
        if (error || !response) {
            Log::warning("Batch of {} {} not sent ({}); trying again at the next dispatch", count, options_.what,
                         error ? error->summary() : "no response");
        } else if (status >= 200 && status < 300) {
            dropThroughLocked(lastId);
            next = takeBatchLocked();
        } else if (isTransient(status)) {
            Log::warning("Collector answered HTTP {}; {} {} wait for the next dispatch", status, count, options_.what);
        } else {
            // The collector would refuse the same batch every time: keeping it would block the queue.
            Log::error("Collector refused a batch with HTTP {}; dropped {} {}", status, count, options_.what);
            dropThroughLocked(lastId);
        }
    }
    batchFinished_.notify_all();
    if (next) start(std::move(*next));
}

void DurableEventQueue::dropThroughLocked(std::uint64_t lastId) {
    // Events dropped from a full queue meanwhile are gone already; newer ones stay.
    while (!queue_.empty() && queue_.front().id <= lastId) queue_.pop_front();
    changedLocked();
}

void DurableEventQueue::changedLocked() {
    ++version_;
    if (saveQueued_ || shutDown_) return;
    saveQueued_ = true;
    // The writer is shut down before the queue goes, so no task of it outlives `this`.
    writer_->async([this] { save(); });
}

void DurableEventQueue::save() {
    std::lock_guard file(fileMutex_);
    Json events = Json::array();
    std::uint64_t version;
    {
        std::lock_guard lock(mutex_);
        // Changes from here on need a write of their own.
        saveQueued_ = false;
        if (version_ == savedVersion_) return;
        version = version_;
        for (const auto& pending : queue_)
            events.push_back({{"madeAt", pending.event.madeAt}, {options_.payloadKey, pending.event.payload}});
    }
    // Labels come from the catalogue: bytes that are not UTF-8 are replaced rather than failing the save.
    const auto text = events.dump(-1, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
    if (auto error = AtomicFile::write(options_.path, text)) {
        Log::error("Cannot save pending {}: {}", options_.what, error->summary());
        return;  // the next change, or shutdown(), tries again
    }
    savedVersion_ = version;
}

void DurableEventQueue::shutdown() {
    {
        std::lock_guard lock(mutex_);
        if (shutDown_) return;
        shutDown_ = true;
        ++timerGeneration_;
        loop_ = nullptr;
    }
    writer_->shutdown();  // a write in progress finishes; the one queued is taken over here
    save();
}

std::int64_t DurableEventQueue::nowMilliseconds() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(options_.clock->now().time_since_epoch()).count();
}

}  // namespace movra
