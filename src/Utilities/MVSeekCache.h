// MVSeekCache: the still pictures the seek bar shows. The streaming origin publishes one JPEG per second of
// a title beside the variant playlists ("<variant folder>/../images_1/<name>_1.NNNNN.jpg"); the cache finds
// that folder by reading the master playlist, prefetches every step-th picture into a disk cache, and
// answers lookups from it. One cache per playback session; destroying it cancels the downloads and empties
// the disk cache.
//
// Thread contract: main queue. Downloads run on the cache's own download queue; pictures are decoded and
// stored on the transport's thread, and every outcome then reaches the main queue, where completions run.
#pragma once

#include "Foundation/Url.h"
#include "Platform/Image.h"
#include "Utilities/DownloadOperationQueue.h"
#include "Utilities/MVDiskImageCache.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVSeekCache : public std::enable_shared_from_this<MVSeekCache> {
  public:
    /// Sub-directory of the caches directory that holds the pictures.
    static constexpr const char* kSubDirectory = "seek_cache";
    /// Downloads at once; older devices (see isOlderDevice) take half.
    static constexpr std::size_t kMaxConcurrentDownloads = 4;
    /// Decoded pictures kept in memory; the rest are read back from their files.
    static constexpr std::size_t kMemoryLimitBytes = 24 * 1024 * 1024;

    MVSeekCache();
    ~MVSeekCache();
    MVSeekCache(const MVSeekCache&) = delete;
    MVSeekCache& operator=(const MVSeekCache&) = delete;

    /// Whether a device model is one of the older ones whose download queue runs at most 2 at once.
    static bool isOlderDevice(const std::string& model);

    /// downloadImagesFromPlaylist:withStep:andMaxFrame: fetches the master playlist and then the pictures
    /// for 0, step, 2 × step, ... below `maxFrame` seconds. A step of 0 is taken as 1.
    void downloadImagesFromPlaylist(const Url& playlistURL, unsigned step, unsigned maxFrame);
    /// The cached picture of the time rounded down to a multiple of the step; nullptr when there is none.
    ImagePtr cachedImageForTime(double seconds);
    /// The picture URL of the whole second below `seconds` (not rounded to the step); nullopt without a base
    /// path or for a time before 0.
    std::optional<Url> urlForImageAtTime(double seconds) const;
    ImagePtr cachedImageForURL(const Url& url);
    /// Calls `completion` (may be null) on the main queue with the picture: at once when it is cached, else
    /// once downloaded and cached. A failed download calls nothing.
    void downloadAndCacheImageFromURL(const Url& url, std::function<void(ImagePtr image)> completion = nullptr);
    /// The picture URL up to the frame number, from the last variant entry whose directory name has a "_";
    /// nullopt when there is none.
    static std::optional<std::string> parseBaseImagePathFromPlaylist(const std::string& playlist, const Url& baseURL);
    /// Cancels every queued and running download.
    void cancelDownloads();
    /// Removes every picture from the disk cache and drops it: later lookups find nothing.
    void deleteCache();

    unsigned step() const { return step_; }
    unsigned maxFrame() const { return maxFrame_; }
    const std::optional<std::string>& baseFramePath() const { return baseFramePath_; }
    /// Downloads whose outcome has not reached the main queue yet.
    std::size_t operationCount() const { return playlistsPending_ + picturesPending_; }
    std::size_t maxConcurrentDownloads() const { return imageDownloadQueue_->maxConcurrentOperationCount(); }

  private:
    void playlistDownloaded(const Url& playlistURL, const std::string& body, const ErrorPtr& error);
    std::optional<Url> urlForFrame(unsigned long long second) const;

    std::shared_ptr<MVDiskImageCache> imageCache_;
    std::shared_ptr<DownloadOperationQueue> imageDownloadQueue_;
    unsigned step_ = 1;
    unsigned maxFrame_ = 0;
    std::optional<std::string> baseFramePath_;
    /// Downloads asked for whose outcome has not reached the main queue yet.
    std::size_t playlistsPending_ = 0;
    std::size_t picturesPending_ = 0;
    /// Bumped by cancelDownloads(), so that a playlist read afterwards is dropped.
    std::uint64_t cancellations_ = 0;
};

}  // namespace movra
