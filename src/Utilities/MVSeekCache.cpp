#include "Utilities/MVSeekCache.h"

#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Platform/Platform.h"
#include "Utilities/AFImageResponseSerializer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace movra {

namespace {

ImageRequest pictureRequest(const Url& url) { return ImageRequest{url}; }

/// A time the seek bar can stand at; NaN and negative times have no picture.
bool isSeekableTime(double seconds) { return std::isfinite(seconds) && seconds >= 0; }

}  // namespace

MVSeekCache::MVSeekCache()
    : imageCache_(std::make_shared<MVDiskImageCache>(kSubDirectory, kMemoryLimitBytes)),
      imageDownloadQueue_(std::make_shared<DownloadOperationQueue>(
          isOlderDevice(Platform::current().device().localizedModel()) ? kMaxConcurrentDownloads / 2
                                                                       : kMaxConcurrentDownloads)) {}

MVSeekCache::~MVSeekCache() {
    cancelDownloads();
    deleteCache();
}

bool MVSeekCache::isOlderDevice(const std::string& model) {
    static constexpr std::array<const char*, 10> kOlder = {"iPhone1", "iPhone2", "iPhone3", "iPod1", "iPod2",
                                                           "iPod3",   "iPod4",   "iPad1",   "iPad2", "iPad3"};
    // By generation, not by prefix: "iPhone1" must not take in the iPhone 10 to 19 ("iPhone10,3").
    const auto generation = model.substr(0, model.find(','));
    return std::find(kOlder.begin(), kOlder.end(), generation) != kOlder.end();
}

void MVSeekCache::downloadImagesFromPlaylist(const Url& playlistURL, unsigned step, unsigned maxFrame) {
    step_ = step == 0 ? 1 : step;
    maxFrame_ = maxFrame;
    ++playlistsPending_;
    HttpRequest request;
    request.url = playlistURL.absoluteString();
    auto mainQueue = Platform::current().mainQueue().handle();
    imageDownloadQueue_->addOperation(
        std::move(request), [weak = weak_from_this(), mainQueue, playlistURL, generation = cancellations_](
                                std::shared_ptr<const HttpResponse> response, std::string body, ErrorPtr error) {
            if (!error && response && (response->statusCode < 200 || response->statusCode > 299))
                error = makeError(kURLErrorDomain, kURLErrorBadServerResponse,
                                  "HTTP " + std::to_string(response->statusCode));
            mainQueue.post([weak, playlistURL, body = std::move(body), error, generation] {
                auto self = weak.lock();
                // An answer that was on its way when the downloads were cancelled starts nothing.
                if (self && generation == self->cancellations_) self->playlistDownloaded(playlistURL, body, error);
            });
        });
}

void MVSeekCache::playlistDownloaded(const Url& playlistURL, const std::string& body, const ErrorPtr& error) {
    --playlistsPending_;
    if (error) {
        Log::error("Playlist download failed {}", error->summary());
        return;
    }
    baseFramePath_ = parseBaseImagePathFromPlaylist(body, playlistURL);
    if (!baseFramePath_) return;
    for (unsigned long long second = 0; second < maxFrame_; second += step_)
        if (auto url = urlForFrame(second)) downloadAndCacheImageFromURL(*url);
}

std::optional<Url> MVSeekCache::urlForFrame(unsigned long long second) const {
    if (!baseFramePath_) return std::nullopt;
    char frame[32];
    std::snprintf(frame, sizeof frame, "%05llu.jpg", second);
    return Url::parse(*baseFramePath_ + frame);
}

ImagePtr MVSeekCache::cachedImageForTime(double seconds) {
    if (!baseFramePath_ || !isSeekableTime(seconds)) return nullptr;
    const auto whole = static_cast<unsigned long long>(seconds);
    auto url = urlForFrame(whole / step_ * step_);
    return url ? cachedImageForURL(*url) : nullptr;
}

std::optional<Url> MVSeekCache::urlForImageAtTime(double seconds) const {
    if (!isSeekableTime(seconds)) return std::nullopt;
    return urlForFrame(static_cast<unsigned long long>(seconds));
}

ImagePtr MVSeekCache::cachedImageForURL(const Url& url) {
    return imageCache_ ? imageCache_->cachedImageForRequest(pictureRequest(url)) : nullptr;
}

void MVSeekCache::downloadAndCacheImageFromURL(const Url& url, std::function<void(ImagePtr image)> completion) {
    const auto request = pictureRequest(url);
    if (auto cached = cachedImageForURL(url)) {
        if (completion) completion(cached);
        return;
    }
    ++picturesPending_;
    auto mainQueue = Platform::current().mainQueue().handle();
    imageDownloadQueue_->addOperation(
        request.httpRequest(), [weak = weak_from_this(), cache = std::weak_ptr<MVDiskImageCache>(imageCache_),
                                mainQueue, request, generation = cancellations_, completion = std::move(completion)](
                                   std::shared_ptr<const HttpResponse> response, std::string body, ErrorPtr error) {
            // Decoded here, off the main queue; a failure leaves a hole.
            ImagePtr image;
            if (!error) image = AFImageResponseSerializer().responseObjectForResponse(response.get(), body, &error);
            if (image && (image->width <= 0 || image->height <= 0)) image.reset();
            if (image)
                if (auto target = cache.lock()) target->cacheImage(image, request);
            // Every outcome reaches the main queue, where the downloads are counted.
            mainQueue.post([weak, generation, completion, image] {
                auto self = weak.lock();
                if (!self || generation != self->cancellations_) return;
                --self->picturesPending_;
                if (image && completion) completion(image);
            });
        });
}

std::optional<std::string> MVSeekCache::parseBaseImagePathFromPlaylist(const std::string& playlist,
                                                                       const Url& baseURL) {
    std::optional<std::string> prefix;
    for (const auto& piece : split(playlist, "#")) {
        if (!startsWith(piece, "EXT-X-STREAM-INF:PROGRAM-ID")) continue;
        const auto lines = split(piece, "\n");
        if (lines.size() < 2) continue;
        // Playlists written on other systems end their lines with CR LF.
        const auto parts = split(trim(lines[1], "\r"), "/");
        if (parts.size() < 2) continue;
        const std::string& directory = parts[parts.size() - 2];
        const auto underscore = directory.rfind('_');
        // A directory name without "_" names no picture set: that entry gives no path.
        if (underscore == std::string::npos) continue;
        prefix = directory.substr(0, underscore);
    }
    if (!prefix) return std::nullopt;
    // The playlist's folder: its query and fragment belong to the playlist, not to the pictures.
    Url folder = baseURL;
    const auto& path = folder.path();
    folder.setPath(path.substr(0, path.rfind('/') + 1));
    folder.setQuery(std::nullopt);
    auto text = folder.absoluteString();
    text = text.substr(0, text.find('#'));
    auto base = text + "images_1/" + *prefix + "_1.";
    // A name the playlist made up must still give URLs.
    if (!Url::parse(base)) return std::nullopt;
    return base;
}

void MVSeekCache::cancelDownloads() {
    imageDownloadQueue_->cancelAllOperations();
    ++cancellations_;
    playlistsPending_ = 0;
    picturesPending_ = 0;
}

void MVSeekCache::deleteCache() {
    if (!imageCache_) return;
    imageCache_->removeAllObjects();
    imageCache_.reset();
}

}  // namespace movra
