#include "Foundation/NotificationCenter.h"

#include <algorithm>

namespace movra {

NotificationCenter::Token NotificationCenter::addObserver(std::string name, Handler handler, const void* sender) {
    auto observer = std::make_shared<Observer>();
    observer->handler = std::move(handler);
    std::lock_guard lock(mutex_);
    Token token = next_++;
    entries_.push_back(Entry{token, std::move(name), sender, std::move(observer)});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::shared_ptr<Observer> observer;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(entries_.begin(), entries_.end(), [token](const Entry& e) { return e.token == token; });
        if (it == entries_.end()) return;
        observer = std::move(it->observer);
        entries_.erase(it);
    }
    Handler released;
    {
        std::unique_lock lock(callsMutex_);
        observer->removed = true;
        auto& callers = observer->callers;
        // From inside its own call there is nothing to wait for: waiting could meet another thread doing the
        // same (an observer that removes itself on its first notice, posted on two threads at once).
        if (std::find(callers.begin(), callers.end(), std::this_thread::get_id()) != callers.end()) return;
        callReturned_.wait(lock, [&] { return callers.empty(); });
        released = std::move(observer->handler);
    }
    // `released` goes here, outside both locks: its captures may remove observers of their own.
}

void NotificationCenter::deliver(Observer& observer, const Notification& notification) {
    const auto self = std::this_thread::get_id();
    {
        std::lock_guard lock(callsMutex_);
        if (observer.removed) return;
        observer.callers.push_back(self);
    }
    struct Leave {
        NotificationCenter& center;
        Observer& observer;
        std::thread::id self;
        ~Leave() {
            {
                std::lock_guard lock(center.callsMutex_);
                auto& callers = observer.callers;
                callers.erase(std::find(callers.begin(), callers.end(), self));
            }
            center.callReturned_.notify_all();
        }
    } leave{*this, observer, self};
    observer.handler(notification);
}

void NotificationCenter::post(const Notification& notification) {
    std::vector<std::shared_ptr<Observer>> targets;
    {
        std::lock_guard lock(mutex_);
        for (const auto& e : entries_) {
            if (e.name == notification.name && (!e.sender || e.sender == notification.sender))
                targets.push_back(e.observer);
        }
    }
    for (const auto& observer : targets) deliver(*observer, notification);
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
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; }));
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
