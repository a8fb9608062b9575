// The keychain facade, the active and launch profiles, and the dimensions every analytics hit carries.
#include "API/MVHTTPClient.h"
#include "App/MVAnalytics.h"
#include "App/MVDiscriminator.h"
#include "App/SecurityManager.h"
#include "Model/ProfileManager.h"
#include "Utilities/MVAccount.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::TestPlatform;

std::optional<std::string> keychain(TestPlatform& p, const char* account) {
    return p.credentials->password(SecurityManager::kPasswordServiceName, account);
}
void store(TestPlatform& p, const char* account, const std::string& value) {
    p.credentials->setPassword(value, SecurityManager::kPasswordServiceName, account);
}

TEST(SecurityManager, AuthenticationFollowsTheStoredToken) {
    const std::vector<std::pair<std::optional<std::string>, bool>> cases = {
        {std::nullopt, false}, {"", true}, {"tok", true}};
    for (const auto& [token, authenticated] : cases) {
        TestPlatform p;
        if (token) store(p, SecurityManager::kDeviceTokenAccountName, *token);
        store(p, SecurityManager::kDeviceIdAccountName, "DEV-1");
        store(p, SecurityManager::kUserNameAccountName, "anna");
        EXPECT_EQ(SecurityManager::isUserAuthenticated(), authenticated);
        SecurityManager::logOutUser();
        EXPECT_FALSE(SecurityManager::isUserAuthenticated());
        // Signing out forgets the token only.
        EXPECT_EQ(keychain(p, SecurityManager::kDeviceIdAccountName), "DEV-1");
        EXPECT_EQ(keychain(p, SecurityManager::kUserNameAccountName), "anna");
    }
}

TEST(SecurityManager, NewInstallDropsTheToken) {
    const std::vector<std::pair<std::optional<Json>, bool>> cases = {
        {std::nullopt, false}, {Json(nullptr), false}, {"YES", true}};
    for (const auto& [marker, kept] : cases) {
        TestPlatform p;
        store(p, SecurityManager::kDeviceTokenAccountName, "tok");
        if (marker) p.defaults->setObject("CurrentInstall", *marker);
        SecurityManager::clearAuthenticationIfNewInstall();
        EXPECT_EQ(SecurityManager::isUserAuthenticated(), kept) << (marker ? marker->dump() : "absent");
        EXPECT_EQ(p.defaults->stringForKey("CurrentInstall"), "YES");
    }
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

TEST(ProfileManager, SettingTheProfileNotifiesOnlyChanges) {
    TestPlatform p;
    std::vector<std::pair<long long, long long>> changes;
    auto& center = p.platform().notificationCenter();
    ScopedObserver observer(
        center, center.addObserver(ProfileManager::ActiveProfileChangedNotification, [&](const Notification& n) {
            changes.emplace_back(*n.numberValue("oldValue"), *n.numberValue("newValue"));
        }));
    for (auto profile : {ProfileTypeKids, ProfileTypeKids, ProfileTypeAdult, ProfileTypeNone, ProfileTypeNone})
        ProfileManager::setActiveProfile(profile);
    EXPECT_EQ(changes, (std::vector<std::pair<long long, long long>>{{0, 2}, {2, 1}, {1, 0}}));
    EXPECT_FALSE(p.defaults->object(ProfileManager::InKidsModeUserDefaultKey));
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
    MVTrackScreenView("Home");
    MVTrackScreenView("");
    MVTrackScreenView(std::nullopt);

    auto& hits = p.analytics->hits;
    ASSERT_EQ(hits.size(), 3u);
    const AnalyticsTracker::Parameters dimensions = {{"&uid", "A-100"},  {"&cd1", "A-100"},  {"&cd2", "Spain"},
                                                     {"&cd3", "Family"}, {"&cd4", "active"}, {"&cd5", "TEL"},
                                                     {"&cd6", "none"}};
    auto expect = [&dimensions](AnalyticsTracker::Parameters own) {
        own.insert(dimensions.begin(), dimensions.end());
        return own;
    };
    EXPECT_EQ(hits[0], expect({{"&t", "event"},
                               {"&ec", "SignIn"},
                               {"&ea", "SignIn_Success"},
                               {"&el", "lbl"},
                               {"&ev", "3"},
                               {"&sc", "start"}}));
    EXPECT_EQ(hits[1], expect({{"&t", "event"}, {"&ec", "Menu"}, {"&ea", "Menu_Logout"}, {"&ev", "0"}}));
    EXPECT_EQ(hits[2], expect({{"&t", "screenview"}}));
    EXPECT_EQ(p.analytics->trackerValues, (AnalyticsTracker::Parameters{{"&uid", "GUID-7"},
                                                                        {"&cd1", "User ID"},
                                                                        {"&cd2", "Region"},
                                                                        {"&cd3", "Family Mode"},
                                                                        {"&cd4", "Account Status"},
                                                                        {"&cd5", "Subscription Type"},
                                                                        {"&cd6", "Voucher"},
                                                                        {"&cd", "Home"}}));
}

TEST(MVAnalytics, SignedOutHitsCarryNoSubscriber) {
    TestPlatform p;
    store(p, SecurityManager::kAccountGuidName, "GUID-7");
    MVHTTPClient::initSharedClientWithHost("api.test");
    MVAccount::modelWithDictionary({{"accountNumber", "A-100"}});
    MVTrackEvent("SignIn", "SignIn_Success", std::nullopt, 0);

    p.platform().notificationCenter().post(MVNotificationLogOut);
    MVTrackEvent("SignIn", "SignIn_Failure", std::nullopt, 0);
    ASSERT_EQ(p.analytics->hits.size(), 2u);
    const auto& hit = p.analytics->hits[1];
    EXPECT_EQ(hit.count("&uid"), 0u);
    EXPECT_EQ(hit.count("&cd1"), 0u);
    EXPECT_EQ(hit.count("&cd2"), 0u);  // no tenant answer yet
}

// Known fault: with no account guid the tracker keeps the previous subscriber's "&uid", so hits sent after
// sign-out are still attributed to them.
TEST(MVAnalytics, TrackerForgetsThePreviousSubscriber) {
    TestPlatform p;
    store(p, SecurityManager::kAccountGuidName, "GUID-7");
    MVHTTPClient::initSharedClientWithHost("api.test");
    MVTrackEvent("SignIn", "SignIn_Success", std::nullopt, 0);
    p.platform().notificationCenter().post(MVNotificationLogOut);
    MVTrackEvent("SignIn", "SignIn_Failure", std::nullopt, 0);
    EXPECT_NE(p.analytics->trackerValues["&uid"], "GUID-7");
}

}  // namespace
}  // namespace movra
