// HttpAnalyticsTracker: the client id, the tracker's values and the measurement protocol's batches.
#include "Platform/HttpAnalyticsTracker.h"

#include "Foundation/Crypto.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Foundation/Url.h"
#include "Platform/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace movra {

namespace {

bool isClientId(const std::string& text) {
    return text.size() == 36 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) || c == '-'; });
}

}  // namespace

HttpAnalyticsTracker::HttpAnalyticsTracker(Options options)
    : options_(std::move(options)), queue_(std::make_shared<DurableEventQueue>(queueOptions())) {
    loadClientId();
}

HttpAnalyticsTracker::~HttpAnalyticsTracker() { shutdown(); }

DurableEventQueue::Options HttpAnalyticsTracker::queueOptions() const {
    auto makeRequest = [url = options_.collectorUrl](const std::vector<DurableEventQueue::Event>& hits,
                                                     std::int64_t now) {
        std::vector<std::string> lines;
        for (const auto& hit : hits) {
            Json parameters = hit.payload;
            // Hits may leave long after they were made; the queue time lets the collector date them.
            parameters["qt"] = std::to_string(std::max<std::int64_t>(0, now - hit.madeAt));
            lines.push_back(queryStringFromParameters(parameters));
        }
        HttpRequest request;
        request.method = "POST";
        request.url = url + (endsWith(url, "/") ? "batch" : "/batch");
        request.setHeader("Content-Type", "text/plain");
        request.body = join(lines, "\n");
        return request;
    };
    return {.path = options_.directory + "/pending.json",
            .what = "analytics hits",
            .payloadKey = "parameters",
            .isValid =
                [](const Json& parameters) {
                    return parameters.is_object() && std::all_of(parameters.begin(), parameters.end(),
                                                                 [](const Json& v) { return v.is_string(); });
                },
            .makeRequest = std::move(makeRequest),
            .transport = options_.transport,
            .clock = options_.clock,
            .maximumQueued = options_.maximumQueuedHits,
            .writer = options_.writer};
}

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

void HttpAnalyticsTracker::attach(RunLoop& mainQueue) { queue_->attach(mainQueue); }

void HttpAnalyticsTracker::configure(const std::string& trackingId, double dispatchIntervalSeconds,
                                     bool trackUncaughtExceptions) {
    {
        std::lock_guard lock(mutex_);
        values_["&tid"] = trackingId;
    }
    queue_->setDispatchInterval(dispatchIntervalSeconds);
    // Uncaught exceptions end the process through the crash reporter, which records them.
    Log::debug("Analytics tracker {} sends to {} every {} s (uncaught exceptions {})", trackingId,
               options_.collectorUrl, dispatchIntervalSeconds, trackUncaughtExceptions ? "tracked" : "not tracked");
}

void HttpAnalyticsTracker::set(const std::string& parameter, const std::optional<std::string>& value) {
    std::lock_guard lock(mutex_);
    setParameter(values_, parameter, value);
}

void HttpAnalyticsTracker::send(const Parameters& hit) {
    Json parameters = {{"v", "1"}, {"cid", clientId_}};
    {
        std::lock_guard lock(mutex_);
        // Only "&" names are protocol parameters; a value left empty is no value at all.
        for (const auto& [key, value] : merged(values_, hit))
            if (startsWith(key, "&") && !value.empty()) parameters[key.substr(1)] = value;
    }
    queue_->add(std::move(parameters));
}

void HttpAnalyticsTracker::dispatch() { queue_->dispatch(); }

bool HttpAnalyticsTracker::flush(double timeoutSeconds) { return queue_->flush(timeoutSeconds); }

void HttpAnalyticsTracker::shutdown() { queue_->shutdown(); }

}  // namespace movra
