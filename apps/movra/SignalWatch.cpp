#include "movra/SignalWatch.h"

#include "Foundation/RunLoop.h"

#include <atomic>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

namespace movra::cli {

namespace {

std::atomic<int> gCaught{0};
std::atomic<bool> gStopping{false};
std::atomic<bool> gTakeSuspensions{false};
std::atomic<bool> gSuspendRequested{false};
std::mutex gLoopMutex;
RunLoop* gLoop = nullptr;
/// Whether a loop was ever set: from then on there is a tear-down that a signal must not skip.
bool gStopsCleanly = false;

[[noreturn]] void dieBy(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}

}  // namespace

SignalWatch::SignalWatch() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGTSTP);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this] { watch(); });
}

SignalWatch::~SignalWatch() {
    gStopping = true;
    // Directed at the watching thread, so sigwait() returns there and sees gStopping.
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
}

int SignalWatch::caught() { return gCaught; }

void SignalWatch::wakeOnSignal(RunLoop* loop) {
    std::lock_guard lock(gLoopMutex);
    gLoop = loop;
    if (loop) gStopsCleanly = true;
}

void SignalWatch::takeSuspensions(bool take) { gTakeSuspensions = take; }

bool SignalWatch::takeSuspendRequest() { return gSuspendRequested.exchange(false); }

void SignalWatch::suspendSelf() {
    // SIGSTOP cannot be blocked: the whole program stops here and goes on when continued.
    raise(SIGSTOP);
}

bool SignalWatch::runUntil(RunLoop& loop, const std::function<bool()>& done, double timeoutSeconds) {
    return loop.runUntil([&] { return done() || caught() != 0; }, timeoutSeconds) && done();
}

void SignalWatch::watch() {
    for (;;) {
        int signal = 0;
        if (sigwait(&signals_, &signal) != 0) continue;
        if (gStopping) return;
        std::lock_guard lock(gLoopMutex);
        if (signal == SIGTSTP) {
            if (!gTakeSuspensions || !gLoop) {
                suspendSelf();
                continue;
            }
            gSuspendRequested = true;
            gLoop->post([] {});
            continue;
        }
        if (!gStopsCleanly || gCaught != 0) dieBy(signal);
        gCaught = signal;
        // An empty task is enough: a waiting loop checks its predicate after every task.
        if (gLoop) gLoop->post([] {});
    }
}

}  // namespace movra::cli
