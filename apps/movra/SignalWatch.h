// SignalWatch: SIGINT and SIGTERM end a command cleanly. The signals are blocked in every thread and taken
// by one thread in sigwait(), so no handler ever runs in the middle of the client's code. That thread
// records the signal and wakes the main queue; the command's waits (runUntil() below) give up, and the
// command returns through its normal tear-down. main() then exits with 128 + the signal's number.
//
// A signal before any main queue was set to be woken (while a secret is read, say) and a second signal end
// the program at once, by the signal's default action: there is nothing to tear down yet, or the person
// insists.
//
// Ctrl-Z (SIGTSTP) stops the program at once, unless a command takes suspensions: then it is recorded, the
// loop is woken, and the command does what it must before it stops itself (suspendSelf()).
//
// Thread contract: construct it first in main(), before any other thread starts (they inherit the blocked
// signals); caught() from any thread; wakeOnSignal() from the thread that owns the loop.
#pragma once

#include <csignal>
#include <functional>
#include <thread>

namespace movra {
class RunLoop;
}

namespace movra::cli {

class SignalWatch {
  public:
    SignalWatch();
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    /// The signal that interrupted the program, or 0.
    static int caught();
    /// The loop a signal wakes, or nullptr; it must be unset before the loop goes away.
    static void wakeOnSignal(RunLoop* loop);
    /// Whether a SIGTSTP is left to the command (takeSuspendRequest()) instead of stopping the program.
    static void takeSuspensions(bool take);
    /// True once per SIGTSTP taken.
    static bool takeSuspendRequest();
    /// Stops the program until it is continued (SIGCONT).
    static void suspendSelf();
    /// Turns `loop` until `done` holds, a signal came or `timeoutSeconds` passed; true only when `done` holds.
    static bool runUntil(RunLoop& loop, const std::function<bool()>& done, double timeoutSeconds);

  private:
    void watch();

    sigset_t signals_{};
    std::thread thread_;
};

}  // namespace movra::cli
