// MediaObservable: the key-value observation of a player or item. Observers are registered per key; each
// change notice runs the callback on the main queue.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace movra {

class MediaObservable {
  public:
    using Token = std::uint64_t;
    virtual ~MediaObservable() = default;

    /// Registers `changed` for `key` ("rate", "status", "loadedTimeRanges", ...); returns its token.
    virtual Token addObserver(const std::string& key, std::function<void()> changed) = 0;
    /// False when no such registration exists (the platform would raise); nothing changes then.
    virtual bool removeObserver(const std::string& key, Token token) = 0;
};

}  // namespace movra
