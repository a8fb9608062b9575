// MVMediaAudioTrack: one audio track of a title as the cast receiver reports it; the item keeps the
// receiver's list while casting.
//
// Thread contract: a value; any thread.
#pragma once

#include "Model/DictionaryRecord.h"

namespace movra {

class MVMediaAudioTrack : public DictionaryRecord {
  public:
    /// From the archived dictionary (keys named as the properties).
    using DictionaryRecord::DictionaryRecord;
    /// From a dictionary received from the cast receiver, where the language is under "language".
    static MVMediaAudioTrack modelWithChromecastDictionary(const Json& dictionary);

    std::optional<std::string> type() const { return text("type"); }
    std::optional<std::string> lang() const { return text("lang"); }
    std::optional<std::string> url() const { return text("url"); }
    std::optional<std::string> profile() const { return text("profile"); }
    std::optional<std::string> name() const { return text("name"); }
    std::optional<std::int32_t> streamIndex() const { return integer("streamIndex"); }
    std::optional<bool> enabled() const { return boolean("enabled"); }

    /// The receiver's dubbing message selecting this track: {"audioTrack": "<name>"}.
    std::string chromecastDubbingJSON() const;
};

}  // namespace movra
