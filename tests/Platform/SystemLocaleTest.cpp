// Preferred languages from the configuration and from the locale variables of the environment.
#include "Platform/SystemLocale.h"

#include <gtest/gtest.h>

#include <map>

namespace movra {
namespace {

struct Case {
    const char* configured;
    std::map<std::string, std::string> environment;
    std::vector<std::string> preferred;
    const char* languageCode;
};

TEST(SystemLocale, PreferredLanguagesAndLanguageCode) {
    const Case cases[] = {
        {"sv-SE,en", {{"LANG", "de_DE.UTF-8"}}, {"sv-SE", "en"}, "sv"},
        {" nb_NO.UTF-8 , EN-gb ", {}, {"nb-NO", "en-GB"}, "nb"},
        {"", {{"LANGUAGE", "sv_SE:en"}, {"LANG", "de_DE.UTF-8"}}, {"sv-SE", "en"}, "sv"},
        {"", {{"LANGUAGE", ""}, {"LC_ALL", "da_DK.UTF-8"}, {"LANG", "de_DE"}}, {"da-DK"}, "da"},
        {"", {{"LC_MESSAGES", "fi_FI@euro"}, {"LANG", "de_DE"}}, {"fi-FI"}, "fi"},
        {"", {{"LC_ALL", "C"}, {"LANG", "sv_SE.UTF-8"}}, {"en"}, "en"},  // the first variable set decides
        {"", {}, {"en"}, "en"},
        {"", {{"LANGUAGE", "sv_SE:sv-SE:sv"}}, {"sv-SE", "sv"}, "sv"},
        {"zh_Hant_TW", {}, {"zh-Hant-TW"}, "zh"},
    };
    for (const auto& c : cases) {
        SystemLocale locale(c.configured, [&](const char* name) -> std::optional<std::string> {
            auto it = c.environment.find(name);
            if (it == c.environment.end()) return std::nullopt;
            return it->second;
        });
        const auto label =
            std::string("configured \"") + c.configured + "\", " + std::to_string(c.environment.size()) + " variables";
        EXPECT_EQ(locale.preferredLanguages(), c.preferred) << label;
        EXPECT_EQ(locale.languageCode(), c.languageCode) << label;
    }
}

}  // namespace
}  // namespace movra
