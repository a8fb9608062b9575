#include "DRM/MVTavikAssetLoaderDelegate.h"

#include "API/MVHTTPClient.h"
#include "Foundation/Log.h"
#include "Platform/Platform.h"

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>

namespace movra {

namespace {

constexpr const char* kKeyScheme = "skd";
constexpr std::size_t kKeySchemePrefixLength = 6;  // "skd://"

std::string readCertificate() {
    const auto& path = Platform::current().configuration().drmCertificateFile;
    if (path.empty()) return {};
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

ErrorPtr drmFailure() { return makeError(kMovraErrorDomain, -1, "Playback DRM failure."); }

/// The length the response announces; -1 when it states none.
long long expectedContentLength(const HttpResponse* response) {
    auto length = response ? response->header("Content-Length") : std::nullopt;
    if (!length || length->empty()) return -1;
    try {
        return std::stoll(*length);
    } catch (const std::exception&) {
        return -1;
    }
}

}  // namespace

MVTavikAssetLoaderDelegate::MVTavikAssetLoaderDelegate() : transport_(Platform::current().makeTransport()) {
    if (auto client = MVHTTPClient::sharedClient()) {
        apiBaseURL_ = client->baseURL();
        deviceId_ = client->deviceId();
        deviceToken_ = client->deviceToken().value_or("");
    }
}

bool MVTavikAssetLoaderDelegate::shouldWaitForLoadingOfRequestedResource(
    const std::shared_ptr<MediaLoadingRequest>& request) {
    auto url = Url::parse(request->url());
    if (!url || url->scheme() != kKeyScheme) return false;
    const std::string contentId = request->url().substr(std::min(kKeySchemePrefixLength, request->url().size()));
    ErrorPtr error;
    auto message = request->streamingContentKeyRequestData(readCertificate(), contentId, &error);
    if (!message) {
        Log::error("Error creating server request: {}", error ? error->summary() : "(null)");
        return false;
    }
    if (auto body = getResponseForKeyId(contentId, *message)) {
        request->respondWithData(std::move(*body));
        request->finishLoading();
    } else {
        request->finishLoadingWithError(drmFailure());
    }
    return true;
}

void MVTavikAssetLoaderDelegate::setAuthHeadersForRequest(HttpRequest& request) const {
    if (!deviceId_.empty()) request.setHeader("X-Stravo-DeviceId", deviceId_);
    if (!deviceToken_.empty()) request.setHeader("X-Stravo-DeviceToken", deviceToken_);
}

std::optional<std::string> MVTavikAssetLoaderDelegate::getResponseForKeyId(const std::string& keyId,
                                                                           const std::string& requestBytes) {
    // The API host keeps its port: a deployment (or the emulator) may serve on one of its own.
    std::string host = apiBaseURL_ ? apiBaseURL_->host() : std::string();
    if (auto port = apiBaseURL_ ? apiBaseURL_->port() : std::nullopt) host += ":" + std::to_string(*port);
    HttpRequest request;
    request.method = "POST";
    request.url = "https://" + host + "/stoffice/drm/fps/?" +
                  queryStringFromParameters({{"keyId", keyId}, {"assetId", assetId_}});
    request.setHeader("Content-Type", "application/octect-stream");
    setAuthHeadersForRequest(request);
    request.body = requestBytes;

    Attempt attempt;
    for (int number = 1; number <= kKeyRequestAttempts; ++number) {
        attempt = sendSynchronously(request);
        if (attempt.succeeded) break;
        Log::error("DRM Failed with error {}: attempt {} of {}", attempt.error ? attempt.error->summary() : "(null)",
                   number, kKeyRequestAttempts);
    }
    if (attempt.error) {
        Log::error("DRM FAILED: {}", attempt.error->summary());
        if (auto handler = drmErrorHandler()) handler->drmErrorOccurred(drmFailure());
    }
    return attempt.body;
}

MVTavikAssetLoaderDelegate::Attempt MVTavikAssetLoaderDelegate::sendSynchronously(const HttpRequest& request) {
    struct Outcome {
        std::mutex mutex;
        std::condition_variable answered;
        bool done = false;
        Attempt attempt;
    };
    auto outcome = std::make_shared<Outcome>();
    auto task = transport_->dataTask(
        request,
        [outcome](const HttpTaskPtr&, std::shared_ptr<const HttpResponse> response, std::string body, ErrorPtr error) {
            std::lock_guard lock(outcome->mutex);
            outcome->attempt.error = error;
            if (!error) outcome->attempt.body = std::move(body);
            outcome->attempt.succeeded = !error && expectedContentLength(response.get()) != 0;
            outcome->done = true;
            outcome->answered.notify_all();
        });
    std::unique_lock lock(outcome->mutex);
    // A transport that was shut down completes the task without ever calling back; two quiet slices after
    // its completion tell that apart from an answer still on its way.
    int quietSlicesAfterCompletion = 0;
    while (!outcome->answered.wait_for(lock, std::chrono::milliseconds(200), [&] { return outcome->done; })) {
        if (task->state() == HttpTask::State::Completed && ++quietSlicesAfterCompletion >= 2) {
            outcome->attempt.error = makeError(kURLErrorDomain, kURLErrorCancelled, "cancelled");
            break;
        }
    }
    return std::move(outcome->attempt);
}

}  // namespace movra
