// NotificationCenter: the process-wide notification centre. Delivery is synchronous, on the posting
// thread, to the observers registered at the moment of posting, in registration order.
//
// Thread contract: every member may be called from any thread, and handlers may post, add and remove
// observers. Handlers run outside the centre's lock. Once removeObserver() returns, the handler is not
// running on any other thread and is never called again: removal waits for calls in progress on other
// threads. A handler that removes itself (or an observer running further up its own thread) does not wait:
// no call starts afterwards, but one already running elsewhere may still finish. So never remove an
// observer while holding a lock its handler takes, nor from two handlers that remove each other on two
// threads at once.
#pragma once

#include "Foundation/Notification.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace movra {

class NotificationCenter {
  public:
    using Handler = std::function<void(const Notification&)>;
    using Token = std::uint64_t;

    /// Observes `name` from `sender` (nullptr: any sender).
    Token addObserver(std::string name, Handler handler, const void* sender = nullptr);
    /// See the thread contract: may wait for the handler to return on other threads.
    void removeObserver(Token token);
    void post(const Notification& notification);
    void post(std::string name, const void* sender = nullptr, Json userInfo = Json::object());
    std::size_t observerCount(const std::string& name) const;

  private:
    struct Observer {
        Handler handler;
        // Both guarded by callsMutex_.
        bool removed = false;
        std::vector<std::thread::id> callers;  // threads inside the handler now (one entry per call)
    };
    struct Entry {
        Token token;
        std::string name;
        const void* sender;
        std::shared_ptr<Observer> observer;
    };
    void deliver(Observer& observer, const Notification& notification);

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    Token next_ = 1;
    // Separate from mutex_ so that a post on one thread never waits for the list while a handler runs.
    std::mutex callsMutex_;
    std::condition_variable callReturned_;
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
