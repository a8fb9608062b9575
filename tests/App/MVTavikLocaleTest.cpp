// The language sent to the back end.
#include <gtest/gtest.h>

#include "App/MVDiscriminator.h"
#include "App/MVTavikLocale.h"
#include "support/TestPlatform.h"

namespace movra {
namespace {

TEST(MVTavikLocale, PreferredLanguageCarriesTheTenantSuffixAndNorwegianAsNo) {
    test::TestPlatform platform;
    struct Case {
        std::string code;
        std::optional<std::string> tenant;
        std::string sent;
    } cases[] = {
        {"nb", "MVTK", "no_mvtk"},
        {"sv", "MVTK", "sv_mvtk"},
        {"es", "MVSL", "es_movrasolara"},
        {"nb", std::nullopt, "no"},
    };
    for (const auto& c : cases) {
        platform.locale->languageCode_ = c.code;
        Json answer = {{"url", "api.test"}};
        if (c.tenant) answer["name"] = *c.tenant;
        MVDiscriminator::initSharedDiscriminatorWithJSON(answer);
        EXPECT_EQ(MVTavikLocale::mvtk_preferredLanguageString(), c.sent) << c.code;
    }
}

}  // namespace
}  // namespace movra
