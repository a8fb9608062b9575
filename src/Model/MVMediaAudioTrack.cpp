// MVMediaAudioTrack: audio tracks reported by the cast receiver.
#include "Model/MVMediaAudioTrack.h"

namespace movra {

MVMediaAudioTrack MVMediaAudioTrack::modelWithChromecastDictionary(const Json& dictionary) {
    return MVMediaAudioTrack(renamedValues(
        dictionary, {{"language", "lang"}, {"name", "name"}, {"streamIndex", "streamIndex"}, {"enabled", "enabled"}}));
}

std::string MVMediaAudioTrack::chromecastDubbingJSON() const {
    // The name is written as a JSON string, so one with quotes still gives a valid message.
    return "{\"audioTrack\": " + Json(name().value_or("")).dump() + "}";
}

}  // namespace movra
