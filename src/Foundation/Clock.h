// Clock: the one source of time for the run loop and for wall-clock "now".
//
// Thread contract: now() and monotonicSeconds() may be called from any thread.
#pragma once

#include <chrono>
#include <optional>

namespace movra {

/// Told by a clock whose time is moved by hand (ManualClock) that due work may run.
class ClockListener {
  public:
    virtual ~ClockListener() = default;
    /// Earliest monotonic deadline of pending work, if any.
    virtual std::optional<double> nextDeadline() = 0;
    /// Runs all work due at the clock's current time.
    virtual void runDue() = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    /// Seconds on a steady scale; only differences matter.
    virtual double monotonicSeconds() const = 0;
    /// Wall-clock time (ttl expiry, dates).
    virtual std::chrono::system_clock::time_point now() const = 0;
    /// now() as seconds since 1970-01-01 00:00 UTC, the store's date scale.
    double secondsSince1970() const { return std::chrono::duration<double>(now().time_since_epoch()).count(); }
    /// Whether time only moves when a test advances it.
    virtual bool isManual() const { return false; }
    virtual void addListener(ClockListener* /*listener*/) {}
    virtual void removeListener(ClockListener* /*listener*/) {}
};

}  // namespace movra
