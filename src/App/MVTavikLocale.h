// The client's language operations on the device locale.
#pragma once

#include <string>

namespace movra {

class MVTavikLocale {
public:
    /// The language sent to the back end: the locale's language code ("nb" read as "no") with the current
    /// tenant's suffix ("sv_mvtk").
    static std::string mvtk_preferredLanguageString();
    /// The first of the system's preferred languages ("sv-SE"); detects a language change between launches.
    static std::string system_preferredLanguageString();
};

}  // namespace movra
