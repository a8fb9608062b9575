// MVDRMQueue: the process's one serial "DRM Queue", on which every key request of the resource loader runs
// (and blocks for its synchronous round trips). A platform singleton, so that it is made once and shut
// down with the platform.
//
// Thread contract: shared() from any thread while a platform is installed.
#pragma once

#include "Foundation/DispatchQueue.h"

#include <memory>

namespace movra {

class MVDRMQueue {
  public:
    static constexpr const char* kLabel = "DRM Queue";

    /// The queue of the installed platform, made on first use.
    static std::shared_ptr<DispatchQueue> shared();

    MVDRMQueue();
    ~MVDRMQueue();
    MVDRMQueue(const MVDRMQueue&) = delete;
    MVDRMQueue& operator=(const MVDRMQueue&) = delete;

  private:
    std::shared_ptr<DispatchQueue> queue_;
};

}  // namespace movra
