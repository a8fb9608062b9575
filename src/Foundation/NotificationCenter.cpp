#include "Foundation/NotificationCenter.h"

#include <algorithm>

namespace movra {

NotificationCenter::Token NotificationCenter::addObserver(std::string name, Handler handler, const void* sender) {
    std::lock_guard lock(mutex_);
    Token token = next_++;
    entries_.push_back(Entry{token, std::move(name), sender, std::make_shared<Handler>(std::move(handler))});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [token](const Entry& e) { return e.token == token; });
}

void NotificationCenter::post(const Notification& notification) {
    std::vector<std::pair<Token, std::shared_ptr<Handler>>> targets;
    {
        std::lock_guard lock(mutex_);
        for (const auto& e : entries_) {
            if (e.name == notification.name && (!e.sender || e.sender == notification.sender))
                targets.emplace_back(e.token, e.handler);
        }
    }
    for (const auto& [token, handler] : targets) {
        bool stillRegistered;
        {
            std::lock_guard lock(mutex_);
            stillRegistered = std::any_of(entries_.begin(), entries_.end(), [t = token](const Entry& e) { return e.token == t; });
        }
        if (stillRegistered) (*handler)(notification);
    }
}

void NotificationCenter::post(std::string name, const void* sender, Json userInfo) {
    Notification n;
    n.name = std::move(name);
    n.sender = sender;
    n.userInfo = std::move(userInfo);
    post(n);
}

std::size_t NotificationCenter::observerCount(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; }));
}

ScopedObserver& ScopedObserver::operator=(ScopedObserver&& other) noexcept {
    if (this != &other) {
        reset();
        center_ = other.center_;
        token_ = other.token_;
        other.center_ = nullptr;
    }
    return *this;
}

void ScopedObserver::reset() {
    if (center_) center_->removeObserver(token_);
    center_ = nullptr;
}

}  // namespace movra
