#include "support/MemoryDefaultsStore.h"

namespace movra::test {

std::optional<Json> MemoryDefaultsStore::object(std::string_view key) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void MemoryDefaultsStore::setObject(std::string_view key, Json value) {
    std::lock_guard lock(mutex_);
    values_[std::string(key)] = std::move(value);
}

void MemoryDefaultsStore::removeObject(std::string_view key) {
    std::lock_guard lock(mutex_);
    if (auto it = values_.find(key); it != values_.end()) values_.erase(it);
}

}  // namespace movra::test
