// MediaAsset: a stream URL whose values ("tracks", "playable", "duration") load asynchronously.
#pragma once

#include "Foundation/DispatchQueue.h"
#include "Foundation/Error.h"
#include "Platform/MediaResourceLoaderDelegate.h"
#include "Platform/MediaSelectionGroup.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace movra {

enum class MediaKeyValueStatus { Unknown, Loading, Loaded, Failed, Cancelled };

class MediaAsset {
  public:
    virtual ~MediaAsset() = default;

    virtual const std::string& url() const = 0;
    /// Installs the delegate of the resource loader (held weakly) with the queue its requests run on;
    /// nullptr removes it. Key URIs met without a delegate fail the item.
    virtual void setResourceLoaderDelegate(std::weak_ptr<MediaResourceLoaderDelegate> delegate,
                                           std::shared_ptr<DispatchQueue> queue) = 0;
    /// Loads the values of `keys`; `completion` runs once on the main queue when all have loaded or failed.
    virtual void loadValuesAsynchronously(const std::vector<std::string>& keys, std::function<void()> completion) = 0;
    /// The status of a value; a failure's error goes to `error` when given.
    virtual MediaKeyValueStatus statusOfValue(const std::string& key, ErrorPtr* error = nullptr) const = 0;
    /// Seconds; 0 until "duration" has loaded.
    virtual double duration() const = 0;
    /// The asset's group of that characteristic, or nullptr when it has none.
    virtual MediaSelectionGroupPtr mediaSelectionGroup(MediaCharacteristic characteristic) const = 0;
};

}  // namespace movra
