#include "Foundation/RunLoop.h"

#include <chrono>

namespace movra {

void DelayedTask::cancel() {
    if (auto alive = alive_.lock(); alive && loop_) loop_->cancelDelayed(id_);
}

bool DelayedTask::isPending() const {
    auto alive = alive_.lock();
    return alive && loop_ && loop_->hasDelayed(id_);
}

namespace {
std::atomic<RunLoop*> gMainRunLoop{nullptr};
}

RunLoop* RunLoop::main() { return gMainRunLoop.load(); }

void RunLoop::setMain(RunLoop* loop) { gMainRunLoop.store(loop); }

RunLoop::RunLoop(std::shared_ptr<Clock> clock)
    : clock_(std::move(clock)), thread_(std::this_thread::get_id()), gate_(std::make_shared<RunLoopHandle::Gate>()) {
    gate_->loop = this;
    clock_->addListener(this);
}

RunLoop::~RunLoop() {
    close();
    RunLoop* self = this;
    gMainRunLoop.compare_exchange_strong(self, nullptr);
    clock_->removeListener(this);
}

void RunLoop::close() {
    {
        std::lock_guard lock(gate_->mutex);
        gate_->loop = nullptr;
    }
    std::deque<Task> ready;
    std::multimap<double, Delayed> delayed;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        ready.swap(ready_);
        delayed.swap(delayed_);
    }
    wake_.notify_all();
    // The dropped tasks are destroyed here, outside the lock: their captures may post (and be dropped).
}

void RunLoop::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        ready_.push_back(std::move(task));
    }
    wake_.notify_one();
}

DelayedTask RunLoop::postAfter(double seconds, Task task) {
    auto id = addDelayed(clock_->monotonicSeconds() + std::max(0.0, seconds), std::move(task));
    return DelayedTask(this, id, alive_);
}

std::uint64_t RunLoop::addDelayed(double deadline, Task task) {
    std::uint64_t id;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        if (closed_) return id;
        delayed_.emplace(deadline, Delayed{id, std::move(task)});
    }
    wake_.notify_one();
    return id;
}

void RunLoop::cancelDelayed(std::uint64_t id) {
    std::lock_guard lock(mutex_);
    for (auto it = delayed_.begin(); it != delayed_.end(); ++it) {
        if (it->second.id == id) {
            delayed_.erase(it);
            return;
        }
    }
}

bool RunLoop::hasDelayed(std::uint64_t id) const {
    std::lock_guard lock(mutex_);
    for (const auto& [deadline, d] : delayed_)
        if (d.id == id) return true;
    return false;
}

TimerPtr RunLoop::scheduleTimer(double interval, bool repeats, Timer::Callback callback) {
    auto timer = std::make_shared<Timer>(*this, interval, repeats, std::move(callback));
    timer->fireDate_ = clock_->monotonicSeconds() + std::max(0.0, interval);
    scheduleTimerFiring(*timer);
    return timer;
}

void RunLoop::scheduleTimerFiring(Timer& timer) {
    // Like a platform run loop, the loop keeps a scheduled timer alive until it fires for the last time or
    // is invalidated; an invalidated or rescheduled timer's old firing does nothing.
    auto strong = timer.shared_from_this();
    auto generation = timer.generation_;
    addDelayed(timer.fireDate_, [strong, generation] {
        if (strong->generation_ == generation) strong->fire();
    });
}

std::optional<double> RunLoop::earliestDeadlineLocked() const {
    if (delayed_.empty()) return std::nullopt;
    return delayed_.begin()->first;
}

std::optional<double> RunLoop::nextDeadline() {
    std::lock_guard lock(mutex_);
    return earliestDeadlineLocked();
}

bool RunLoop::runOne() {
    Task task;
    {
        std::lock_guard lock(mutex_);
        const double now = clock_->monotonicSeconds();
        // Due delayed tasks join the ready queue in deadline order before the next ready task runs.
        while (!delayed_.empty() && delayed_.begin()->first <= now) {
            ready_.push_back(std::move(delayed_.begin()->second.task));
            delayed_.erase(delayed_.begin());
        }
        if (ready_.empty()) return false;
        task = std::move(ready_.front());
        ready_.pop_front();
    }
    if (task) task();
    return true;
}

void RunLoop::runDue() {
    thread_ = std::this_thread::get_id();
    runPending();
}

std::size_t RunLoop::runPending() {
    thread_ = std::this_thread::get_id();
    std::size_t count = 0;
    while (runOne()) ++count;
    return count;
}

void RunLoop::run() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    runUntil(
        [this] {
            std::lock_guard lock(mutex_);
            return stopRequested_;
        },
        -1);
}

void RunLoop::stop() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, double timeoutSeconds) {
    thread_ = std::this_thread::get_id();
    using steady = std::chrono::steady_clock;
    const auto limit = timeoutSeconds < 0 ? steady::time_point::max()
                                          : steady::now() + std::chrono::duration_cast<steady::duration>(
                                                                std::chrono::duration<double>(timeoutSeconds));
    for (;;) {
        while (!predicate()) {
            if (!runOne()) break;
        }
        if (predicate()) return true;
        std::unique_lock lock(mutex_);
        if (!ready_.empty()) continue;
        auto wakeAt = limit;
        if (!clock_->isManual()) {
            if (auto deadline = earliestDeadlineLocked()) {
                auto delta = std::chrono::duration<double>(std::max(0.0, *deadline - clock_->monotonicSeconds()));
                wakeAt = std::min(wakeAt, steady::now() + std::chrono::duration_cast<steady::duration>(delta));
            }
        }
        if (steady::now() >= limit) return predicate();
        if (stopRequested_ && timeoutSeconds < 0) return true;
        if (wakeAt == steady::time_point::max())
            wake_.wait(lock);
        else
            wake_.wait_until(lock, wakeAt);
    }
}

bool RunLoop::isLoopThread() const { return std::this_thread::get_id() == thread_.load(); }

std::size_t RunLoop::pendingCount() const {
    std::lock_guard lock(mutex_);
    return ready_.size();
}

}  // namespace movra
