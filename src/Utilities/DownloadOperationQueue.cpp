#include "Utilities/DownloadOperationQueue.h"

#include "Platform/Platform.h"

#include <algorithm>

namespace movra {

DownloadOperationQueue::DownloadOperationQueue(std::size_t maxConcurrentOperationCount)
    : maxConcurrent_(std::max<std::size_t>(1, maxConcurrentOperationCount)) {}

DownloadOperationQueue::~DownloadOperationQueue() { cancelAllOperations(); }

void DownloadOperationQueue::addOperation(HttpRequest request, Completion completion) {
    std::vector<OperationPtr> ready;
    {
        std::lock_guard lock(mutex_);
        waiting_.push_back(
            std::make_shared<Operation>(Operation{std::move(request), std::move(completion), generation_, nullptr}));
        ready = takeReadyLocked();
    }
    start(ready);
}

void DownloadOperationQueue::cancelAllOperations() {
    // Taken under the lock, which start() sets them under; one not set yet is cancelled by start() itself.
    std::vector<HttpTaskPtr> tasks;
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        waiting_.clear();
        for (const auto& operation : running_)
            if (operation->task) tasks.push_back(operation->task);
        running_.clear();
    }
    // Outside the lock: a transport may complete a cancelled task on the calling thread.
    for (const auto& task : tasks) task->cancel();
}

std::size_t DownloadOperationQueue::operationCount() const {
    std::lock_guard lock(mutex_);
    return waiting_.size() + running_.size();
}

std::vector<DownloadOperationQueue::OperationPtr> DownloadOperationQueue::takeReadyLocked() {
    std::vector<OperationPtr> ready;
    while (!waiting_.empty() && running_.size() < maxConcurrent_) {
        running_.push_back(waiting_.front());
        ready.push_back(waiting_.front());
        waiting_.pop_front();
    }
    return ready;
}

void DownloadOperationQueue::start(const std::vector<OperationPtr>& operations) {
    for (const auto& operation : operations) {
        auto task = Platform::current().sharedTransport().dataTask(
            operation->request,
            [weak = weak_from_this(), operation](const HttpTaskPtr&, std::shared_ptr<const HttpResponse> response,
                                                 std::string body, ErrorPtr error) {
                if (auto self = weak.lock()) self->finish(operation, std::move(response), std::move(body), error);
            });
        bool cancelled;
        {
            std::lock_guard lock(mutex_);
            operation->task = task;
            cancelled = operation->generation != generation_;
        }
        // Cancelled while it was being started: cancelAllOperations() found no task to cancel yet.
        if (cancelled) task->cancel();
    }
}

void DownloadOperationQueue::finish(const OperationPtr& operation, std::shared_ptr<const HttpResponse> response,
                                    std::string body, ErrorPtr error) {
    bool current;
    {
        std::lock_guard lock(mutex_);
        current = operation->generation == generation_;
    }
    // The operation counts until its completion has run, so an empty queue means every answer is handled.
    if (current && operation->completion) operation->completion(std::move(response), std::move(body), error);
    std::vector<OperationPtr> ready;
    {
        std::lock_guard lock(mutex_);
        std::erase(running_, operation);
        ready = takeReadyLocked();
    }
    start(ready);
}

}  // namespace movra
