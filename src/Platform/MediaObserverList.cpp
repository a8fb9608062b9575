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
    std::vector<MediaObservable::Token> tokens;
    for (const auto& e : entries_)
        if (e.key == key) tokens.push_back(e.token);
    for (const auto token : tokens) {
        // One removed by an earlier callback is not called: whoever registered it may be gone.
        auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.token == token; });
        if (it == entries_.end()) continue;
        // A copy: the callback may change the list.
        auto call = it->changed;
        call();
    }
}

}  // namespace movra
