#include "support/MemoryCredentialStore.h"

namespace movra::test {

std::optional<std::string> MemoryCredentialStore::password(std::string_view service, std::string_view account) const {
    std::lock_guard lock(mutex_);
    auto it = entries_.find({std::string(service), std::string(account)});
    if (it == entries_.end()) return std::nullopt;
    return it->second;
}

ErrorPtr MemoryCredentialStore::setPassword(std::string_view value, std::string_view service, std::string_view account) {
    std::lock_guard lock(mutex_);
    if (failWrites_) return makeError("MemoryCredentialStore", -25300, "injected write failure");
    entries_[{std::string(service), std::string(account)}] = std::string(value);
    return nullptr;
}

ErrorPtr MemoryCredentialStore::deletePassword(std::string_view service, std::string_view account) {
    std::lock_guard lock(mutex_);
    if (failWrites_) return makeError("MemoryCredentialStore", -25300, "injected write failure");
    entries_.erase({std::string(service), std::string(account)});
    return nullptr;
}

}  // namespace movra::test
