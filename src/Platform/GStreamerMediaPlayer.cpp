#include "Platform/GStreamerMediaPlayer.h"

#include "Foundation/MainQueue.h"

namespace movra {

std::shared_ptr<GStreamerMediaPlayer> GStreamerMediaPlayer::make(std::shared_ptr<GStreamerPlayerItem> item) {
    std::shared_ptr<GStreamerMediaPlayer> player(new GStreamerMediaPlayer(std::move(item)));
    if (player->item_) {
        player->item_->setPlayedToEndHandler([weak = player->weak_from_this()] {
            if (auto self = weak.lock()) self->setRate(0);
        });
    }
    return player;
}

MediaObservable::Token GStreamerMediaPlayer::addObserver(const std::string& key, std::function<void()> changed) {
    return observers_.add(key, std::move(changed));
}

bool GStreamerMediaPlayer::removeObserver(const std::string& key, Token token) { return observers_.remove(key, token); }

void GStreamerMediaPlayer::setRate(float rate) {
    MOVRA_ASSERT_MAIN_QUEUE();
    if (item_) item_->setRate(rate);
    if (rate == rate_) return;
    rate_ = rate;
    observers_.notify("rate");
}

void GStreamerMediaPlayer::seekToTime(double seconds, std::function<void(bool finished)> completion) {
    if (item_) item_->seekToTime(seconds, std::move(completion));
}

}  // namespace movra
