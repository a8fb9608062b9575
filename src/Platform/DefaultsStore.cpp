#include "Platform/DefaultsStore.h"

#include "Foundation/Strings.h"

namespace movra {

std::optional<std::string> DefaultsStore::stringForKey(std::string_view key) const {
    auto value = object(key);
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

bool DefaultsStore::boolForKey(std::string_view key) const {
    auto value = object(key);
    if (!value) return false;
    if (value->is_boolean()) return value->get<bool>();
    if (value->is_number()) return value->get<double>() != 0;
    if (value->is_string()) {
        auto s = toLower(value->get<std::string>());
        return s == "yes" || s == "true" || integerValue(s) != 0;
    }
    return false;
}

long long DefaultsStore::integerForKey(std::string_view key) const {
    auto value = object(key);
    if (!value) return 0;
    if (value->is_boolean()) return value->get<bool>() ? 1 : 0;
    if (value->is_number()) return static_cast<long long>(value->get<double>());
    if (value->is_string()) return integerValue(value->get<std::string>());
    return 0;
}

}  // namespace movra
