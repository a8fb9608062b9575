#include "Platform/HttpTask.h"

namespace movra {

HttpTask::HttpTask(std::uint64_t identifier, HttpRequest request)
    : identifier_(identifier), request_(std::move(request)) {}

std::shared_ptr<const HttpResponse> HttpTask::response() const {
    std::lock_guard lock(mutex_);
    return response_;
}

std::shared_ptr<const std::string> HttpTask::responseBody() const {
    std::lock_guard lock(mutex_);
    return body_;
}

void HttpTask::setResponseBody(std::shared_ptr<const std::string> body) {
    std::lock_guard lock(mutex_);
    body_ = std::move(body);
}

void HttpTask::cancel() {
    State expected = State::Running;
    if (!state_.compare_exchange_strong(expected, State::Canceling)) return;
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        handler = cancelHandler_;
    }
    if (handler) handler();
}

void HttpTask::setCancelHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    cancelHandler_ = std::move(handler);
}

void HttpTask::setResponse(std::shared_ptr<const HttpResponse> response) {
    std::lock_guard lock(mutex_);
    response_ = std::move(response);
}

bool HttpTask::markCompleted() { return state_.exchange(State::Completed) != State::Completed; }

}  // namespace movra
