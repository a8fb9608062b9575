// The emulator's record of received requests.
#include "movra-backend/RequestLog.h"

#include "Foundation/Strings.h"

#include <algorithm>

namespace movra::backend {

std::optional<std::string> RequestLog::Entry::queryValue(std::string_view key) const {
    for (const auto& [name, value] : query) {
        if (name == key) return value;
    }
    return std::nullopt;
}

std::optional<std::string> RequestLog::Entry::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (toLower(key) == toLower(name)) return value;
    }
    return std::nullopt;
}

Json RequestLog::Entry::toJson() const {
    auto pairs = [](const Pairs& list) {
        Json array = Json::array();
        for (const auto& [name, value] : list) array.push_back({name, value});
        return array;
    };
    return {{"method", method}, {"path", path}, {"query", pairs(query)}, {"headers", pairs(headers)}, {"body", body}};
}

RequestLog::RequestLog(std::vector<std::string> secretHeaders) : secretHeaders_(std::move(secretHeaders)) {
    for (std::string& name : secretHeaders_) name = toLower(name);
}

void RequestLog::record(Entry entry) {
    for (auto& [name, value] : entry.headers) {
        if (std::find(secretHeaders_.begin(), secretHeaders_.end(), toLower(name)) != secretHeaders_.end())
            value = kRedacted;
    }
    if (entry.body.size() > kMaxBody) {
        const std::size_t size = entry.body.size();
        entry.body.resize(kMaxBody);
        entry.body += "[cut: " + std::to_string(size) + " bytes in all]";
    }
    std::lock_guard lock(mutex_);
    entries_.push_back(std::move(entry));
}

std::vector<RequestLog::Entry> RequestLog::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

void RequestLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

Json RequestLog::toJson() const {
    Json array = Json::array();
    for (const Entry& entry : entries()) array.push_back(entry.toJson());
    return array;
}

}  // namespace movra::backend
