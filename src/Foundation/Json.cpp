#include "Foundation/Json.h"

namespace movra {

bool isEmpty(const Json& value) {
    if (value.is_null()) return true;
    if (value.is_string()) return value.get_ref<const std::string&>().empty();
    if (value.is_array() || value.is_object()) return value.empty();
    return false;
}

bool isEmpty(const Json& dictionary, std::string_view key) {
    if (!dictionary.is_object()) return true;
    auto it = dictionary.find(key);
    return it == dictionary.end() || isEmpty(*it);
}

bool isEmpty(const std::optional<std::string>& value) { return !value || value->empty(); }

std::optional<std::string> stringValue(const Json& dictionary, std::string_view key) {
    if (!dictionary.is_object()) return std::nullopt;
    auto it = dictionary.find(key);
    if (it == dictionary.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

void appendNewMember(Json& object, std::string key, Json value) {
    using Members = std::vector<std::pair<const std::string, Json>>;
    static_cast<Members&>(object.get_ref<Json::object_t&>()).emplace_back(std::move(key), std::move(value));
}

}  // namespace movra
