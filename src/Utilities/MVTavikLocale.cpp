#include "Utilities/MVTavikLocale.h"

#include "Foundation/Log.h"
#include "Platform/Platform.h"
#include "Utilities/CurrentRegionTenant.h"
#include "Utilities/XMLDocument.h"
#include "Utilities/XMLNode.h"
#include "embedded/iso639_1_to_iso639_2.plist.h"

namespace movra {

std::string MVTavikLocale::mvtk_preferredLanguageString() {
    auto code = Platform::current().locale().languageCode();
    if (code == "nb") code = "no";
    return languageCodeForRegionTenant(code, CurrentRegionTenant::tenant());
}

std::string MVTavikLocale::languageCodeForRegionTenant(const std::string& code, MVRegionTenant tenant) {
    switch (tenant) {
        case MVRegionTenantSolara:
            return code + "_movrasolara";
        case MVRegionTenantTavik:
            return code + "_mvtk";
        default:
            return code;
    }
}

std::string MVTavikLocale::system_preferredLanguageString() {
    auto languages = Platform::current().locale().preferredLanguages();
    return languages.empty() ? std::string() : languages.front();
}

const std::map<std::string, std::string>& MVTavikLocale::ISO639_2Dictionary() {
    static const std::map<std::string, std::string> dictionary = [] {
        std::map<std::string, std::string> table;
        ErrorPtr error;
        auto plist = XMLDocument::parse(resources::kISO639_1To639_2Plist, &error);
        auto dict = plist ? plist->rootElement().firstChildElement("dict") : XMLNode();
        if (!dict) {
            Log::error("The ISO 639 table could not be read: {}", error ? error->summary() : "no dictionary");
            return table;
        }
        // A property list dictionary alternates <key> and <string> elements.
        std::optional<std::string> key;
        for (const auto& element : dict.childElements()) {
            if (element.name() == "key")
                key = element.stringValue();
            else if (key && element.name() == "string")
                table.emplace(*std::exchange(key, std::nullopt), element.stringValue());
        }
        return table;
    }();
    return dictionary;
}

std::string MVTavikLocale::ISO639_2LanguageCode() {
    const auto code = Platform::current().locale().languageCode();
    const auto& table = ISO639_2Dictionary();
    auto it = table.find(code);
    return it == table.end() ? code : it->second;
}

}  // namespace movra
