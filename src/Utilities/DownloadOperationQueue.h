// DownloadOperationQueue: GET requests on the shared session, at most a given number running at once; the
// others wait in the order they were added (an operation queue with a maximum concurrent operation count).
//
// Thread contract: every member may be called from any thread. Completions run on the transport's thread,
// so that a caller can decode an answer there without holding up the main queue; they never run for an
// operation that cancelAllOperations() or the destructor took away. Make it with std::make_shared: running
// downloads hold it weakly.
#pragma once

#include "Foundation/Error.h"
#include "Platform/HttpTask.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace movra {

class DownloadOperationQueue : public std::enable_shared_from_this<DownloadOperationQueue> {
  public:
    using Completion =
        std::function<void(std::shared_ptr<const HttpResponse> response, std::string body, ErrorPtr error)>;

    explicit DownloadOperationQueue(std::size_t maxConcurrentOperationCount);
    ~DownloadOperationQueue();
    DownloadOperationQueue(const DownloadOperationQueue&) = delete;
    DownloadOperationQueue& operator=(const DownloadOperationQueue&) = delete;

    /// Starts `request` at once when fewer than the maximum run, else queues it.
    void addOperation(HttpRequest request, Completion completion);
    /// Drops the waiting operations and cancels the running ones, silently.
    void cancelAllOperations();
    /// Operations waiting or running.
    std::size_t operationCount() const;
    std::size_t maxConcurrentOperationCount() const { return maxConcurrent_; }

  private:
    struct Operation {
        HttpRequest request;
        Completion completion;
        /// Bumped by cancelAllOperations(): an operation of an older generation reports nothing.
        std::uint64_t generation = 0;
        HttpTaskPtr task;
    };
    using OperationPtr = std::shared_ptr<Operation>;

    /// Moves waiting operations to running up to the maximum; the caller starts what it returns.
    std::vector<OperationPtr> takeReadyLocked();
    void start(const std::vector<OperationPtr>& operations);
    void finish(const OperationPtr& operation, std::shared_ptr<const HttpResponse> response, std::string body,
                ErrorPtr error);

    const std::size_t maxConcurrent_;
    mutable std::mutex mutex_;
    std::deque<OperationPtr> waiting_;
    std::vector<OperationPtr> running_;
    std::uint64_t generation_ = 0;
};

}  // namespace movra
