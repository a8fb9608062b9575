#include "App/MVTavikLocale.h"

#include "App/MVDiscriminator.h"
#include "Platform/Platform.h"

namespace movra {

std::string MVTavikLocale::mvtk_preferredLanguageString() {
    auto code = Platform::current().locale().languageCode();
    if (code == "nb") code = "no";
    return MVDiscriminator::languageCodeForCurrentTenant(code);
}

std::string MVTavikLocale::system_preferredLanguageString() {
    auto languages = Platform::current().locale().preferredLanguages();
    return languages.empty() ? std::string() : languages.front();
}

}  // namespace movra
