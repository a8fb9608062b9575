// HttpTask: one running request of a transport (like a URL session data task).
//
// Thread contract: every member may be called from any thread. cancel() is asynchronous: the
// transport then completes the task with error -999 (unless it had already completed).
#pragma once

#include "Platform/HttpRequest.h"
#include "Platform/HttpResponse.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace movra {

class HttpTask {
  public:
    enum class State {
        Running,    // started, not finished
        Canceling,  // cancel() called, completion not yet delivered
        Completed,  // completion delivered (or about to be)
    };

    HttpTask(std::uint64_t identifier, HttpRequest request);

    std::uint64_t identifier() const { return identifier_; }
    const HttpRequest& request() const { return request_; }
    State state() const { return state_.load(); }
    /// The response head once known (always set when completed with a response).
    std::shared_ptr<const HttpResponse> response() const;
    /// The body received, once the task completed with a response (kept by the API client for callers
    /// that show the raw answer).
    std::shared_ptr<const std::string> responseBody() const;
    void cancel();

    // For transports.
    void setCancelHandler(std::function<void()> handler);
    void setResponse(std::shared_ptr<const HttpResponse> response);
    void setResponseBody(std::shared_ptr<const std::string> body);
    /// Marks the task completed; false when it was already completed (a completion must not run twice).
    bool markCompleted();

  private:
    const std::uint64_t identifier_;
    const HttpRequest request_;
    std::atomic<State> state_{State::Running};
    mutable std::mutex mutex_;
    std::shared_ptr<const HttpResponse> response_;
    std::shared_ptr<const std::string> body_;
    std::function<void()> cancelHandler_;
};

using HttpTaskPtr = std::shared_ptr<HttpTask>;

}  // namespace movra
