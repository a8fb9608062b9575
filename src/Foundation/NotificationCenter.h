// NotificationCenter: the process-wide notification centre. Delivery is synchronous, on the posting
// thread, to the observers registered at the moment of posting, in registration order.
//
// Thread contract: every member may be called from any thread; an observer removed on the posting thread
// during delivery is not called afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Foundation/Notification.h"

namespace movra {

class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;
    using Token = std::uint64_t;

    /// Observes `name` from `sender` (nullptr: any sender).
    Token addObserver(std::string name, Handler handler, const void* sender = nullptr);
    void removeObserver(Token token);
    void post(const Notification& notification);
    void post(std::string name, const void* sender = nullptr, Json userInfo = Json::object());
    std::size_t observerCount(const std::string& name) const;

private:
    struct Entry {
        Token token;
        std::string name;
        const void* sender;
        std::shared_ptr<Handler> handler;
    };
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    Token next_ = 1;
};

/// Removes its observer when destroyed.
class ScopedObserver {
public:
    ScopedObserver() = default;
    ScopedObserver(NotificationCenter& center, NotificationCenter::Token token) : center_(&center), token_(token) {}
    ScopedObserver(ScopedObserver&& other) noexcept { *this = std::move(other); }
    ScopedObserver& operator=(ScopedObserver&& other) noexcept;
    ~ScopedObserver() { reset(); }
    void reset();

private:
    NotificationCenter* center_ = nullptr;
    NotificationCenter::Token token_ = 0;
};

}  // namespace movra
