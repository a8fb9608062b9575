// PlaybackReport: what `movra play` prints while the player screen plays: lines for people, or one JSON
// object per line per event for scripts (--json). It is the screen's delegate and observer, and it
// remembers how playback ended.
//
// Thread contract: the main queue.
#pragma once

#include "Foundation/Json.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewControllerDelegate.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewControllerObserver.h"
#include "Sections/MoviePlayer/SubtitleAndAudioEntry.h"

#include <string>
#include <vector>

namespace movra::cli {

class PlaybackReport final : public MVDRMVideoPlayerViewControllerDelegate,
                             public MVDRMVideoPlayerViewControllerObserver {
  public:
    explicit PlaybackReport(bool json) : json_(json) {}

    /// The title about to play.
    void title(const std::string& guid, const std::string& title, double duration);
    /// Where playback is, with the end of the loaded range; once a second at most.
    void progress(double position, double duration, double buffered);
    /// The screen's error alert.
    void error(const std::string& title, const std::string& message);
    /// A person paused or resumed.
    void paused(bool paused);
    /// The picker's list a person chooses from now (`audio` or subtitles), numbered, the selected one marked.
    void choices(const std::vector<SubtitleAndAudioEntry>& entries, const std::string& selected, bool audio);
    /// The choice made: the subtitle language code ("" for none) and the audio track.
    void chosen(const std::string& subtitle, const std::string& audioTrack);
    /// The audio rendition the engine plays now (after the start or a choice).
    void audioPlaying(const std::string& name, const std::string& language);
    /// The seek bar was let go at `seconds`.
    void seekBarReleased(double seconds);
    /// The program was stopped (Ctrl-Z) or continued.
    void suspended(bool suspended);

    // MVDRMVideoPlayerViewControllerDelegate
    void cuePointHit(const std::shared_ptr<MVItem>& item, long long countdown) override;
    void dismissPlayer() override;

    // MVDRMVideoPlayerViewControllerObserver
    void sessionOpened(const std::string& streamURL) override;
    void playerSetupComplete(double position) override;
    void tracksAvailable(const MediaSelectionGroupPtr& subtitles, const MediaSelectionGroupPtr& audio) override;
    void bufferingChanged(bool buffering) override;
    void bookmarkSent(long long seconds, const ErrorPtr& error) override;
    void cuePointReached(double position) override;
    void reachedEnd() override;
    void sessionClosed(long long seconds, const ErrorPtr& error) override;
    void subtitleCue(const std::string& text, double start, double end) override;
    void seekThumbnailShown(double seconds, bool loaded) override;

    bool isReady() const { return ready_; }
    /// The title ended or the screen closed itself.
    bool isFinished() const { return finished_; }
    bool hasFailed() const { return failed_; }
    bool isClosed() const { return closed_; }

  private:
    void print(const Json& event, const std::string& text) const;

    bool json_;
    Json lastTracks_;
    bool ready_ = false;
    bool finished_ = false;
    bool failed_ = false;
    bool closed_ = false;
};

}  // namespace movra::cli
