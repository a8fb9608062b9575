#include "DRM/MVDRMQueue.h"

#include "Foundation/ThreadPoolQueue.h"
#include "Platform/Platform.h"

namespace movra {

std::shared_ptr<DispatchQueue> MVDRMQueue::shared() { return Platform::current().sharedObject<MVDRMQueue>()->queue_; }

MVDRMQueue::MVDRMQueue() : queue_(std::make_shared<ThreadPoolQueue>(kLabel, 1)) {}

// A key request still running finishes first: the platform's transports were shut down before its
// singletons, so its remaining waits end quickly.
MVDRMQueue::~MVDRMQueue() { queue_->shutdown(); }

}  // namespace movra
