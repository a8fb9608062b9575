// GStreamerLoadingRequest: a key request of the engine's loopback endpoint, handed to the asset's
// resource-loader delegate; the endpoint waits for its answer.
//
// Thread contract: every member may be called from any thread; `answered` runs on the answering thread,
// outside the request's lock.
#pragma once

#include "Platform/MediaLoadingRequest.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace movra {

class GStreamerLoadingRequest final : public MediaLoadingRequest {
  public:
    /// The data, or the error it finished with.
    struct Answer {
        std::string data;
        ErrorPtr error;
    };

    GStreamerLoadingRequest(std::string url, std::function<void()> answered);

    const std::string& url() const override { return url_; }
    void respondWithData(std::string data) override;
    void finishLoading() override;
    void finishLoadingWithError(ErrorPtr error) override;

    /// nullopt until the request has finished.
    std::optional<Answer> answer() const;

  private:
    void finish(Answer answer);

    const std::string url_;
    const std::function<void()> answered_;
    mutable std::mutex mutex_;
    std::string data_;
    std::optional<Answer> answer_;
};

}  // namespace movra
