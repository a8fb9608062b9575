// Locale: the device's language settings.
#pragma once

#include <string>
#include <vector>

namespace movra {

class Locale {
  public:
    virtual ~Locale() = default;
    /// Language code of the current locale ("sv", "nb", "en").
    virtual std::string languageCode() const = 0;
    /// The user's preferred languages, most preferred first ("sv-SE", "en").
    virtual std::vector<std::string> preferredLanguages() const = 0;
};

}  // namespace movra
