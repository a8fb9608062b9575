#include "Utilities/MVDiskImageCache.h"

#include "Foundation/Crypto.h"
#include "Foundation/Log.h"
#include "Platform/AtomicFile.h"
#include "Platform/Platform.h"

#include <filesystem>

namespace movra {

namespace {

std::size_t bytesOf(const Image& image) { return image.rgba.size(); }

void makeFolder(const std::string& path) {
    if (auto error = AtomicFile::makePrivateDirectory(path)) Log::error("{}", error->localizedDescription);
}

}  // namespace

MVDiskImageCache::MVDiskImageCache(std::string subFolderPath, std::size_t memoryLimitBytes)
    : subFolderPath_(std::move(subFolderPath)),
      folderPath_((std::filesystem::path(cachesDirectory()) / subFolderPath_).string()),
      memoryLimitBytes_(memoryLimitBytes) {
    makeFolder(folderPath_);
}

std::string MVDiskImageCache::cachesDirectory() {
    return (std::filesystem::path(Platform::current().configuration().dataDirectory) / "Caches").string();
}

std::string MVDiskImageCache::pathForURL(const Url& url) const { return pathForKey(url.absoluteString()); }

std::string MVDiskImageCache::pathForKey(const std::string& key) const {
    return (std::filesystem::path(folderPath_) / md5Hex(key)).string();
}

ImagePtr MVDiskImageCache::cachedImageForRequest(const ImageRequest& request) {
    if (request.ignoresLocalCacheData()) return nullptr;
    const auto key = request.url.absoluteString();
    if (auto image = remembered(key)) return image;
    auto file = AtomicFile::read(pathForKey(key));
    if (!file.contents) return nullptr;
    auto image = Platform::current().imageCodec().decode(*file.contents);
    if (image) remember(key, image);
    return image;
}

void MVDiskImageCache::cacheImage(ImagePtr image, const ImageRequest& request) {
    if (!image) return;
    const auto key = request.url.absoluteString();
    remember(key, image);
    std::uint64_t generation;
    {
        std::lock_guard lock(disk_->mutex);
        generation = disk_->generation;
    }
    Platform::current().globalQueue().async([disk = disk_, generation, path = pathForKey(key), image] {
        auto png = Platform::current().imageCodec().encodePNG(*image);
        std::lock_guard lock(disk->mutex);
        if (disk->generation != generation) return;
        if (!png || AtomicFile::write(path, *png)) Log::error("FAIL at {}", path);
    });
}

void MVDiskImageCache::removeAllObjects() {
    {
        std::lock_guard lock(memoryMutex_);
        entries_.clear();
        index_.clear();
        memoryBytes_ = 0;
    }
    std::lock_guard lock(disk_->mutex);
    ++disk_->generation;
    std::error_code error;
    std::filesystem::remove_all(folderPath_, error);
    if (error) Log::error("Cannot remove {}: {}", folderPath_, error.message());
    // A fresh empty folder, so that pictures cached from now on are kept on disk again.
    makeFolder(folderPath_);
}

ImagePtr MVDiskImageCache::remembered(const std::string& key) {
    std::lock_guard lock(memoryMutex_);
    auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, it->second);
    return it->second->image;
}

void MVDiskImageCache::remember(const std::string& key, ImagePtr image) {
    std::lock_guard lock(memoryMutex_);
    if (auto it = index_.find(key); it != index_.end()) {
        memoryBytes_ -= bytesOf(*it->second->image);
        entries_.erase(it->second);
    }
    memoryBytes_ += bytesOf(*image);
    entries_.push_front({key, std::move(image)});
    index_[key] = entries_.begin();
    // The newest picture stays even when it alone is over the limit: its caller is about to show it.
    while (memoryBytes_ > memoryLimitBytes_ && entries_.size() > 1) {
        memoryBytes_ -= bytesOf(*entries_.back().image);
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
}

}  // namespace movra
