// The language sent to the back end and the ISO 639-2 code of the device language.
#include "Utilities/CurrentRegionTenant.h"
#include "Utilities/MVTavikLocale.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

TEST(MVTavikLocale, PreferredLanguageCarriesTheTenantSuffixAndNorwegianAsNo) {
    test::TestPlatform platform;
    struct Case {
        std::string code;
        MVRegionTenant tenant;
        std::string sent;
    } cases[] = {
        {"nb", MVRegionTenantTavik, "no_mvtk"},
        {"sv", MVRegionTenantTavik, "sv_mvtk"},
        {"es", MVRegionTenantSolara, "es_movrasolara"},
        {"nb", MVRegionTenantNone, "no"},
    };
    for (const auto& c : cases) {
        platform.locale->languageCode_ = c.code;
        CurrentRegionTenant::setTenant(c.tenant);
        EXPECT_EQ(MVTavikLocale::mvtk_preferredLanguageString(), c.sent) << c.code;
    }
}

TEST(MVTavikLocale, ISO639_2CodesComeFromTheShippedTable) {
    test::TestPlatform platform;
    const std::pair<std::string, std::string> cases[] = {
        {"sv", "swe"}, {"nb", "nob"}, {"no", "nor"}, {"es", "spa"}, {"zz", "zz"},
    };
    for (const auto& [code, expected] : cases) {
        platform.locale->languageCode_ = code;
        EXPECT_EQ(MVTavikLocale::ISO639_2LanguageCode(), expected) << code;
    }
}

}  // namespace
}  // namespace movra
