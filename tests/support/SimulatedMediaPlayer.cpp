#include "support/SimulatedMediaPlayer.h"

namespace movra::test {

void SimulatedMediaPlayer::setRate(float rate) {
    if (rate == rate_) return;
    rate_ = rate;
    std::weak_ptr<SimulatedMediaPlayer> weak = weak_from_this();
    if (item_)
        item_->setPlaybackRate(rate, [weak] {
            if (auto self = weak.lock()) self->setRate(0);
        });
    observers_.notify("rate");
}

void SimulatedMediaPlayer::seekToTime(double seconds, std::function<void(bool finished)> completion) {
    if (item_) item_->seekToTime(seconds, std::move(completion));
}

}  // namespace movra::test
