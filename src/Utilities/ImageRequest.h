// ImageRequest: a picture request as the image cache and the image loaders see it: the URL, whose absolute
// string names the cached picture, and the cache policy that says whether a cached picture may answer it.
#pragma once

#include "Foundation/Url.h"
#include "Platform/HttpRequest.h"

namespace movra {

struct ImageRequest {
    enum class CachePolicy {
        UseProtocolCachePolicy,                 // a cached answer will do
        ReloadIgnoringLocalCacheData,           // always load
        ReloadIgnoringLocalAndRemoteCacheData,  // always load, past every cache on the way
    };

    Url url;
    CachePolicy cachePolicy = CachePolicy::UseProtocolCachePolicy;

    bool ignoresLocalCacheData() const { return cachePolicy != CachePolicy::UseProtocolCachePolicy; }
    /// The GET the transport sends: the URL without its fragment, "Accept" = "image/*".
    HttpRequest httpRequest() const;
};

}  // namespace movra
