// HttpAnalyticsTracker: queue, pending file, batches and their outcomes.
#include "Platform/HttpAnalyticsTracker.h"

#include "Foundation/Crypto.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Foundation/ThreadPoolQueue.h"
#include "Foundation/Url.h"
#include "Platform/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <vector>

namespace movra {

namespace {

constexpr std::size_t kHitsPerBatch = 20;

/// Failures that say nothing against the batch itself: it goes again at the next dispatch.
bool isTransient(int status) { return status >= 500 || status == 408 || status == 429 || status < 400; }

bool isClientId(const std::string& text) {
    return text.size() == 36 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) || c == '-'; });
}

}  // namespace

HttpAnalyticsTracker::HttpAnalyticsTracker(Options options)
    : options_(std::move(options)),
      pendingPath_(options_.directory + "/pending.json"),
      writer_(options_.writer ? options_.writer : std::make_shared<ThreadPoolQueue>("analytics writer", 1)) {
    if (auto error = AtomicFile::makePrivateDirectory(options_.directory))
        Log::error("Analytics hits will not survive a restart: {}", error->summary());
    loadClientId();
    load();
}

HttpAnalyticsTracker::~HttpAnalyticsTracker() { shutdown(); }

void HttpAnalyticsTracker::loadClientId() {
    const auto path = options_.directory + "/client-id";
    auto read = AtomicFile::read(path);
    clientId_ = trim(read.contents.value_or(""));
    if (isClientId(clientId_)) return;
    if (read.contents || read.error) Log::warning("Analytics client id in {} is unusable; making a new one", path);
    clientId_ = makeUUIDString();
    if (auto error = AtomicFile::write(path, clientId_ + "\n"))
        Log::error("Cannot keep the analytics client id: {}", error->summary());
}

void HttpAnalyticsTracker::load() {
    auto read = AtomicFile::read(pendingPath_);
    if (!read.contents && !read.error) return;  // nothing pending
    Json json = read.contents ? Json::parse(*read.contents, nullptr, /*allow_exceptions=*/false) : Json();
    const auto isHit = [](const Json& entry) {
        if (!entry.is_object()) return false;
        const auto madeAt = entry.find("madeAt");
        const auto parameters = entry.find("parameters");
        if (madeAt == entry.end() || !madeAt->is_number_integer()) return false;
        return parameters != entry.end() && parameters->is_object() &&
               std::all_of(parameters->begin(), parameters->end(), [](const Json& v) { return v.is_string(); });
    };
    if (read.error || !json.is_array() || !std::all_of(json.begin(), json.end(), isHit)) {
        // A file we cannot read must not block every later hit.
        AtomicFile::setAside(pendingPath_, "Pending analytics file",
                             read.error ? read.error->summary() : "not a list of hits");
        return;
    }
    // The file lists the oldest hit first; a longer one (from a build with a larger cap) keeps its newest.
    const std::size_t skipped = json.size() > options_.maximumQueuedHits ? json.size() - options_.maximumQueuedHits : 0;
    for (std::size_t i = skipped; i < json.size(); ++i)
        queue_.push_back({nextId_++, json[i]["madeAt"].get<std::int64_t>(), std::move(json[i]["parameters"])});
    if (skipped) {
        Log::warning("Analytics queue of an earlier run is over {} hits; dropped the {} oldest",
                     options_.maximumQueuedHits, skipped);
        ++version_;  // the shorter queue reaches the file with the next write
    }
    Log::debug("{} analytics hits pending from an earlier run", queue_.size());
}

void HttpAnalyticsTracker::attach(RunLoop& mainQueue) {
    std::lock_guard lock(mutex_);
    loop_ = &mainQueue;
    scheduleDispatchLocked();
}

void HttpAnalyticsTracker::configure(const std::string& trackingId, double dispatchIntervalSeconds,
                                     bool trackUncaughtExceptions) {
    std::lock_guard lock(mutex_);
    values_["&tid"] = trackingId;
    dispatchInterval_ = dispatchIntervalSeconds;
    scheduleDispatchLocked();
    // Uncaught exceptions end the process through the crash reporter, which records them.
    Log::debug("Analytics tracker {} sends to {} every {} s (uncaught exceptions {})", trackingId,
               options_.collectorUrl, dispatchIntervalSeconds, trackUncaughtExceptions ? "tracked" : "not tracked");
}

void HttpAnalyticsTracker::set(const std::string& parameter, const std::optional<std::string>& value) {
    std::lock_guard lock(mutex_);
    setParameter(values_, parameter, value);
}

void HttpAnalyticsTracker::send(const Parameters& hit) {
    std::lock_guard lock(mutex_);
    Json parameters = {{"v", "1"}, {"cid", clientId_}};
    // Only "&" names are protocol parameters; a value left empty is no value at all.
    for (const auto& [key, value] : merged(values_, hit))
        if (startsWith(key, "&") && !value.empty()) parameters[key.substr(1)] = value;
    queue_.push_back({nextId_++, nowMilliseconds(), std::move(parameters)});
    if (queue_.size() > options_.maximumQueuedHits) {
        Log::warning("Analytics queue is full ({} hits); dropping the oldest", options_.maximumQueuedHits);
        queue_.pop_front();
    }
    changedLocked();
}

void HttpAnalyticsTracker::dispatch() {
    std::optional<Batch> batch;
    {
        std::lock_guard lock(mutex_);
        batch = takeBatchLocked();
    }
    if (batch) start(std::move(*batch));
}

bool HttpAnalyticsTracker::flush(double timeoutSeconds) {
    dispatch();
    // Successful batches chain on the transport's thread, so only the end of the chain needs waiting for.
    std::unique_lock lock(mutex_);
    const bool settled = batchFinished_.wait_for(lock, std::chrono::duration<double>(std::max(0.0, timeoutSeconds)),
                                                 [this] { return !inFlight_; });
    return settled && queue_.empty();
}

void HttpAnalyticsTracker::scheduleDispatchLocked() {
    const auto generation = ++timerGeneration_;
    if (!loop_ || dispatchInterval_ <= 0) return;
    loop_->postAfter(dispatchInterval_, [weak = weak_from_this(), generation] {
        if (auto self = weak.lock()) self->periodicDispatch(generation);
    });
}

void HttpAnalyticsTracker::periodicDispatch(std::uint64_t generation) {
    {
        std::lock_guard lock(mutex_);
        if (generation != timerGeneration_) return;
        scheduleDispatchLocked();
    }
    dispatch();
}

std::optional<HttpAnalyticsTracker::Batch> HttpAnalyticsTracker::takeBatchLocked() {
    if (inFlight_ || queue_.empty() || shutDown_) return std::nullopt;
    inFlight_ = true;
    const auto now = nowMilliseconds();
    const auto count = std::min(queue_.size(), kHitsPerBatch);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < count; ++i) {
        Json parameters = queue_[i].parameters;
        // Hits may leave long after they were made; the queue time lets the collector date them.
        parameters["qt"] = std::to_string(std::max<std::int64_t>(0, now - queue_[i].madeAt));
        lines.push_back(queryStringFromParameters(parameters));
    }
    Batch batch{{}, queue_[count - 1].id, count};
    batch.request.method = "POST";
    batch.request.url = options_.collectorUrl + (endsWith(options_.collectorUrl, "/") ? "batch" : "/batch");
    batch.request.setHeader("Content-Type", "text/plain");
    batch.request.body = join(lines, "\n");
    return batch;
}

void HttpAnalyticsTracker::start(Batch batch) {
    // Outside the lock: a transport may complete a task on the calling thread.
    options_.transport->dataTask(
        std::move(batch.request),
        [weak = weak_from_this(), lastId = batch.lastId, count = batch.count](
            const HttpTaskPtr&, std::shared_ptr<const HttpResponse> response, std::string, ErrorPtr error) {
            if (auto self = weak.lock()) self->finish(lastId, count, response.get(), error);
        });
}

void HttpAnalyticsTracker::finish(std::uint64_t lastId, std::size_t count, const HttpResponse* response,
                                  const ErrorPtr& error) {
    std::optional<Batch> next;
    {
        std::lock_guard lock(mutex_);
        inFlight_ = false;
        const int status = response ? response->statusCode : 0;
        if (error || !response) {
            Log::warning("Analytics batch of {} hits not sent ({}); trying again at the next dispatch", count,
                         error ? error->summary() : "no response");
        } else if (status >= 200 && status < 300) {
            dropThroughLocked(lastId);
            next = takeBatchLocked();
        } else if (isTransient(status)) {
            Log::warning("Analytics collector answered HTTP {}; {} hits wait for the next dispatch", status, count);
        } else {
            // The collector would refuse the same batch every time: keeping it would block the queue.
            Log::error("Analytics collector refused a batch with HTTP {}; dropped {} hits", status, count);
            dropThroughLocked(lastId);
        }
    }
    batchFinished_.notify_all();
    if (next) start(std::move(*next));
}

void HttpAnalyticsTracker::dropThroughLocked(std::uint64_t lastId) {
    // Hits dropped from a full queue meanwhile are gone already; newer ones stay.
    while (!queue_.empty() && queue_.front().id <= lastId) queue_.pop_front();
    changedLocked();
}

void HttpAnalyticsTracker::changedLocked() {
    ++version_;
    if (saveQueued_ || shutDown_) return;
    saveQueued_ = true;
    // The writer is shut down before the tracker goes, so no task of it outlives `this`.
    writer_->async([this] { save(); });
}

void HttpAnalyticsTracker::save() {
    std::lock_guard file(fileMutex_);
    Json hits = Json::array();
    std::uint64_t version;
    {
        std::lock_guard lock(mutex_);
        // Changes from here on need a write of their own.
        saveQueued_ = false;
        if (version_ == savedVersion_) return;
        version = version_;
        for (const auto& hit : queue_) hits.push_back({{"madeAt", hit.madeAt}, {"parameters", hit.parameters}});
    }
    // Labels come from the catalogue: bytes that are not UTF-8 are replaced rather than failing the save.
    const auto text = hits.dump(-1, ' ', /*ensure_ascii=*/false, Json::error_handler_t::replace);
    if (auto error = AtomicFile::write(pendingPath_, text)) {
        Log::error("Cannot save pending analytics hits: {}", error->summary());
        return;  // the next change, or shutdown(), tries again
    }
    savedVersion_ = version;
}

void HttpAnalyticsTracker::shutdown() {
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

std::int64_t HttpAnalyticsTracker::nowMilliseconds() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(options_.clock->now().time_since_epoch()).count();
}

}  // namespace movra
