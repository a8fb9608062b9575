// In-memory keychain with injectable write failures.
#pragma once

#include "Platform/CredentialStore.h"

#include <map>
#include <mutex>

namespace movra::test {

class MemoryCredentialStore final : public CredentialStore {
  public:
    std::optional<std::string> password(std::string_view service, std::string_view account) const override {
        std::lock_guard lock(mutex_);
        auto it = entries_.find({std::string(service), std::string(account)});
        return it == entries_.end() ? std::nullopt : std::optional(it->second);
    }
    ErrorPtr setPassword(std::string_view value, std::string_view service, std::string_view account) override {
        std::lock_guard lock(mutex_);
        if (failWrites_) return makeError("MemoryCredentialStore", -25300, "injected write failure");
        entries_[{std::string(service), std::string(account)}] = std::string(value);
        return nullptr;
    }
    ErrorPtr deletePassword(std::string_view service, std::string_view account) override {
        std::lock_guard lock(mutex_);
        if (failWrites_) return makeError("MemoryCredentialStore", -25300, "injected write failure");
        entries_.erase({std::string(service), std::string(account)});
        return nullptr;
    }

    /// Makes every later write (set and delete) fail.
    void setFailWrites(bool fail) { failWrites_ = fail; }

  private:
    mutable std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, std::string> entries_;
    bool failWrites_ = false;
};

}  // namespace movra::test
