// RunLoopHandle: how work on another thread reaches a run loop that may be closed or gone by the time the
// work finishes (an HTTP completion after the platform shut down). Capture the handle when the work
// starts, instead of looking the loop up when it ends.
//
// Thread contract: every member may be called from any thread.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

namespace movra {

class RunLoop;

class RunLoopHandle {
  public:
    /// Reaches no loop: every post is dropped.
    RunLoopHandle() = default;

    /// Posts `task` to the loop; false when the loop is closed or gone, and then `task` is destroyed
    /// without running.
    bool post(std::function<void()> task) const;

  private:
    friend class RunLoop;
    /// Shared by the loop and its handles; the loop clears `loop` when it closes.
    struct Gate {
        std::mutex mutex;
        RunLoop* loop = nullptr;
    };
    explicit RunLoopHandle(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}

    std::shared_ptr<Gate> gate_;
};

}  // namespace movra
