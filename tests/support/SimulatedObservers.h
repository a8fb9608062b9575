// SimulatedObservers: the key-value registrations of one simulated player or item. Notices go out on the
// main queue, where the simulation runs.
#pragma once

#include "Platform/MediaObservable.h"

#include <functional>
#include <map>
#include <string>

namespace movra::test {

class SimulatedObservers {
  public:
    MediaObservable::Token add(const std::string& key, std::function<void()> changed);
    bool remove(const std::string& key, MediaObservable::Token token);
    /// Registrations alive now, over every key.
    std::size_t count() const;
    void notify(const std::string& key) const;

  private:
    std::map<std::string, std::map<MediaObservable::Token, std::function<void()>>> observers_;
    MediaObservable::Token next_ = 1;
};

}  // namespace movra::test
