// MVDiskImageCache: pictures kept in memory and as PNG files, so that the next launch shows them without a
// download. Memory is keyed by the request URL's absolute string; the file of a URL is named by the
// lower-case hex MD5 of that string and lives in "<caches directory>/<subFolderPath>".
//
// Thread contract: every member may be called from any thread. Lookups read memory and disk on the
// caller's thread; files are written on the global queue.
#pragma once

#include "Platform/Image.h"
#include "Utilities/ImageRequest.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace movra {

class MVDiskImageCache {
  public:
    /// Pixel bytes kept in memory before the least recently used pictures are dropped (they stay on disk).
    static constexpr std::size_t kDefaultMemoryLimitBytes = 64 * 1024 * 1024;

    /// initWithSubDirectory: creates the folder (with missing parents, private) at once.
    explicit MVDiskImageCache(std::string subFolderPath, std::size_t memoryLimitBytes = kDefaultMemoryLimitBytes);

    /// "<data directory>/Caches".
    static std::string cachesDirectory();
    const std::string& subFolderPath() const { return subFolderPath_; }
    const std::string& folderPath() const { return folderPath_; }
    /// The file that holds the picture of `url`.
    std::string pathForURL(const Url& url) const;

    /// The cached picture, from memory or else from its file; nullptr when there is none, when the file is
    /// no picture, or when the request's cache policy ignores local data.
    ImagePtr cachedImageForRequest(const ImageRequest& request);
    /// Keeps `image` in memory at once and writes its file in the background (nullptr is ignored).
    void cacheImage(ImagePtr image, const ImageRequest& request);
    /// Empties memory and deletes every file.
    void removeAllObjects();

  private:
    struct Entry {
        std::string key;
        ImagePtr image;
    };
    /// Shared with the background writes, which may outlive the cache.
    struct Disk {
        std::mutex mutex;
        /// Bumped by removeAllObjects, so a write queued before it does not bring a file back.
        std::uint64_t generation = 0;
    };

    std::string pathForKey(const std::string& key) const;
    ImagePtr remembered(const std::string& key);
    void remember(const std::string& key, ImagePtr image);

    const std::string subFolderPath_;
    const std::string folderPath_;
    const std::size_t memoryLimitBytes_;
    std::shared_ptr<Disk> disk_ = std::make_shared<Disk>();

    std::mutex memoryMutex_;
    /// Most recently used first.
    std::list<Entry> entries_;
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    std::size_t memoryBytes_ = 0;
};

}  // namespace movra
