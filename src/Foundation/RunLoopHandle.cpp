#include "Foundation/RunLoopHandle.h"

#include "Foundation/RunLoop.h"

namespace movra {

bool RunLoopHandle::post(std::function<void()> task) const {
    if (!gate_) return false;
    // Held across the post, so the loop cannot close (and be destroyed) halfway through it.
    std::lock_guard lock(gate_->mutex);
    if (!gate_->loop) return false;
    gate_->loop->post(std::move(task));
    return true;
}

}  // namespace movra
