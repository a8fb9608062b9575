#include "Foundation/Timer.h"

#include "Foundation/RunLoop.h"

namespace movra {

Timer::Timer(RunLoop& loop, double interval, bool repeats, Callback callback)
    : loop_(loop), interval_(interval), repeats_(repeats), callback_(std::move(callback)) {}

void Timer::invalidate() {
    valid_ = false;
    ++generation_;
    callback_ = nullptr;
}

void Timer::setFireDate(double monotonicSeconds) {
    if (!valid_) return;
    fireDate_ = monotonicSeconds;
    ++generation_;
    loop_.scheduleTimerFiring(*this);
}

void Timer::fire() {
    if (!valid_) return;
    auto keep = shared_from_this();  // the callback may drop the last outside reference
    auto callback = callback_;
    if (repeats_) {
        // A zero interval would keep a manual clock at one instant forever.
        fireDate_ = loop_.clock().monotonicSeconds() + std::max(interval_, 1e-4);
        loop_.scheduleTimerFiring(*this);
    } else {
        valid_ = false;
    }
    if (callback) callback(*this);
    if (!repeats_) callback_ = nullptr;
}

}  // namespace movra
