// The keychain facade, the active and launch profiles, and the dimensions every analytics hit carries.
#include "API/MVHTTPClient.h"
#include "App/MVAnalytics.h"
#include "App/MVDiscriminator.h"
#include "Model/ProfileManager.h"
#include "Utilities/MVAccount.h"
#include "Utilities/SecurityManager.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::TestPlatform;

void store(TestPlatform& p, const char* account, const std::string& value) {
    p.credentials->setPassword(value, SecurityManager::kPasswordServiceName, account);
}

TEST(ProfileManager, ActiveProfileFromDefaults) {
    const std::vector<std::tuple<std::optional<Json>, ProfileType, std::string>> cases = {
        {std::nullopt, ProfileTypeNone, "Standard"},
        {false, ProfileTypeAdult, "Standard"},
        {true, ProfileTypeKids, "Family"},
        {"garbage", ProfileTypeNone, "Standard"},
    };
    for (const auto& [stored, profile, analytics] : cases) {
        TestPlatform p;
        if (stored) p.defaults->setObject(ProfileManager::InKidsModeUserDefaultKey, *stored);
        EXPECT_EQ(ProfileManager::activeProfile(), profile);
        EXPECT_EQ(ProfileManager::analyticsStringForActiveProfile(), analytics);
        // The launch profile is read once, on first access.
        EXPECT_EQ(ProfileManager::launchProfile(), profile);
        p.defaults->setObject(ProfileManager::InKidsModeUserDefaultKey, profile != ProfileTypeKids);
        EXPECT_EQ(ProfileManager::launchProfile(), profile);
    }
}

TEST(MVAnalytics, HitsCarryTheSubscriberTenantAndProfile) {
    TestPlatform p;
    store(p, SecurityManager::kAccountGuidName, "GUID-7");
    MVHTTPClient::initSharedClientWithHost("api.test");
    MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"name", "MVSL"}});
    ProfileManager::setActiveProfile(ProfileTypeKids);
    MVAccount::modelWithDictionary({{"accountNumber", "A-100"}, {"accountState", "active"}, {"affiliateCode", "TEL"}});

    MVTrackSessionStartEvent("SignIn", "SignIn_Success", "lbl", 3);
    MVTrackEvent("Menu", "Menu_Logout", std::nullopt, 0);

    auto& hits = p.analytics->hits;
    ASSERT_EQ(hits.size(), 2u);
    // Each hit carries the subscriber's dimensions; the tenant and profile are named for people.
    for (const auto& hit : hits) {
        EXPECT_EQ(hit.at("&uid"), "A-100");
        EXPECT_EQ(hit.at("&cd2"), "Spain");
        EXPECT_EQ(hit.at("&cd3"), "Family");
        EXPECT_EQ(hit.at("&cd5"), "TEL");
    }
    EXPECT_EQ(hits[0].at("&sc"), "start");
    EXPECT_EQ(hits[0].at("&ev"), "3");
    EXPECT_FALSE(hits[1].count("&el"));
    EXPECT_EQ(p.analytics->trackerValues.at("&uid"), "GUID-7");
}

// Hits sent after sign-out are nobody's, not still the previous subscriber's; the next one gets their own.
TEST(MVAnalytics, TrackerForgetsThePreviousSubscriber) {
    TestPlatform p;
    store(p, SecurityManager::kAccountGuidName, "GUID-7");
    MVHTTPClient::initSharedClientWithHost("api.test");
    MVTrackEvent("SignIn", "SignIn_Success", std::nullopt, 0);
    EXPECT_EQ(p.analytics->trackerValues["&uid"], "GUID-7");
    p.platform().notificationCenter().post(MVNotificationLogOut);
    MVTrackEvent("SignIn", "SignIn_Failure", std::nullopt, 0);
    EXPECT_FALSE(p.analytics->trackerValues.count("&uid"));

    store(p, SecurityManager::kAccountGuidName, "GUID-8");
    MVHTTPClient::initSharedClientWithHost("api.test");
    MVTrackEvent("SignIn", "SignIn_Success", std::nullopt, 0);
    EXPECT_EQ(p.analytics->trackerValues["&uid"], "GUID-8");
}

}  // namespace
}  // namespace movra
