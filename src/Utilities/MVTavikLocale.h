// The client's language operations on the device locale.
//
// Thread contract: any thread.
#pragma once

#include "Utilities/MVRegionTenant.h"

#include <map>
#include <string>

namespace movra {

class MVTavikLocale {
  public:
    /// The language sent to the back end: the locale's language code ("nb" read as "no") with the current
    /// tenant's suffix ("sv_mvtk").
    static std::string mvtk_preferredLanguageString();
    /// `code` with a tenant's language suffix ("sv" -> "sv_mvtk"); unchanged without a tenant.
    static std::string languageCodeForRegionTenant(const std::string& code, MVRegionTenant tenant);
    /// The first of the system's preferred languages ("sv-SE"); detects a language change between launches.
    static std::string system_preferredLanguageString();

    /// ISO 639-1 codes to ISO 639-2 codes, read once from the library's "iso639_1_to_iso639_2" resource.
    static const std::map<std::string, std::string>& ISO639_2Dictionary();
    /// The locale's language code in ISO 639-2 ("sv" -> "swe"); the code itself when the table lacks it.
    static std::string ISO639_2LanguageCode();
};

}  // namespace movra
