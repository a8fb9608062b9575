// In-memory user defaults.
#pragma once

#include "Platform/DefaultsStore.h"

#include <map>
#include <mutex>

namespace movra::test {

class MemoryDefaultsStore final : public DefaultsStore {
  public:
    std::optional<Json> object(std::string_view key) const override {
        std::lock_guard lock(mutex_);
        auto it = values_.find(key);
        return it == values_.end() ? std::nullopt : std::optional(it->second);
    }
    void setObject(std::string_view key, Json value) override {
        std::lock_guard lock(mutex_);
        values_[std::string(key)] = std::move(value);
    }
    void removeObject(std::string_view key) override {
        std::lock_guard lock(mutex_);
        if (auto it = values_.find(key); it != values_.end()) values_.erase(it);
    }
    bool synchronize() override { return true; }

  private:
    mutable std::mutex mutex_;
    std::map<std::string, Json, std::less<>> values_;
};

}  // namespace movra::test
