// RunLoop: the main queue. Everything that belongs on the main thread runs here: screens, the app
// delegate, API completions. Tasks run in the order they were posted; delayed tasks and timers run when
// the injected Clock reaches their deadline (a ManualClock makes that virtual time for tests).
//
// Thread contract: post(), postAfter(), handle(), close() and isLoopThread() may be called from any thread.
// run(), runUntil(), runPending(), timers and cancellation of delayed tasks belong to the loop's own
// thread. Background work that finishes after the loop may be gone posts through a RunLoopHandle.
//
// The process's main queue is registered with setMain() (the installed Platform does it), so that
// Foundation code can check it runs there (MainQueue.h) without knowing the platform.
#pragma once

#include "Foundation/Clock.h"
#include "Foundation/RunLoopHandle.h"
#include "Foundation/Timer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace movra {

/// Cancels a delayed task; cancelling after it ran does nothing.
class DelayedTask {
  public:
    DelayedTask() = default;
    void cancel();
    bool isPending() const;

  private:
    friend class RunLoop;
    DelayedTask(RunLoop* loop, std::uint64_t id, std::weak_ptr<int> alive) : loop_(loop), id_(id), alive_(alive) {}
    RunLoop* loop_ = nullptr;
    std::uint64_t id_ = 0;
    std::weak_ptr<int> alive_;
};

class RunLoop final : public ClockListener {
  public:
    using Task = std::function<void()>;

    explicit RunLoop(std::shared_ptr<Clock> clock);
    ~RunLoop() override;
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    Clock& clock() const { return *clock_; }

    /// The process's main queue, or nullptr when none is registered.
    static RunLoop* main();
    /// Registers the main queue (nullptr: none). A loop stops being the main one when it is destroyed.
    static void setMain(RunLoop* loop);

    /// Runs `task` on the loop after the tasks already posted. A closed loop drops it.
    void post(Task task);
    /// Runs `task` once `seconds` have passed on the loop's clock. A closed loop drops it.
    DelayedTask postAfter(double seconds, Task task);
    /// A handle to post through that stays safe to use after the loop is closed or destroyed.
    RunLoopHandle handle() const { return RunLoopHandle(gate_); }
    /// Stops taking work for good: tasks and timers waiting now are destroyed without running, and later
    /// posts (direct or through a handle) are dropped.
    void close();
    /// A timer that first fires after `interval` seconds.
    TimerPtr scheduleTimer(double interval, bool repeats, Timer::Callback callback);

    /// Runs until stop().
    void run();
    void stop();
    /// Runs until `predicate` holds or `timeoutSeconds` of real time have passed; true when it holds.
    bool runUntil(const std::function<bool()>& predicate, double timeoutSeconds);
    /// Runs what is ready now, including tasks those tasks post; returns the number of tasks run.
    std::size_t runPending();
    /// Whether the caller is on the thread that last ran (or created) the loop.
    bool isLoopThread() const;
    /// Number of posted tasks not yet run (tests use it to check that nothing is left behind).
    std::size_t pendingCount() const;

    // ClockListener
    std::optional<double> nextDeadline() override;
    void runDue() override;

  private:
    friend class Timer;
    friend class DelayedTask;
    struct Delayed {
        std::uint64_t id;
        Task task;
    };

    std::uint64_t addDelayed(double deadline, Task task);
    void cancelDelayed(std::uint64_t id);
    bool hasDelayed(std::uint64_t id) const;
    void scheduleTimerFiring(Timer& timer);
    bool runOne();
    std::optional<double> earliestDeadlineLocked() const;

    std::shared_ptr<Clock> clock_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> ready_;
    std::multimap<double, Delayed> delayed_;
    std::uint64_t nextId_ = 1;
    bool stopRequested_ = false;
    bool closed_ = false;
    // Written by the loop's thread, read by any thread that asks isLoopThread().
    std::atomic<std::thread::id> thread_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::shared_ptr<RunLoopHandle::Gate> gate_;
};

}  // namespace movra
