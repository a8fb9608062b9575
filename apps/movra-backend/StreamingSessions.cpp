// Counting the open streaming sessions of each account.
#include "movra-backend/StreamingSessions.h"

namespace movra::backend {

bool StreamingSessions::open(const std::string& userName, const std::string& deviceId, const std::string& guid) {
    std::lock_guard lock(mutex_);
    auto& devices = open_[userName];
    if (!devices.count(deviceId) && devices.size() >= kMaxPerAccount) return false;
    devices[deviceId] = guid;
    return true;
}

bool StreamingSessions::close(const std::string& userName, const std::string& deviceId) {
    std::lock_guard lock(mutex_);
    auto account = open_.find(userName);
    if (account == open_.end() || account->second.erase(deviceId) == 0) return false;
    if (account->second.empty()) open_.erase(account);
    return true;
}

std::size_t StreamingSessions::openCount(const std::string& userName) const {
    std::lock_guard lock(mutex_);
    auto account = open_.find(userName);
    return account == open_.end() ? 0 : account->second.size();
}

Json StreamingSessions::toJson() const {
    std::lock_guard lock(mutex_);
    Json sessions = Json::object();
    for (const auto& [userName, devices] : open_) {
        Json each = Json::object();
        for (const auto& [deviceId, guid] : devices) each[deviceId] = guid;
        sessions[userName] = std::move(each);
    }
    return sessions;
}

}  // namespace movra::backend
