// SubtitleAndAudioCollectionViewController: the picker of a subtitle language (or none) and an audio track,
// for the title on the device (the engine's options) or on a receiver (the title's own records). Headless:
// it holds the lists and the selection; the front end draws them and reports taps.
//
// Thread contract: main queue.
#pragma once

#include "Model/MVMediaAudioTrack.h"
#include "Model/MVMediaSubtitle.h"
#include "Platform/MediaSelectionGroup.h"
#include "Platform/ViewController.h"
#include "Sections/MoviePlayer/SubtitleAndAudioCollectionViewControllerDelegate.h"
#include "Sections/MoviePlayer/SubtitleAndAudioEntry.h"

#include <memory>
#include <string>
#include <vector>

namespace movra {

class SubtitleAndAudioCollectionViewController : public ViewController {
  public:
    /// From the options of the native player's subtitle and audio groups.
    static std::shared_ptr<SubtitleAndAudioCollectionViewController> makeWithSubtitleAVMediaOptions(
        const std::vector<MediaSelectionOption>& subtitleOptions,
        const std::vector<MediaSelectionOption>& audioTrackOptions, const std::string& selectedSubtitle,
        const std::string& selectedAudioTrack);
    /// From the title's subtitle and audio-track records, for a receiver.
    static std::shared_ptr<SubtitleAndAudioCollectionViewController> makeWithItemMediaSubtitles(
        const std::vector<MVMediaSubtitle>& subtitles, const std::vector<MVMediaAudioTrack>& audioTracks,
        const std::string& selectedSubtitle, const std::string& selectedAudioTrack);
    /// The language named in itself and capitalised ("Dansk" for "da_mvtk"); the bare code when unknown.
    static std::string displayNameForLanguageCode(const std::string& code);

    std::string className() const override { return "SubtitleAndAudioCollectionViewController"; }
    std::string describe() const override;

    const std::vector<SubtitleAndAudioEntry>& availableSubtitles() const { return availableSubtitles_; }
    const std::vector<SubtitleAndAudioEntry>& availableAudioTracks() const { return availableAudioTracks_; }
    const std::string& selectedSubtitle() const { return selectedSubtitle_; }
    const std::string& selectedAudioTrack() const { return selectedAudioTrack_; }
    std::shared_ptr<SubtitleAndAudioCollectionViewControllerDelegate> subtitleAudioDelegate() const {
        return delegate_.lock();
    }
    void setSubtitleAudioDelegate(std::weak_ptr<SubtitleAndAudioCollectionViewControllerDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    /// Subtitles first, audio second; one section without audio entries or in landscape.
    int numberOfSections(bool landscape) const;
    /// A tap on row `index` of the subtitle or audio list; false when there is no such row.
    bool selectSubtitleAtIndex(std::size_t index);
    bool selectAudioTrackAtIndex(std::size_t index);
    /// The done button: reports the selection to the delegate.
    void doneTapped();

  private:
    SubtitleAndAudioCollectionViewController(std::vector<SubtitleAndAudioEntry> subtitles,
                                             std::vector<SubtitleAndAudioEntry> audioTracks,
                                             std::string selectedSubtitle, std::string selectedAudioTrack);

    std::vector<SubtitleAndAudioEntry> availableSubtitles_;
    std::vector<SubtitleAndAudioEntry> availableAudioTracks_;
    std::string selectedSubtitle_;
    std::string selectedAudioTrack_;
    std::weak_ptr<SubtitleAndAudioCollectionViewControllerDelegate> delegate_;
};

}  // namespace movra
