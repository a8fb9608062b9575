// SubtitleAndAudioEntry: one row of the subtitle and audio picker.
#pragma once

#include <optional>
#include <string>

namespace movra {

struct SubtitleAndAudioEntry {
    std::string displayName;
    /// What a choice reports: a subtitle's language code ("" for none), an audio track's title or name.
    std::string key;
    /// Audio entries from the title's own records only.
    std::optional<std::string> language;
    std::optional<bool> enabled;

    bool operator==(const SubtitleAndAudioEntry&) const = default;
};

}  // namespace movra
