// MediaObserverList: the key-value observers of a media object, for the engine's players and items.
//
// Thread contract: main queue only; a callback may add or remove observers.
#pragma once

#include "Platform/MediaObservable.h"

#include <functional>
#include <string>
#include <vector>

namespace movra {

class MediaObserverList {
  public:
    MediaObservable::Token add(const std::string& key, std::function<void()> changed);
    bool remove(const std::string& key, MediaObservable::Token token);
    /// Calls the observers of `key` registered now, in registration order.
    void notify(const std::string& key) const;

  private:
    struct Entry {
        MediaObservable::Token token;
        std::string key;
        std::function<void()> changed;
    };
    std::vector<Entry> entries_;
    MediaObservable::Token next_ = 1;
};

}  // namespace movra
