#include "Platform/MediaObserverList.h"

#include <algorithm>

namespace movra {

MediaObservable::Token MediaObserverList::add(const std::string& key, std::function<void()> changed) {
    entries_.push_back({next_, key, std::move(changed)});
    return next_++;
}

bool MediaObserverList::remove(const std::string& key, MediaObservable::Token token) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.token == token && e.key == key; });
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

void MediaObserverList::notify(const std::string& key) const {
    // A copy: callbacks may change the list.
    std::vector<std::function<void()>> calls;
    for (const auto& e : entries_)
        if (e.key == key) calls.push_back(e.changed);
    for (const auto& call : calls) call();
}

}  // namespace movra
