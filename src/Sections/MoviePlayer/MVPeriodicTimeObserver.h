// MVPeriodicTimeObserver: the cast player's counterpart of the platform player's periodic time observer: a
// repeating timer that hands its block to a queue (the main queue when none is given) at every interval.
//
// Thread contract: made, scheduled and invalidated on the main queue; the block runs on its queue.
#pragma once

#include "Foundation/DispatchQueue.h"
#include "Foundation/Timer.h"

#include <functional>
#include <memory>

namespace movra {

class MVPeriodicTimeObserver : public std::enable_shared_from_this<MVPeriodicTimeObserver> {
  public:
    using Block = std::function<void()>;

    MVPeriodicTimeObserver(double interval, std::shared_ptr<DispatchQueue> queue, Block block);

    double interval() const { return interval_; }
    const std::shared_ptr<DispatchQueue>& queue() const { return queue_; }
    const Block& block() const { return block_; }
    const TimerPtr& timer() const { return timer_; }

    /// Schedules the repeating timer on the main queue; it holds the observer weakly.
    void scheduleTimer();
    /// Stops the timer for good.
    void invalidate();
    /// Dispatches the block asynchronously on its queue.
    void fireBlock();

  private:
    double interval_;
    std::shared_ptr<DispatchQueue> queue_;
    Block block_;
    TimerPtr timer_;
};

}  // namespace movra
