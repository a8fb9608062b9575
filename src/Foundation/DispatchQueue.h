// DispatchQueue: background work. A serial queue runs its tasks one at a time in order on its own
// thread; the global concurrent queue runs them on a small pool.
//
// Thread contract: async() and sync() may be called from any thread, shutdown() from any thread but the
// queue's own. Shutting down (and destroying) a queue waits for the tasks that are running and drops those
// not started; a task given to a shut-down queue is dropped too. A dropped task is destroyed, not run.
#pragma once

#include <functional>
#include <string>

namespace movra {

class DispatchQueue {
  public:
    using Task = std::function<void()>;
    virtual ~DispatchQueue() = default;
    virtual void async(Task task) = 0;
    /// Runs `task` on the queue and waits for it; returns without running it when the queue drops it.
    /// Never call it from the queue itself.
    virtual void sync(Task task);
    virtual const std::string& label() const = 0;
    /// Stops the queue for good (see the thread contract); once it returns, no task of it runs. Idempotent.
    virtual void shutdown() = 0;
};

}  // namespace movra
