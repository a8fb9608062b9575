#include "Foundation/ManualClock.h"

#include <algorithm>

namespace movra {

ManualClock::ManualClock(std::chrono::system_clock::time_point start) : start_(start) {}

double ManualClock::monotonicSeconds() const {
    std::lock_guard lock(mutex_);
    return elapsed_;
}

std::chrono::system_clock::time_point ManualClock::now() const {
    std::lock_guard lock(mutex_);
    return start_ +
           std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::duration<double>(elapsed_));
}

void ManualClock::addListener(ClockListener* listener) {
    std::lock_guard lock(mutex_);
    listeners_.push_back(listener);
}

void ManualClock::removeListener(ClockListener* listener) {
    std::lock_guard lock(mutex_);
    std::erase(listeners_, listener);
}

void ManualClock::setElapsed(double elapsed) {
    std::lock_guard lock(mutex_);
    elapsed_ = std::max(elapsed_, elapsed);
}

void ManualClock::advance(double seconds) {
    const double target = monotonicSeconds() + std::max(0.0, seconds);
    for (;;) {
        std::vector<ClockListener*> listeners;
        {
            std::lock_guard lock(mutex_);
            listeners = listeners_;
        }
        // Stop at the earliest deadline on the way so that timers fire in order and see the right time.
        std::optional<double> next;
        for (auto* l : listeners) {
            auto d = l->nextDeadline();
            if (d && *d <= target && (!next || *d < *next)) next = d;
        }
        if (!next) break;
        setElapsed(*next);
        for (auto* l : listeners) l->runDue();
    }
    setElapsed(target);
    std::vector<ClockListener*> listeners;
    {
        std::lock_guard lock(mutex_);
        listeners = listeners_;
    }
    for (auto* l : listeners) l->runDue();
}

}  // namespace movra
