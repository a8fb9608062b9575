// JsonDefaultsStore: the user defaults kept as one JSON object file. Values live in memory; changes are
// written by synchronize() (and on destruction) with an atomic replacement of the file. A file that
// cannot be parsed at start is moved aside to "<file>.corrupt" and the store starts empty.
//
// Thread contract: every member may be called from any thread.
#pragma once

#include "Platform/DefaultsStore.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace movra {

class JsonDefaultsStore final : public DefaultsStore {
  public:
    /// Loads `path` when it exists; its folder is created on the first write.
    explicit JsonDefaultsStore(std::string path);
    ~JsonDefaultsStore() override;

    std::optional<Json> object(std::string_view key) const override;
    void setObject(std::string_view key, Json value) override;
    void removeObject(std::string_view key) override;
    bool synchronize() override;

  private:
    void load();

    std::string path_;
    mutable std::mutex mutex_;
    Json values_ = Json::object();
    /// Bumped by every change; the file holds the values of `savedVersion_`.
    std::uint64_t version_ = 0;
    std::uint64_t savedVersion_ = 0;
    /// Serialises writers so an older snapshot never lands after a newer one.
    std::mutex writeMutex_;
};

}  // namespace movra
