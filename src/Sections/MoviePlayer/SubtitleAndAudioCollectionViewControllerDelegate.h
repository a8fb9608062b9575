// SubtitleAndAudioCollectionViewControllerDelegate: told the viewer's choice when the picker is done.
#pragma once

#include <string>

namespace movra {

class SubtitleAndAudioCollectionViewController;

class SubtitleAndAudioCollectionViewControllerDelegate {
  public:
    virtual ~SubtitleAndAudioCollectionViewControllerDelegate() = default;
    /// `subtitle` is a language code, "" for none; `audioTrack` an audio entry's key, "" when there is none.
    virtual void subtitleAndAudioViewControllerDidSelect(SubtitleAndAudioCollectionViewController& picker,
                                                         const std::string& subtitle,
                                                         const std::string& audioTrack) = 0;
};

}  // namespace movra
