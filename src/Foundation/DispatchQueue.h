// DispatchQueue: background work. A serial queue runs its tasks one at a time in order on its own
// thread; the global concurrent queue runs them on a small pool.
//
// Thread contract: async() may be called from any thread. Destroying a queue waits for the task that is
// running and drops those not started.
#pragma once

#include <functional>
#include <string>

namespace movra {

class DispatchQueue {
public:
    using Task = std::function<void()>;
    virtual ~DispatchQueue() = default;
    virtual void async(Task task) = 0;
    /// Runs `task` on the queue and waits for it. Never call it from the queue itself.
    virtual void sync(Task task);
    virtual const std::string& label() const = 0;
};

}  // namespace movra
