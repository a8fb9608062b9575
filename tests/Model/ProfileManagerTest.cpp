// The kids-mode configuration read from and written to the subscriber's settings, with the PIN check before
// anything is sent.
#include "API/MVHTTPClient.h"
#include "Model/PINValidationError.h"
#include "Model/ProfileManager.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::xmlReply;

class ProfileManagerTest : public ::testing::Test {
  protected:
    ProfileManagerTest() { MVHTTPClient::initSharedClientWithHost("api.test"); }
    test::TestPlatform env;
};

TEST_F(ProfileManagerTest, APinIsFourDecimalDigitsAndNoOtherPinIsSent) {
    using enum PINValidationError;
    const std::pair<const char*, std::optional<PINValidationError>> cases[] = {
        {"1234", std::nullopt},
        {"123", invalidLength},
        {"12345", invalidLength},
        {"12a4", invalidCharacters},
        {"12\xC3\xA9\x34", invalidCharacters},                    // four characters, one of them é
        {"\xD9\xA1\xD9\xA2\xD9\xA3\xD9\xA4", invalidCharacters},  // Arabic-Indic digits
    };
    for (const auto& [pin, expected] : cases) {
        ErrorPtr error;
        EXPECT_EQ(KidsModeConfiguration::validatePIN(pin, &error), !expected) << pin;
        EXPECT_EQ(error ? std::optional(error->code) : std::nullopt,
                  expected ? std::optional<std::int64_t>(static_cast<int>(*expected)) : std::nullopt)
            << pin;
        if (!expected) continue;
        ErrorPtr refused;
        EXPECT_FALSE(ProfileManager::setKidsModeConfiguration(KidsModeConfiguration(false, pin), &refused, nullptr));
        EXPECT_EQ(refused ? refused->domain : "", kPINValidationErrorDomain) << pin;
    }
    EXPECT_EQ(env.network->requests().size(), 0u);
}

TEST_F(ProfileManagerTest, TheSettingsWrittenAreThoseSetAndAnEmptyPinGoesOutUnchecked) {
    env.network->answerAll(xmlReply(200, "<result><status>Success</status></result>"));
    const std::pair<KidsModeConfiguration, std::string> writes[] = {
        {KidsModeConfiguration(false, ""),
         R"(<setting Name="kidsModeIgnore">false</setting><setting Name="kidsModePIN"></setting>)"},
        {KidsModeConfiguration(true, std::nullopt), R"(<setting Name="kidsModeIgnore">true</setting>)"},
        {KidsModeConfiguration(std::nullopt, "0427"), R"(<setting Name="kidsModePIN">0427</setting>)"},
    };
    for (const auto& [configuration, settings] : writes) {
        auto [error] = env.await<ErrorPtr>([&](auto done) {
            EXPECT_TRUE(ProfileManager::setKidsModeConfiguration(configuration, nullptr,
                                                                 [done](ErrorPtr e, XMLDocumentPtr) { done(e); }));
        });
        EXPECT_FALSE(error);
        EXPECT_EQ(env.network->requests().back().body, "<request>" + settings + "</request>");
    }
}

TEST_F(ProfileManagerTest, TheConfigurationIsReadFromTheSettingsLeniently) {
    struct Case {
        const char* settings;
        bool ignore;
        const char* pin;
    };
    const Case cases[] = {
        {"<setting><name>kidsModeIgnore</name><value>YES</value></setting>"
         "<setting><name>kidsModePIN</name><value>2468</value></setting>",
         true, "2468"},
        {"<setting><name>kidsModeIgnore</name><value>1</value></setting>", true, ""},
        {"<setting><name>kidsModeIgnore</name><value>on</value></setting>", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        env.network->answerAll(xmlReply(
            200, std::string("<result><status>Success</status><settings>") + c.settings + "</settings></result>"));
        auto [configuration, error] = env.await<std::optional<KidsModeConfiguration>, ErrorPtr>(
            [](auto done) { ProfileManager::getKidsModeConfiguration(done); });
        ASSERT_TRUE(configuration) << c.settings;
        EXPECT_EQ(configuration->kidsModeIgnore(), c.ignore) << c.settings;
        EXPECT_EQ(configuration->kidsModePIN(), c.pin) << c.settings;
    }
}

}  // namespace
}  // namespace movra
