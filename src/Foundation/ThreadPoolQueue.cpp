#include "Foundation/ThreadPoolQueue.h"

namespace movra {

ThreadPoolQueue::ThreadPoolQueue(std::string label, unsigned threads) : label_(std::move(label)) {
    if (threads == 0) threads = 1;
    for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

ThreadPoolQueue::~ThreadPoolQueue() { shutdown(); }

void ThreadPoolQueue::shutdown() {
    std::deque<Task> dropped;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(tasks_);
    }
    wake_.notify_all();
    // Destroyed outside the lock: a dropped task's captures may give the queue more work (dropped too).
    dropped.clear();
    idle_.notify_all();
    std::lock_guard join(joinMutex_);
    for (auto& t : threads_)
        if (t.joinable()) t.join();
}

void ThreadPoolQueue::async(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void ThreadPoolQueue::drain() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return tasks_.empty() && busy_ == 0; });
}

void ThreadPoolQueue::work() {
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (stopping_) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
            ++busy_;
        }
        task();
        task = nullptr;  // captures die before drain() may return
        {
            std::lock_guard lock(mutex_);
            --busy_;
        }
        idle_.notify_all();
    }
}

}  // namespace movra
