// MediaPlayerItem: the presentation state of one asset in a player. Observable keys: "status", "tracks",
// "duration", "loadedTimeRanges", "playbackBufferEmpty", "playbackLikelyToKeepUp", "indicatedBitrate".
#pragma once

#include "Foundation/Error.h"
#include "Platform/MediaObservable.h"
#include "Platform/MediaSelectionGroup.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class MediaAsset;

enum class MediaPlayerItemStatus { Unknown, ReadyToPlay, Failed };

struct MediaTimeRange {
    double start = 0;
    double duration = 0;
};

/// One subtitle cue of the selected legible option, due from `start` to `end` (seconds of the title).
struct MediaLegibleCue {
    std::string text;
    double start = 0;
    double end = 0;
};

struct MediaVideoSize {
    double width = 0;
    double height = 0;
};

class MediaPlayerItem : public MediaObservable {
  public:
    virtual std::shared_ptr<MediaAsset> asset() const = 0;
    virtual MediaPlayerItemStatus status() const = 0;
    /// The failure, when the status is Failed.
    virtual ErrorPtr error() const = 0;
    /// What went wrong on the way, one event per line (URIs, status codes, domains, comments).
    virtual std::string errorLog() const = 0;
    /// Seconds, or nullopt while indefinite (not known yet, or a live stream).
    virtual std::optional<double> duration() const = 0;
    virtual double currentTime() const = 0;
    virtual std::vector<MediaTimeRange> loadedTimeRanges() const = 0;
    virtual bool isPlaybackBufferEmpty() const = 0;
    virtual bool isPlaybackLikelyToKeepUp() const = 0;
    /// The declared bandwidth (bits per second) of the variant whose media is being fetched; nullopt until
    /// the first segment of one.
    virtual std::optional<double> indicatedBitrate() const = 0;
    /// Seeks to `seconds`; `completion(finished)` runs on the main queue, finished false when a later seek
    /// or cancelPendingSeeks() overtook it.
    virtual void seekToTime(double seconds, std::function<void(bool finished)> completion) = 0;
    virtual void cancelPendingSeeks() = 0;
    /// Selects `option` of `group`; nullopt turns a group that allows an empty selection off.
    virtual void selectMediaOption(const std::optional<MediaSelectionOption>& option,
                                   const MediaSelectionGroup& group) = 0;
    virtual std::optional<MediaSelectionOption> selectedMediaOption(const MediaSelectionGroup& group) const = 0;
    /// The natural size of the first video track, or nullopt without one.
    virtual std::optional<MediaVideoSize> firstVideoTrackNaturalSize() const = 0;
    /// Receives, on the main queue, each cue of the selected legible option as playback reaches it (the
    /// legible output); an empty handler stops them.
    virtual void setLegibleOutputHandler(std::function<void(const MediaLegibleCue& cue)> handler) = 0;
};

}  // namespace movra
