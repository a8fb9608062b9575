// MVMediaSelectionOptionHelper: the client's readings of a rendition (the MVHelper category of the platform's
// media selection option): the name to show, the language code that the track choice is stored under, and
// the title that names an audio rendition.
//
// Thread contract: main queue (reads the locale and the tenant).
#pragma once

#include "Platform/MediaSelectionGroup.h"

#include <optional>
#include <string>

namespace movra {

class MVMediaSelectionOptionHelper {
  public:
    /// The title in the user's most preferred language that has one, else the first title, else the
    /// option's own display name.
    static std::string mvtk_localizedDisplayName(const MediaSelectionOption& option);
    /// The option's language ("nb" read as "no") with the tenant's suffix ("sv_mvtk"); nullopt without one.
    static std::optional<std::string> mvtk_languageCode(const MediaSelectionOption& option);
    /// The string of the first common-metadata item with key "title" in key space "comn".
    static std::optional<std::string> title(const MediaSelectionOption& option);
};

}  // namespace movra
