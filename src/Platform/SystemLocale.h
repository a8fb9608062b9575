// SystemLocale: the preferred languages from the configuration ("sv-SE,en") or, when that is empty, from
// the environment: the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set and not empty
// ("sv_SE.UTF-8" reads as "sv-SE"; "C" and "POSIX" stand for English). Read once, at construction.
//
// Thread contract: immutable; every member may be called from any thread.
#pragma once

#include "Platform/Locale.h"

#include <functional>
#include <optional>
#include <string_view>

namespace movra {

class SystemLocale final : public Locale {
  public:
    /// Looks up an environment variable; nullopt when it is not set.
    using Environment = std::function<std::optional<std::string>(const char* name)>;

    explicit SystemLocale(std::string_view configuredLanguages, const Environment& environment = processEnvironment);

    std::string languageCode() const override;
    std::vector<std::string> preferredLanguages() const override { return preferred_; }

    /// Language tags of a list separated by "," or ":" (locale names such as "nb_NO.UTF-8@euro" become
    /// "nb-NO"); "C", "POSIX" and duplicates are left out.
    static std::vector<std::string> parseLanguages(std::string_view list);
    static std::optional<std::string> processEnvironment(const char* name);

  private:
    std::vector<std::string> preferred_;
};

}  // namespace movra
