// Profiles: the active profile as the defaults hold it, its change notice, and the kids-mode configuration
// read from and written to the subscriber's settings, with the PIN check before anything is sent.
#include "API/MVHTTPClient.h"
#include "Model/PINValidationError.h"
#include "Model/ProfileManager.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <thread>

namespace movra {
namespace {

using test::xmlReply;

std::string settingsAnswer(const std::vector<std::pair<std::string, std::string>>& settings) {
    std::string xml = "<result><status>Success</status><settings>";
    for (const auto& [name, value] : settings)
        xml += "<setting><name>" + name + "</name><value>" + value + "</value></setting>";
    return xml + "</settings></result>";
}

class ProfileManagerTest : public ::testing::Test {
  protected:
    ProfileManagerTest() { MVHTTPClient::initSharedClientWithHost("api.test"); }

    std::tuple<std::optional<KidsModeConfiguration>, ErrorPtr> readConfiguration() {
        return env.await<std::optional<KidsModeConfiguration>, ErrorPtr>([&](auto done) {
            ProfileManager::getKidsModeConfiguration(
                [done, main = std::this_thread::get_id()](auto configuration, auto error) {
                    EXPECT_EQ(std::this_thread::get_id(), main);
                    done(configuration, error);
                });
        });
    }

    test::TestPlatform env;
};

TEST_F(ProfileManagerTest, TheActiveProfileIsReadFromTheDefaultsAndAChangeIsAnnouncedOnce) {
    struct Case {
        std::optional<Json> stored;
        ProfileType profile;
        const char* analytics;
        const char* theme;
    };
    const Case cases[] = {
        {std::nullopt, ProfileTypeNone, "Standard", "Standard"},
        {false, ProfileTypeAdult, "Standard", "Standard"},
        {true, ProfileTypeKids, "Family", "Family"},
        {Json("yes"), ProfileTypeNone, "Standard", "Standard"},
        {Json::array({true}), ProfileTypeNone, "Standard", "Standard"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored->dump() : "absent");
        if (c.stored)
            env.defaults->setObject(ProfileManager::InKidsModeUserDefaultKey, *c.stored);
        else
            env.defaults->removeObject(ProfileManager::InKidsModeUserDefaultKey);
        EXPECT_EQ(ProfileManager::activeProfile(), c.profile);
        EXPECT_EQ(ProfileManager::analyticsStringForActiveProfile(), c.analytics);
        EXPECT_EQ(ProfileManager::themeForActiveProfile()->name(), c.theme);
    }

    env.defaults->removeObject(ProfileManager::InKidsModeUserDefaultKey);
    std::vector<Json> changes;
    ScopedObserver observer(
        env.platform().notificationCenter(),
        env.platform().notificationCenter().addObserver(ProfileManager::ActiveProfileChangedNotification,
                                                        [&](const Notification& n) { changes.push_back(n.userInfo); }));
    ProfileManager::setActiveProfile(ProfileTypeKids);
    ProfileManager::setActiveProfile(ProfileTypeKids);
    ProfileManager::setActiveProfile(ProfileTypeNone);
    EXPECT_EQ(changes, (std::vector<Json>{{{"oldValue", 0}, {"newValue", 2}}, {{"oldValue", 2}, {"newValue", 0}}}));
    EXPECT_FALSE(env.defaults->object(ProfileManager::InKidsModeUserDefaultKey));
}

TEST_F(ProfileManagerTest, APinIsFourDecimalDigits) {
    const std::pair<const char*, std::optional<PINValidationError>> cases[] = {
        {"1234", std::nullopt},
        {"0000", std::nullopt},
        {"123", PINValidationError::invalidLength},
        {"12345", PINValidationError::invalidLength},
        {"", PINValidationError::invalidLength},
        {"12a4", PINValidationError::invalidCharacters},
        {"12 4", PINValidationError::invalidCharacters},
        {"12\xC3\xA9"
         "4",
         PINValidationError::invalidCharacters},                                      // four characters, one é
        {"\xD9\xA1\xD9\xA2\xD9\xA3\xD9\xA4", PINValidationError::invalidCharacters},  // Arabic-Indic digits
    };
    for (const auto& [pin, expected] : cases) {
        SCOPED_TRACE(pin);
        ErrorPtr error;
        EXPECT_EQ(KidsModeConfiguration::validatePIN(pin, &error), !expected);
        if (expected) {
            ASSERT_TRUE(error);
            EXPECT_TRUE(error->is(kPINValidationErrorDomain, static_cast<int>(*expected)));
            EXPECT_FALSE(error->localizedDescription.empty());
        }
    }
}

TEST_F(ProfileManagerTest, OnlyACheckedOrEmptyPinIsWritten) {
    env.network->answerAll(xmlReply(200, "<result><status>Success</status></result>"));
    ErrorPtr error;
    EXPECT_FALSE(ProfileManager::setKidsModeConfiguration(KidsModeConfiguration(false, "12a4"), &error, nullptr));
    EXPECT_TRUE(error && error->is(kPINValidationErrorDomain, static_cast<int>(PINValidationError::invalidCharacters)));
    EXPECT_EQ(env.network->requestCount(), 0u);

    const std::pair<KidsModeConfiguration, std::string> writes[] = {
        {KidsModeConfiguration(false, ""),
         R"(<request><setting Name="kidsModeIgnore">false</setting><setting Name="kidsModePIN"></setting></request>)"},
        {KidsModeConfiguration(true, std::nullopt),
         R"(<request><setting Name="kidsModeIgnore">true</setting></request>)"},
        {KidsModeConfiguration(std::nullopt, "0427"),
         R"(<request><setting Name="kidsModePIN">0427</setting></request>)"},
    };
    for (const auto& [configuration, body] : writes) {
        auto [written] = env.await<ErrorPtr>([&](auto done) {
            ErrorPtr refused;
            EXPECT_TRUE(ProfileManager::setKidsModeConfiguration(configuration, &refused,
                                                                 [done](ErrorPtr e, XMLDocumentPtr) { done(e); }));
        });
        EXPECT_FALSE(written);
        EXPECT_EQ(env.network->requests().back().body, body);
    }
}

TEST_F(ProfileManagerTest, TheConfigurationIsReadFromTheSettingsLeniently) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> settings;
        bool ignore;
        const char* pin;
    };
    const Case cases[] = {
        {{{"kidsModeIgnore", "YES"}, {"kidsModePIN", "2468"}}, true, "2468"},
        {{{"kidsModeIgnore", "True"}}, true, ""},
        {{{"kidsModeIgnore", "1"}}, true, ""},
        {{{"kidsModeIgnore", "no"}, {"kidsModePIN", ""}}, false, ""},
        {{{"kidsModeIgnore", "on"}}, false, ""},
        {{{"subtitle", "sv_mvtk"}}, false, ""},
    };
    for (const auto& c : cases) {
        env.network->answerAll(xmlReply(200, settingsAnswer(c.settings)));
        auto [configuration, error] = readConfiguration();
        ASSERT_TRUE(configuration) << (error ? error->summary() : "");
        EXPECT_EQ(configuration->kidsModeIgnore(), c.ignore);
        EXPECT_EQ(configuration->kidsModePIN(), c.pin);
    }

    env.network->answerAll(xmlReply(500, "<result><status>Failure</status><errorCode>ST5000</errorCode></result>"));
    auto [configuration, error] = readConfiguration();
    EXPECT_FALSE(configuration);
    EXPECT_TRUE(error);
}

}  // namespace
}  // namespace movra
