#include "support/SimulatedMediaAsset.h"

#include "Platform/Platform.h"

namespace movra::test {

namespace {
ErrorPtr engineError(std::string description) { return makeError("SimulatedMediaEngine", -1, std::move(description)); }
}  // namespace

void SimulatedMediaAsset::setResourceLoaderDelegate(std::weak_ptr<MediaResourceLoaderDelegate> delegate,
                                                    std::shared_ptr<DispatchQueue> queue) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
    queue_ = std::move(queue);
}

bool SimulatedMediaAsset::hasResourceLoaderDelegate() const {
    std::lock_guard lock(mutex_);
    return queue_ && !delegate_.expired();
}

void SimulatedMediaAsset::loadValuesAsynchronously(const std::vector<std::string>& keys,
                                                   std::function<void()> completion) {
    for (const auto& key : keys) statuses_[key] = MediaKeyValueStatus::Loading;
    for (const auto& uri : script_.keyURIs) requestKey(uri);
    std::weak_ptr<SimulatedMediaAsset> weak = weak_from_this();
    Platform::current().mainQueue().postAfter(script_.loadingDelay, [weak, keys, completion] {
        if (auto self = weak.lock())
            for (const auto& key : keys)
                self->statuses_[key] = key == "tracks" && self->script_.tracksError ? MediaKeyValueStatus::Failed
                                                                                    : MediaKeyValueStatus::Loaded;
        if (completion) completion();
    });
}

void SimulatedMediaAsset::requestKey(const std::string& uri) {
    std::weak_ptr<SimulatedMediaAsset> weak = weak_from_this();
    auto request = std::make_shared<SimulatedLoadingRequest>(uri, [weak](ErrorPtr error) {
        auto self = weak.lock();
        if (!self || !error) return;
        std::lock_guard lock(self->mutex_);
        if (!self->keyFailure_) self->keyFailure_ = error;
    });
    std::lock_guard lock(mutex_);
    keyRequests_.push_back(request);
    if (!queue_) {
        keyFailure_ = engineError("No resource loader for " + uri);
        return;
    }
    queue_->async([weak, delegate = delegate_, request] {
        auto taker = delegate.lock();
        if (taker && taker->shouldWaitForLoadingOfRequestedResource(request)) return;
        if (auto self = weak.lock()) {
            std::lock_guard guard(self->mutex_);
            if (!self->keyFailure_) self->keyFailure_ = engineError("The key request was not taken on");
        }
    });
}

std::vector<std::shared_ptr<SimulatedLoadingRequest>> SimulatedMediaAsset::keyRequests() const {
    std::lock_guard lock(mutex_);
    return keyRequests_;
}

ErrorPtr SimulatedMediaAsset::keyFailure() const {
    std::lock_guard lock(mutex_);
    return keyFailure_;
}

MediaKeyValueStatus SimulatedMediaAsset::statusOfValue(const std::string& key, ErrorPtr* error) const {
    auto it = statuses_.find(key);
    const auto status = it == statuses_.end() ? MediaKeyValueStatus::Unknown : it->second;
    if (status == MediaKeyValueStatus::Failed && error) *error = script_.tracksError;
    return status;
}

double SimulatedMediaAsset::duration() const {
    return statusOfValue("duration") == MediaKeyValueStatus::Loaded ? script_.duration : 0;
}

MediaSelectionGroupPtr SimulatedMediaAsset::mediaSelectionGroup(MediaCharacteristic characteristic) const {
    return characteristic == MediaCharacteristic::Legible ? script_.legible : script_.audible;
}

}  // namespace movra::test
