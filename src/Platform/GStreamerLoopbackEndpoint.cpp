#include "Platform/GStreamerLoopbackEndpoint.h"

#include "Foundation/Crypto.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Foundation/Url.h"
#include "Platform/GStreamerLoadingRequest.h"
#include "Platform/HlsPlaylist.h"
#include "Platform/MediaEngine.h"

#include <httplib.h>

#include <chrono>

namespace movra {

namespace {

constexpr double kUpstreamTimeoutSeconds = 30;
constexpr std::size_t kCipherBlockBytes = 16;

/// The last path segment of `url`, so that a local URL keeps the file name (and its extension).
std::string fileName(const std::string& url) {
    auto parsed = Url::parse(url);
    std::string path = parsed ? parsed->path() : std::string();
    auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.empty() ? "index" : name;
}

}  // namespace

GStreamerLoopbackEndpoint::GStreamerLoopbackEndpoint(std::shared_ptr<GStreamerMediaAsset> asset,
                                                     std::shared_ptr<HttpTransport> transport, Callbacks callbacks)
    : asset_(std::move(asset)),
      transport_(std::move(transport)),
      callbacks_(std::move(callbacks)),
      token_(toLower(makeUUIDString())),
      server_(std::make_unique<httplib::Server>()) {
    // One request per connection: an idle kept-alive connection holds a server thread, and one still open when
    // the pipeline stops keeps that pipeline's HTTP session and its thread alive for good.
    server_->set_keep_alive_max_count(1);
    server_->Get(R"(/.*)",
                 [this](const httplib::Request& request, httplib::Response& response) { handle(request, response); });
    const int port = server_->bind_to_any_port("127.0.0.1");
    if (port <= 0) {
        Log::error("Media engine: no loopback port for the demuxer");
        return;
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    prefix_ = "http://127.0.0.1:" + std::to_string(port) + "/" + token_ + "/";
    entryUrl_ = localUrl(asset_->url(), asset_->url());
}

GStreamerLoopbackEndpoint::~GStreamerLoopbackEndpoint() {
    {
        std::lock_guard lock(signal_->mutex);
        signal_->closed = true;
    }
    signal_->changed.notify_all();
    if (thread_.joinable()) {
        // stop() may come before listen_after_bind() has started listening; it then returns at once.
        while (!server_->is_running()) std::this_thread::yield();
        server_->stop();
        thread_.join();
    }
}

std::string GStreamerLoopbackEndpoint::localUrl(const std::string& uri, const std::string& base, bool encrypted,
                                                std::optional<double> bandwidth) {
    auto baseUrl = Url::parse(base);
    auto resolved = baseUrl ? Url::resolve(uri, *baseUrl) : std::nullopt;
    const std::string url = resolved ? resolved->absoluteString() : uri;
    const bool isKey = !resolved || (resolved->scheme() != "http" && resolved->scheme() != "https");
    std::lock_guard lock(mutex_);
    auto [it, added] = byUrl_.try_emplace(url, targets_.size());
    if (added) targets_.push_back({url, isKey, encrypted && !isKey, isKey ? std::nullopt : bandwidth});
    return prefix_ + std::to_string(it->second) + "/" + (isKey ? "key" : fileName(url));
}

void GStreamerLoopbackEndpoint::handle(const httplib::Request& request, httplib::Response& response) {
    // "/TOKEN/INDEX/NAME"
    auto parts = split(request.path, "/");
    Target target;
    {
        std::lock_guard lock(mutex_);
        const bool known = parts.size() == 4 && parts[1] == token_ && !parts[2].empty() &&
                           parts[2].find_first_not_of("0123456789") == std::string::npos &&
                           std::stoull(parts[2]) < targets_.size();
        if (!known) {
            response.status = 404;
            return;
        }
        target = targets_[std::stoull(parts[2])];
    }
    if (target.isKey)
        answerKey(target.url, response);
    else
        answerUpstream(target, response);
}

void GStreamerLoopbackEndpoint::setRenditionChoice(RenditionChoice choice) {
    std::lock_guard lock(mutex_);
    choice_ = std::move(choice);
}

std::optional<GStreamerLoopbackEndpoint::RenditionChoice> GStreamerLoopbackEndpoint::servedChoice() const {
    std::lock_guard lock(mutex_);
    return served_;
}

std::string GStreamerLoopbackEndpoint::chooseRenditions(const std::string& master, const RenditionChoice& choice) {
    auto playlist = HlsPlaylist::parse(master);
    if (!playlist) return master;
    // Per audio group, the rendition that stays.
    std::map<std::string, std::string> audio;
    for (const auto& r : playlist->renditions()) {
        if (r.type != "AUDIO") continue;
        auto [it, added] = audio.try_emplace(r.groupId, r.name);
        if (r.name == choice.audio || (r.isDefault && it->second != choice.audio)) it->second = r.name;
    }
    return HlsPlaylist::keepRenditions(master, [&](const HlsPlaylist::Rendition& r) {
        if (r.type == "AUDIO") return audio[r.groupId] == r.name;
        if (r.type == "SUBTITLES") return r.name == choice.subtitles;
        return true;
    });
}

void GStreamerLoopbackEndpoint::answerKey(const std::string& url, httplib::Response& response) {
    {
        std::lock_guard lock(mutex_);
        if (auto known = keys_.find(url); known != keys_.end()) {
            response.set_content(known->second, "application/octet-stream");
            return;
        }
    }
    auto request = std::make_shared<GStreamerLoadingRequest>(url, [signal = signal_] {
        // Taking the lock orders the wake-up after the waiter's check.
        { std::lock_guard lock(signal->mutex); }
        signal->changed.notify_all();
    });
    auto loader = asset_->resourceLoader();
    if (!loader.queue || loader.delegate.expired()) {
        request->finishLoadingWithError(
            makeError(kMediaEngineErrorDomain, -11800, "The operation could not be completed", "No resource loader"));
    } else {
        loader.queue->async([delegate = loader.delegate, request] {
            auto target = delegate.lock();
            if (!target || !target->shouldWaitForLoadingOfRequestedResource(request)) {
                request->finishLoadingWithError(makeError(kMediaEngineErrorDomain, -11800,
                                                          "The operation could not be completed",
                                                          "The resource loader did not take the request"));
            }
        });
    }
    const bool answered = waitFor(kKeyTimeoutSeconds, [&] { return request->answer().has_value(); });
    {
        std::lock_guard lock(signal_->mutex);
        if (signal_->closed) {
            response.status = 503;
            return;
        }
    }
    auto answer = request->answer();
    if (answered && answer && !answer->error && answer->data.size() == 16) {
        {
            std::lock_guard lock(mutex_);
            keys_[url] = answer->data;
        }
        response.set_content(answer->data, "application/octet-stream");
        return;
    }
    ErrorPtr error = answered && answer ? answer->error : nullptr;
    if (!error) {
        error = answered ? makeError(kMediaEngineErrorDomain, -11800, "The operation could not be completed",
                                     "The key has " + std::to_string(answer->data.size()) + " bytes, not 16")
                         : makeError(kMediaEngineErrorDomain, -11800, "The operation could not be completed",
                                     "No answer to the key request");
    }
    response.status = answered ? 403 : 504;
    Log::error("Media engine: key {} failed: {}", url, error->summary());
    callbacks_.logged(url + " " + std::to_string(response.status) + " " + error->summary());
    callbacks_.failed(error);
}

void GStreamerLoopbackEndpoint::answerUpstream(const Target& target, httplib::Response& response) {
    const std::string& url = target.url;
    struct Outcome {
        bool done = false;
        std::shared_ptr<const HttpResponse> response;
        std::string body;
        ErrorPtr error;
    };
    auto outcome = std::make_shared<Outcome>();
    HttpRequest request;
    request.url = url;
    request.timeoutSeconds = kUpstreamTimeoutSeconds;
    transport_->dataTask(std::move(request),
                         [signal = signal_, outcome](const HttpTaskPtr&, std::shared_ptr<const HttpResponse> answer,
                                                     std::string body, ErrorPtr error) {
                             {
                                 std::lock_guard lock(signal->mutex);
                                 *outcome = {true, std::move(answer), std::move(body), std::move(error)};
                             }
                             signal->changed.notify_all();
                         });
    // The transport times out first; the margin covers a transport that was shut down under us.
    if (!waitFor(kUpstreamTimeoutSeconds + 5, [&] { return outcome->done; })) {
        response.status = 504;
        downloadFailed(url, "no answer in time");
        return;
    }
    std::string failure;
    if (outcome->error || !outcome->response) {
        response.status = 502;
        failure = outcome->error ? outcome->error->summary() : std::string("no response");
    } else if (response.status = outcome->response->statusCode; response.status < 200 || response.status > 299) {
        failure = "HTTP " + std::to_string(response.status);
    } else if (target.encrypted && outcome->body.size() % kCipherBlockBytes != 0) {
        // Decrypting it would pass garbage on; as a failed download the demuxer tries again.
        response.status = 502;
        failure = "damaged: " + std::to_string(outcome->body.size()) + " bytes are not whole cipher blocks";
    }
    if (!failure.empty()) {
        downloadFailed(url, failure);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        failures_.erase(url);
    }
    std::string contentType = outcome->response->header("Content-Type").value_or("application/octet-stream");
    if (startsWith(trim(outcome->body), "#EXTM3U")) {
        if (outcome->body.find("#EXT-X-MEDIA:") != std::string::npos) {
            RenditionChoice choice;
            {
                std::lock_guard lock(mutex_);
                choice = choice_;
                served_ = choice;
            }
            outcome->body = chooseRenditions(outcome->body, choice);
        }
        const std::string base = outcome->response->url.empty() ? url : outcome->response->url;
        const bool encrypted = outcome->body.find("METHOD=AES-128") != std::string::npos;
        std::optional<double> bandwidth;
        {
            std::lock_guard lock(mutex_);
            // A variant's playlist passes its declared bandwidth on to its segments.
            if (auto variant = variants_.find(url); variant != variants_.end()) bandwidth = variant->second;
            rememberVariantsLocked(outcome->body, base);
        }
        outcome->body = HlsPlaylist::rewriteUris(
            outcome->body, [&](const std::string& uri) { return localUrl(uri, base, encrypted, bandwidth); });
    } else if (target.bandwidth) {
        bool changed;
        {
            std::lock_guard lock(mutex_);
            changed = fetchedBandwidth_ != target.bandwidth;
            fetchedBandwidth_ = target.bandwidth;
        }
        if (changed && callbacks_.variantChanged) callbacks_.variantChanged(*target.bandwidth);
    }
    response.set_content(outcome->body, contentType);
}

void GStreamerLoopbackEndpoint::rememberVariantsLocked(const std::string& playlist, const std::string& base) {
    auto parsed = HlsPlaylist::parse(playlist);
    auto baseUrl = Url::parse(base);
    if (!parsed || !baseUrl) return;
    for (std::size_t i = 0; i < parsed->variantUris().size(); ++i) {
        auto resolved = Url::resolve(parsed->variantUris()[i], *baseUrl);
        if (resolved && parsed->variantBandwidths()[i])
            variants_[resolved->absoluteString()] = *parsed->variantBandwidths()[i];
    }
}

void GStreamerLoopbackEndpoint::downloadFailed(const std::string& url, const std::string& why) {
    callbacks_.logged(url + " " + why);
    int inARow;
    {
        std::lock_guard lock(mutex_);
        inARow = ++failures_[url];
    }
    if (inARow != kDownloadAttempts) return;
    Log::error("Media engine: {} failed {} times in a row: {}", url, inARow, why);
    callbacks_.failed(
        makeError(kMediaEngineErrorDomain, -11828, "Cannot Open", "The media could not be downloaded (" + why + ")"));
}

bool GStreamerLoopbackEndpoint::waitFor(double seconds, const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::unique_lock lock(signal_->mutex);
    return signal_->changed.wait_until(lock, deadline, [&] { return signal_->closed || done(); }) && !signal_->closed;
}

}  // namespace movra
