// CredentialStore: the keychain. Generic passwords (strings) by service and account.
//
// Thread contract: every member may be called from any thread.
#pragma once

#include "Foundation/Error.h"

#include <optional>
#include <string>
#include <string_view>

namespace movra {

class CredentialStore {
  public:
    virtual ~CredentialStore() = default;
    /// The stored value, or nullopt when there is none (an empty string is a stored value).
    virtual std::optional<std::string> password(std::string_view service, std::string_view account) const = 0;
    /// nullptr on success; a write never leaves a half-written entry.
    virtual ErrorPtr setPassword(std::string_view value, std::string_view service, std::string_view account) = 0;
    /// nullptr on success or when there was nothing to delete.
    virtual ErrorPtr deletePassword(std::string_view service, std::string_view account) = 0;
};

}  // namespace movra
