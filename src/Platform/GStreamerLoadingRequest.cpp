#include "Platform/GStreamerLoadingRequest.h"

namespace movra {

GStreamerLoadingRequest::GStreamerLoadingRequest(std::string url, std::function<void()> answered)
    : url_(std::move(url)), answered_(std::move(answered)) {}

void GStreamerLoadingRequest::respondWithData(std::string data) {
    std::lock_guard lock(mutex_);
    if (!answer_) data_ += data;
}

void GStreamerLoadingRequest::finishLoading() {
    std::string data;
    {
        std::lock_guard lock(mutex_);
        data = data_;
    }
    finish({std::move(data), nullptr});
}

void GStreamerLoadingRequest::finishLoadingWithError(ErrorPtr error) { finish({{}, std::move(error)}); }

std::optional<GStreamerLoadingRequest::Answer> GStreamerLoadingRequest::answer() const {
    std::lock_guard lock(mutex_);
    return answer_;
}

void GStreamerLoadingRequest::finish(Answer answer) {
    {
        std::lock_guard lock(mutex_);
        // The first answer counts.
        if (answer_) return;
        answer_ = std::move(answer);
    }
    answered_();
}

}  // namespace movra
