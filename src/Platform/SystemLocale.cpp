#include "Platform/SystemLocale.h"

#include "Foundation/Strings.h"

#include <algorithm>
#include <cstdlib>

namespace movra {

namespace {

// "sv_SE.UTF-8" -> "sv-SE": encoding and modifier dropped, language lower-case, region upper-case.
std::string languageTag(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    auto parts = split(replaceAll(std::string(locale), "_", "-"), "-");
    parts[0] = toLower(parts[0]);
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (parts[i].size() == 2) parts[i] = toUpper(parts[i]);
    return join(parts, "-");
}

}  // namespace

SystemLocale::SystemLocale(std::string_view configuredLanguages, const Environment& environment) {
    preferred_ = parseLanguages(configuredLanguages);
    if (preferred_.empty() && trim(configuredLanguages).empty()) {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            auto value = environment(name);
            if (!value || value->empty()) continue;
            // The first variable that is set decides, even when it says "C".
            preferred_ = parseLanguages(*value);
            break;
        }
    }
    if (preferred_.empty()) preferred_.push_back("en");
}

std::string SystemLocale::languageCode() const { return toLower(split(preferred_.front(), "-").front()); }

std::vector<std::string> SystemLocale::parseLanguages(std::string_view list) {
    std::vector<std::string> languages;
    for (auto& item : split(replaceAll(std::string(list), ":", ","), ",")) {
        auto name = trim(item);
        if (name.empty() || name == "C" || name == "POSIX" || startsWith(name, "C.")) continue;
        auto tag = languageTag(name);
        if (!tag.empty() && std::find(languages.begin(), languages.end(), tag) == languages.end())
            languages.push_back(std::move(tag));
    }
    return languages;
}

std::optional<std::string> SystemLocale::processEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

}  // namespace movra
