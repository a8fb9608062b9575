// ManualDispatchQueue: a dispatch queue whose tasks run only when the test says so, on the test's thread,
// so that a test sees what happens before they run.
#pragma once

#include "Foundation/DispatchQueue.h"

#include <deque>
#include <mutex>

namespace movra::test {

class ManualDispatchQueue final : public DispatchQueue {
  public:
    void async(Task task) override {
        std::lock_guard lock(mutex_);
        if (!shutDown_) tasks_.push_back(std::move(task));
    }
    const std::string& label() const override { return label_; }
    void shutdown() override {
        std::deque<Task> dropped;
        std::lock_guard lock(mutex_);
        shutDown_ = true;
        dropped.swap(tasks_);
    }
    /// Runs the waiting tasks, and those they queue, in order; returns how many ran.
    std::size_t runAll() {
        std::size_t ran = 0;
        for (;;) {
            Task task;
            {
                std::lock_guard lock(mutex_);
                if (tasks_.empty()) return ran;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
            ++ran;
        }
    }

  private:
    const std::string label_ = "manual";
    std::mutex mutex_;
    std::deque<Task> tasks_;
    bool shutDown_ = false;
};

}  // namespace movra::test
