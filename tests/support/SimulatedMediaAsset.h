// SimulatedMediaAsset: an asset whose values load after its script's delay, and whose key URIs go to the
// resource-loader delegate on the delegate's queue as loading starts.
#pragma once

#include "Platform/MediaAsset.h"
#include "support/SimulatedAssetScript.h"
#include "support/SimulatedLoadingRequest.h"

#include <map>
#include <memory>
#include <mutex>

namespace movra::test {

class SimulatedMediaAsset final : public MediaAsset, public std::enable_shared_from_this<SimulatedMediaAsset> {
  public:
    SimulatedMediaAsset(std::string url, SimulatedAssetScript script)
        : url_(std::move(url)), script_(std::move(script)) {}

    const std::string& url() const override { return url_; }
    void setResourceLoaderDelegate(std::weak_ptr<MediaResourceLoaderDelegate> delegate,
                                   std::shared_ptr<DispatchQueue> queue) override;
    void loadValuesAsynchronously(const std::vector<std::string>& keys, std::function<void()> completion) override;
    MediaKeyValueStatus statusOfValue(const std::string& key, ErrorPtr* error = nullptr) const override;
    double duration() const override;
    MediaSelectionGroupPtr mediaSelectionGroup(MediaCharacteristic characteristic) const override;

    const SimulatedAssetScript& script() const { return script_; }
    /// The key requests made so far.
    std::vector<std::shared_ptr<SimulatedLoadingRequest>> keyRequests() const;
    /// The first key failure (an error, or a request the delegate did not take on), else nullptr.
    ErrorPtr keyFailure() const;
    bool hasResourceLoaderDelegate() const;

  private:
    void requestKey(const std::string& uri);

    const std::string url_;
    const SimulatedAssetScript script_;
    std::map<std::string, MediaKeyValueStatus> statuses_;
    mutable std::mutex mutex_;
    std::weak_ptr<MediaResourceLoaderDelegate> delegate_;
    std::shared_ptr<DispatchQueue> queue_;
    std::vector<std::shared_ptr<SimulatedLoadingRequest>> keyRequests_;
    ErrorPtr keyFailure_;
};

}  // namespace movra::test
