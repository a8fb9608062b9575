// SimulatedLoadingRequest: a key request of the simulated resource loader; records how it was answered.
#pragma once

#include "Platform/MediaLoadingRequest.h"

#include <functional>
#include <mutex>
#include <optional>

namespace movra::test {

class SimulatedLoadingRequest final : public MediaLoadingRequest {
  public:
    /// `finished` is told the outcome (nullptr for data) on the answering thread.
    explicit SimulatedLoadingRequest(std::string url, std::function<void(ErrorPtr)> finished = nullptr)
        : url_(std::move(url)), finished_(std::move(finished)) {}

    const std::string& url() const override { return url_; }
    void respondWithData(std::string data) override;
    void finishLoading() override;
    void finishLoadingWithError(ErrorPtr error) override;

    bool isFinished() const;
    std::optional<std::string> data() const;
    ErrorPtr error() const;

  private:
    const std::string url_;
    std::function<void(ErrorPtr)> finished_;
    mutable std::mutex mutex_;
    bool finishedLoading_ = false;
    std::optional<std::string> data_;
    ErrorPtr error_;
};

}  // namespace movra::test
