// In-memory keychain with injectable write failures.
#pragma once

#include <map>
#include <mutex>

#include "Platform/CredentialStore.h"

namespace movra::test {

class MemoryCredentialStore final : public CredentialStore {
public:
    std::optional<std::string> password(std::string_view service, std::string_view account) const override;
    ErrorPtr setPassword(std::string_view value, std::string_view service, std::string_view account) override;
    ErrorPtr deletePassword(std::string_view service, std::string_view account) override;

    /// Makes every later write (set and delete) fail.
    void setFailWrites(bool fail) { failWrites_ = fail; }

private:
    mutable std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, std::string> entries_;
    bool failWrites_ = false;
};

}  // namespace movra::test
