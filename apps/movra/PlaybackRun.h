// PlaybackRun: plays one stored title on the player screen until it ends, a time limit passes, the person
// quits (q) or a signal comes, and always closes the session with the final bookmark before it returns.
// Shared by `movra play` and `movra demo`.
//
// Thread contract: the main thread of the program, which turns the main queue while it plays.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace movra {
class MVItem;
class MVDRMVideoPlayerViewController;
}  // namespace movra

namespace movra::cli {

struct PlaybackRun {
    /// Seconds a step (the session, the player's set-up, the tear-down) may take before the run gives up.
    static constexpr double kStepTimeoutSeconds = 60;
    /// Seconds the arrow keys move.
    static constexpr double kSeekStepSeconds = 10;

    /// Start here instead of the resume position.
    std::optional<double> from;
    bool startOver = false;
    /// Stop after this many seconds of playing; 0 plays to the end.
    double forSeconds = 0;
    bool json = false;
    /// Chosen at start: a subtitle language ("none" turns them off) and an audio track's name.
    std::optional<std::string> subtitle;
    std::optional<std::string> audioTrack;

    /// 0 when the title played and the session was closed; 1 after a playback error or when a step did not
    /// finish in time.
    int run(const std::shared_ptr<MVItem>& item) const;

  private:
    /// Applies --subtitle and --audio-track as a choice; what was not given stays as remembered.
    void chooseAtStart(MVDRMVideoPlayerViewController& screen) const;
};

}  // namespace movra::cli
