// GStreamerMediaAsset: an HLS stream URL. Loading its values fetches the master playlist (renditions become
// the selection groups, with the ids the demuxer gives their streams) and the first variant (duration).
//
// Thread contract: main queue, except resourceLoader(), which the loopback endpoint calls from its threads.
#pragma once

#include "Foundation/RunLoopHandle.h"
#include "Platform/HttpTransport.h"
#include "Platform/MediaAsset.h"

#include <mutex>
#include <optional>

namespace movra {

class GStreamerMediaAsset final : public MediaAsset, public std::enable_shared_from_this<GStreamerMediaAsset> {
  public:
    struct ResourceLoader {
        std::weak_ptr<MediaResourceLoaderDelegate> delegate;
        std::shared_ptr<DispatchQueue> queue;
    };

    GStreamerMediaAsset(std::string url, std::shared_ptr<HttpTransport> transport, RunLoopHandle mainQueue);

    const std::string& url() const override { return url_; }
    void setResourceLoaderDelegate(std::weak_ptr<MediaResourceLoaderDelegate> delegate,
                                   std::shared_ptr<DispatchQueue> queue) override;
    void loadValuesAsynchronously(const std::vector<std::string>& keys, std::function<void()> completion) override;
    MediaKeyValueStatus statusOfValue(const std::string& key, ErrorPtr* error = nullptr) const override;
    double duration() const override { return duration_.value_or(0); }
    MediaSelectionGroupPtr mediaSelectionGroup(MediaCharacteristic characteristic) const override;

    ResourceLoader resourceLoader() const;

  private:
    /// GETs `url`; `done` runs on the main queue with the body of a 2xx answer, or an error.
    void fetch(const std::string& url, std::function<void(ErrorPtr error, std::string body)> done);
    void readMaster(const std::string& body);
    void finish(ErrorPtr error);

    const std::string url_;
    const std::shared_ptr<HttpTransport> transport_;
    const RunLoopHandle mainQueue_;
    MediaKeyValueStatus status_ = MediaKeyValueStatus::Unknown;
    ErrorPtr error_;
    std::vector<std::function<void()>> completions_;
    std::optional<double> duration_;
    MediaSelectionGroupPtr audible_, legible_;

    mutable std::mutex loaderMutex_;
    ResourceLoader loader_;  // guarded by loaderMutex_
};

}  // namespace movra
