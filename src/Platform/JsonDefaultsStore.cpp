#include "Platform/JsonDefaultsStore.h"

#include "Foundation/Log.h"
#include "Platform/AtomicFile.h"

#include <filesystem>

namespace movra {

JsonDefaultsStore::JsonDefaultsStore(std::string path) : path_(std::move(path)) { load(); }

JsonDefaultsStore::~JsonDefaultsStore() { synchronize(); }

void JsonDefaultsStore::load() {
    auto read = AtomicFile::read(path_);
    if (!read.contents && !read.error) return;  // first start
    Json json;
    if (read.contents) json = Json::parse(*read.contents, nullptr, /*allow_exceptions=*/false);
    if (read.error || json.is_discarded() || !json.is_object()) {
        // Keep the damaged file for inspection, and start over rather than fail every later write.
        AtomicFile::setAside(path_, "Defaults file", read.error ? read.error->summary() : "not a JSON object");
        return;
    }
    values_ = std::move(json);
}

std::optional<Json> JsonDefaultsStore::object(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return *it;
}

void JsonDefaultsStore::setObject(std::string_view key, Json value) {
    std::lock_guard lock(mutex_);
    values_[std::string(key)] = std::move(value);
    ++version_;
}

void JsonDefaultsStore::removeObject(std::string_view key) {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end()) return;
    values_.erase(it);
    ++version_;
}

bool JsonDefaultsStore::synchronize() {
    std::lock_guard writing(writeMutex_);
    std::string text;
    std::uint64_t version;
    {
        std::lock_guard lock(mutex_);
        if (version_ == savedVersion_) return true;
        version = version_;
        try {
            text = values_.dump(2) + "\n";
        } catch (const Json::exception& e) {
            Log::error("Cannot save defaults: {}", e.what());
            return false;
        }
    }
    // The file is written outside the value lock so readers on the main queue never wait for the disk.
    const auto folder = std::filesystem::path(path_).parent_path();
    ErrorPtr error = folder.empty() ? nullptr : AtomicFile::makePrivateDirectory(folder.string());
    if (!error) error = AtomicFile::write(path_, text);
    if (error) {
        Log::error("Cannot save defaults: {}", error->summary());
        return false;
    }
    std::lock_guard lock(mutex_);
    savedVersion_ = version;
    return true;
}

}  // namespace movra
