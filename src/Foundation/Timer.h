// Timer: a one-shot or repeating timer on a RunLoop (like a platform run-loop timer).
//
// Thread contract: created, fired, invalidated and rescheduled on the loop's thread.
#pragma once

#include <functional>
#include <memory>

namespace movra {

class RunLoop;

class Timer : public std::enable_shared_from_this<Timer> {
  public:
    using Callback = std::function<void(Timer&)>;

    Timer(RunLoop& loop, double interval, bool repeats, Callback callback);

    /// Stops the timer for good; its callback is released.
    void invalidate();
    bool isValid() const { return valid_; }
    double interval() const { return interval_; }
    bool repeats() const { return repeats_; }
    /// Monotonic time of the next firing.
    double fireDate() const { return fireDate_; }
    /// Moves the next firing (used to push a timer back).
    void setFireDate(double monotonicSeconds);

  private:
    friend class RunLoop;
    void fire();

    RunLoop& loop_;
    double interval_;
    bool repeats_;
    Callback callback_;
    bool valid_ = true;
    double fireDate_ = 0;
    unsigned long generation_ = 0;
};

using TimerPtr = std::shared_ptr<Timer>;

}  // namespace movra
