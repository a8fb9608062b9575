#include "Platform/GStreamerControlThread.h"

#include "Foundation/Log.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace movra {

using SteadyClock = std::chrono::steady_clock;

/// Shared with the threads, so that an abandoned worker still has it.
struct GStreamerControlThread::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable watch;
    std::condition_variable done;
    std::deque<Task> tasks;
    SteadyClock::duration timeout;
    std::function<void()> stalledHandler;
    std::uint64_t started = 0;
    bool busy = false;
    SteadyClock::time_point since;
    bool stalled = false;
    bool stopping = false;
    bool finished = false;
    bool unwatched = false;
};

GStreamerControlThread::GStreamerControlThread(std::string name, double timeoutSeconds, std::function<void()> stalled)
    : name_(std::move(name)), state_(std::make_shared<State>()) {
    state_->timeout = std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(timeoutSeconds));
    state_->stalledHandler = std::move(stalled);
    worker_ = std::thread([state = state_] { work(state); });
    watchdog_ = std::thread([state = state_] { watch(state); });
}

GStreamerControlThread::~GStreamerControlThread() {
    bool finished = false;
    std::deque<Task> dropped;
    {
        std::unique_lock lock(state_->mutex);
        state_->stopping = true;
        state_->wake.notify_one();
        // A stuck call is not waited for twice.
        if (!state_->stalled)
            state_->done.wait_for(lock, state_->timeout, [this] { return state_->finished || state_->stalled; });
        finished = state_->finished;
        // Calls behind a stuck one would run at some random later time, if ever: none at all is clearer.
        if (!finished) dropped.swap(state_->tasks);
        state_->unwatched = true;
        state_->watch.notify_one();
    }
    watchdog_.join();
    if (finished) {
        worker_.join();
        return;
    }
    // Joining would hang the caller for good: leave the thread and what its call holds behind.
    Log::error("Media engine: the {} did not stop; its thread and pipeline are abandoned", name_);
    worker_.detach();
}

void GStreamerControlThread::post(Task task) {
    std::lock_guard lock(state_->mutex);
    if (state_->stopping) return;
    state_->tasks.push_back(std::move(task));
    state_->wake.notify_one();
}

bool GStreamerControlThread::isStalled() const {
    std::lock_guard lock(state_->mutex);
    return state_->stalled;
}

void GStreamerControlThread::work(const std::shared_ptr<State>& state) {
    std::unique_lock lock(state->mutex);
    for (;;) {
        state->wake.wait(lock, [&] { return state->stopping || !state->tasks.empty(); });
        if (state->tasks.empty()) break;
        Task task = std::move(state->tasks.front());
        state->tasks.pop_front();
        ++state->started;
        state->busy = true;
        state->since = SteadyClock::now();
        state->watch.notify_one();
        lock.unlock();
        task();
        task = nullptr;  // its captures go before the queue may count as finished
        lock.lock();
        state->busy = false;
    }
    state->finished = true;
    state->done.notify_all();
}

void GStreamerControlThread::watch(const std::shared_ptr<State>& state) {
    std::unique_lock lock(state->mutex);
    while (!state->unwatched) {
        if (!state->busy || state->stalled) {
            state->watch.wait(lock);
            continue;
        }
        const std::uint64_t call = state->started;
        const SteadyClock::time_point deadline = state->since + state->timeout;
        state->watch.wait_until(lock, deadline,
                                [&] { return state->unwatched || state->started != call || !state->busy; });
        if (state->unwatched || state->started != call || !state->busy) continue;
        state->stalled = true;
        state->done.notify_all();
        lock.unlock();
        if (state->stalledHandler) state->stalledHandler();
        lock.lock();
    }
}

}  // namespace movra
