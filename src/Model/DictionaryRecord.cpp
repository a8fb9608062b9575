// DictionaryRecord: values of the media sub-records.
#include "Model/DictionaryRecord.h"

#include "Foundation/Log.h"
#include "Model/AttributeValues.h"

namespace movra {

DictionaryRecord::DictionaryRecord(Json dictionary)
    : values_(dictionary.is_object() ? std::move(dictionary) : Json::object()) {}

Json DictionaryRecord::jsonFromData(const std::optional<std::string>& data) {
    if (isEmpty(data)) return nullptr;
    auto json = Json::parse(*data, /*cb=*/nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded()) {
        Log::warning("Archived sub-record data is not JSON: {}", *data);
        return nullptr;
    }
    return json;
}

Json DictionaryRecord::renamedValues(const Json& dictionary,
                                     std::initializer_list<std::pair<std::string_view, std::string_view>> names) {
    Json values = Json::object();
    if (!dictionary.is_object()) return values;
    for (const auto& [from, to] : names)
        if (auto it = dictionary.find(from); it != dictionary.end() && !it->is_null()) values[std::string(to)] = *it;
    return values;
}

std::optional<std::int32_t> DictionaryRecord::integer(std::string_view key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    auto number = numberFromValue(*it);
    return number ? std::optional(int32Value(*number)) : std::nullopt;
}

std::optional<bool> DictionaryRecord::boolean(std::string_view key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    auto number = numberFromValue(*it);
    return number ? std::optional(*number != 0) : std::nullopt;
}

}  // namespace movra
