#include "Sections/MoviePlayer/MVPeriodicTimeObserver.h"

#include "Platform/Platform.h"

namespace movra {

MVPeriodicTimeObserver::MVPeriodicTimeObserver(double interval, std::shared_ptr<DispatchQueue> queue, Block block)
    : interval_(interval), queue_(std::move(queue)), block_(std::move(block)) {}

void MVPeriodicTimeObserver::scheduleTimer() {
    invalidate();
    std::weak_ptr<MVPeriodicTimeObserver> weak = weak_from_this();
    timer_ = Platform::current().mainQueue().scheduleTimer(interval_, /*repeats=*/true, [weak](Timer&) {
        if (auto self = weak.lock()) self->fireBlock();
    });
}

void MVPeriodicTimeObserver::invalidate() {
    if (timer_) timer_->invalidate();
    timer_.reset();
}

void MVPeriodicTimeObserver::fireBlock() {
    if (!block_) return;
    if (queue_)
        queue_->async(block_);
    else
        Platform::current().mainQueue().post(block_);
}

}  // namespace movra
