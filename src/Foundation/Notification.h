// Notification: a named event with an optional sender and user info. User info holds plain values
// (numbers, strings) as JSON and record objects (an MVItem, say) as shared pointers.
#pragma once

#include "Foundation/Json.h"

#include <any>
#include <map>
#include <optional>
#include <string>

namespace movra {

struct Notification {
    std::string name;
    const void* sender = nullptr;
    Json userInfo = Json::object();
    /// Objects that are not plain values, by user-info key.
    std::map<std::string, std::any> objects;

    /// The number under `key` (integer, or a floating value truncated), else nullopt.
    std::optional<long long> numberValue(const std::string& key) const;
    template <class T>
    const T* object(const std::string& key) const {
        auto it = objects.find(key);
        return it == objects.end() ? nullptr : std::any_cast<T>(&it->second);
    }
};

}  // namespace movra
