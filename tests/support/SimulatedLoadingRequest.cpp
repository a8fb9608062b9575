#include "support/SimulatedLoadingRequest.h"

namespace movra::test {

void SimulatedLoadingRequest::respondWithData(std::string data) {
    std::lock_guard lock(mutex_);
    data_ = std::move(data);
}

void SimulatedLoadingRequest::finishLoading() {
    {
        std::lock_guard lock(mutex_);
        finishedLoading_ = true;
    }
    if (finished_) finished_(nullptr);
}

void SimulatedLoadingRequest::finishLoadingWithError(ErrorPtr error) {
    {
        std::lock_guard lock(mutex_);
        finishedLoading_ = true;
        error_ = error;
    }
    if (finished_) finished_(error);
}

bool SimulatedLoadingRequest::isFinished() const {
    std::lock_guard lock(mutex_);
    return finishedLoading_;
}

std::optional<std::string> SimulatedLoadingRequest::data() const {
    std::lock_guard lock(mutex_);
    return data_;
}

ErrorPtr SimulatedLoadingRequest::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

}  // namespace movra::test
