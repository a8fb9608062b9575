#include "support/SimulatedObservers.h"

#include <vector>

namespace movra::test {

MediaObservable::Token SimulatedObservers::add(const std::string& key, std::function<void()> changed) {
    const auto token = next_++;
    observers_[key][token] = std::move(changed);
    return token;
}

bool SimulatedObservers::remove(const std::string& key, MediaObservable::Token token) {
    auto it = observers_.find(key);
    return it != observers_.end() && it->second.erase(token) == 1;
}

std::size_t SimulatedObservers::count() const {
    std::size_t total = 0;
    for (const auto& entry : observers_) total += entry.second.size();
    return total;
}

void SimulatedObservers::notify(const std::string& key) const {
    auto it = observers_.find(key);
    if (it == observers_.end()) return;
    // Observers may remove themselves while being told.
    std::vector<std::function<void()>> callbacks;
    for (const auto& entry : it->second) callbacks.push_back(entry.second);
    for (const auto& callback : callbacks) callback();
}

}  // namespace movra::test
