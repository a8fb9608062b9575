// DefaultsStore: the user defaults. Small persistent settings as JSON values by key.
//
// Thread contract: every member may be called from any thread.
#pragma once

#include "Foundation/Json.h"

#include <optional>
#include <string>
#include <string_view>

namespace movra {

class DefaultsStore {
  public:
    virtual ~DefaultsStore() = default;
    /// The stored value, or nullopt when the key is absent.
    virtual std::optional<Json> object(std::string_view key) const = 0;
    virtual void setObject(std::string_view key, Json value) = 0;
    virtual void removeObject(std::string_view key) = 0;
    /// Writes pending changes to storage; false when that failed.
    virtual bool synchronize() = 0;

    /// The string under `key`, nullopt when absent or not a string.
    std::optional<std::string> stringForKey(std::string_view key) const;
    /// Booleans, numbers (non-zero) and the strings "YES"/"true"/"1" read as true.
    bool boolForKey(std::string_view key) const;
    long long integerForKey(std::string_view key) const;
};

}  // namespace movra
