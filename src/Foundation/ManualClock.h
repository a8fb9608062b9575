// ManualClock: virtual time for tests. advance() moves time forward and lets every attached run loop
// fire its due timers in deadline order, stopping at each deadline on the way.
//
// Thread contract: advance() is called on the main thread (the thread that runs the attached loops).
#pragma once

#include "Foundation/Clock.h"

#include <mutex>
#include <vector>

namespace movra {

class ManualClock final : public Clock {
  public:
    explicit ManualClock(std::chrono::system_clock::time_point start = std::chrono::system_clock::time_point{
                             std::chrono::seconds{1'800'000'000}});

    double monotonicSeconds() const override;
    std::chrono::system_clock::time_point now() const override;
    bool isManual() const override { return true; }
    void addListener(ClockListener* listener) override;
    void removeListener(ClockListener* listener) override;

    /// Moves time forward by `seconds`, firing due timers in order.
    void advance(double seconds);

  private:
    void setElapsed(double elapsed);

    mutable std::mutex mutex_;
    double elapsed_ = 0;
    std::chrono::system_clock::time_point start_;
    std::vector<ClockListener*> listeners_;
};

}  // namespace movra
