// Audio tracks reported by the cast receiver and the dubbing message that selects one.
#include "Model/MVMediaAudioTrack.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

TEST(MVMediaAudioTrackTest, ReceiverKeysAndDubbingMessage) {
    auto track = MVMediaAudioTrack::modelWithChromecastDictionary(
        {{"language", "sv"}, {"name", "Svenska \"original\""}, {"streamIndex", 2}, {"enabled", false}, {"x", 1}});
    EXPECT_EQ(track.lang(), "sv");
    EXPECT_EQ(track.streamIndex(), 2);
    EXPECT_EQ(track.enabled(), false);
    EXPECT_EQ(track.dictionaryValue().size(), 4u);
    EXPECT_EQ(track.chromecastDubbingJSON(), R"({"audioTrack": "Svenska \"original\""})");
    EXPECT_EQ(Json::parse(track.chromecastDubbingJSON())["audioTrack"], "Svenska \"original\"");
}

}  // namespace
}  // namespace movra
