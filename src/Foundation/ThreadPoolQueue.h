// ThreadPoolQueue: a dispatch queue backed by N worker threads. With one thread it is a serial queue
// (the "DRM Queue", the store writer); with several it is the global concurrent queue.
#pragma once

#include "Foundation/DispatchQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace movra {

class ThreadPoolQueue final : public DispatchQueue {
  public:
    ThreadPoolQueue(std::string label, unsigned threads);
    ~ThreadPoolQueue() override;
    ThreadPoolQueue(const ThreadPoolQueue&) = delete;
    ThreadPoolQueue& operator=(const ThreadPoolQueue&) = delete;

    void async(Task task) override;
    const std::string& label() const override { return label_; }
    /// Blocks until every task posted so far has finished (tests).
    void drain();
    void shutdown() override;

  private:
    void work();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Task> tasks_;
    unsigned busy_ = 0;
    bool stopping_ = false;
    std::mutex joinMutex_;  // a second shutdown() waits for the first one's joins
    std::vector<std::thread> threads_;
};

}  // namespace movra
