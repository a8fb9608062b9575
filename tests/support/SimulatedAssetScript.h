// SimulatedAssetScript: how a simulated asset behaves, in the virtual time of the platform's clock.
#pragma once

#include "Foundation/Error.h"
#include "Platform/MediaPlayerItem.h"
#include "Platform/MediaSelectionGroup.h"

#include <optional>
#include <string>
#include <vector>

namespace movra::test {

struct SimulatedAssetScript {
    double duration = 120;
    /// Seconds until the asset's values have loaded.
    double loadingDelay = 0.1;
    /// "tracks" fails to load with this error when set.
    ErrorPtr tracksError;
    MediaSelectionGroupPtr audible;
    MediaSelectionGroupPtr legible;
    /// Key URIs of the playlists, handed to the resource-loader delegate when loading starts.
    std::vector<std::string> keyURIs;
    std::optional<MediaVideoSize> videoSize = MediaVideoSize{1920, 1080};
    /// Seconds from the item's creation until it is ready to play.
    double readyDelay = 0.5;
    /// The loaded range reaches this far ahead of the position.
    double bufferAhead = 10;
    /// The buffer runs dry when playback reaches this position, for stallDuration seconds.
    std::optional<double> stallAt;
    double stallDuration = 3;
    /// The item fails with failure (and errorLog) when playback reaches this position.
    std::optional<double> failAt;
    ErrorPtr failure;
    std::string errorLog;
    /// The first this many seeks land at 0 instead of their target.
    int seeksLandingAtZero = 0;
    /// Seconds a seek takes.
    double seekDelay = 0.1;
    /// The variant bitrate the item reports once ready, and the one it switches to at bitrateSwitchAt.
    double bitrate = 900000;
    std::optional<double> bitrateSwitchAt;
    double switchedBitrate = 400000;
};

}  // namespace movra::test
