// MediaSelectionGroup: the audible or legible renditions of an asset, and their options.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

/// A common-metadata entry of an option (key "title" in key space "comn" names a rendition).
struct MediaMetadataItem {
    std::string key;
    std::string keySpace;
    std::string stringValue;
    /// Language tag of the value ("sv", "en-GB"); empty when the value has none.
    std::string language;
};

struct MediaSelectionOption {
    /// Stable within the asset: what selection uses.
    std::string identifier;
    std::string displayName;
    /// The option's locale language code ("sv", "nb", "en"), empty when it has none.
    std::string localeLanguageCode;
    std::vector<MediaMetadataItem> commonMetadata;

    bool operator==(const MediaSelectionOption& other) const { return identifier == other.identifier; }
};

enum class MediaCharacteristic { Audible, Legible };

struct MediaSelectionGroup {
    MediaCharacteristic characteristic = MediaCharacteristic::Audible;
    std::vector<MediaSelectionOption> options;
    /// Subtitles may be off; audio may not.
    bool allowsEmptySelection = false;
    /// What plays when nothing was chosen; nullopt when the stream names none.
    std::optional<MediaSelectionOption> defaultOption;
};

using MediaSelectionGroupPtr = std::shared_ptr<const MediaSelectionGroup>;

}  // namespace movra
