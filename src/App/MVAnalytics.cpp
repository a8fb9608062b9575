#include "App/MVAnalytics.h"

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "Model/ProfileManager.h"
#include "Platform/Platform.h"
#include "Utilities/MVAccount.h"

namespace movra {

namespace {

/// The labels the tracker carries for the six custom dimensions.
constexpr const char* kDimensionLabels[] = {"User ID",           "Region", "Family Mode", "Account Status",
                                            "Subscription Type", "Voucher"};

void setIfPresent(AnalyticsTracker::Parameters& hit, const std::string& key, const std::optional<std::string>& value) {
    if (value) hit[key] = *value;
}

/// Puts "&uid" and the dimensions on the hit and configures the tracker; then sends the hit.
void send(AnalyticsTracker::Parameters hit, const std::optional<std::string>& screenName) {
    auto account = MVAccount::cachedAccount();
    const auto accountNumber = account ? account->accountNumber() : std::nullopt;
    setIfPresent(hit, "&uid", accountNumber);
    setIfPresent(hit, "&cd1", accountNumber);
    setIfPresent(hit, "&cd2", MVDiscriminator::analyticsStringForCurrentTenant());
    hit["&cd3"] = ProfileManager::analyticsStringForActiveProfile();
    setIfPresent(hit, "&cd4", account ? account->accountState() : std::nullopt);
    setIfPresent(hit, "&cd5", account ? account->affiliateCode() : std::nullopt);
    hit["&cd6"] = "none";

    auto& tracker = Platform::current().analytics();
    auto client = MVHTTPClient::sharedClient();
    // Signed out there is no guid: the tracker must forget the previous subscriber's.
    tracker.set("&uid", client ? client->accountGuid() : std::nullopt);
    for (int i = 0; i < 6; ++i) tracker.set("&cd" + std::to_string(i + 1), kDimensionLabels[i]);
    if (screenName) tracker.set("&cd", *screenName);
    tracker.send(hit);
}

AnalyticsTracker::Parameters eventHit(const std::string& category, const std::string& action,
                                      const std::optional<std::string>& label, long long value) {
    AnalyticsTracker::Parameters hit{
        {"&t", "event"}, {"&ec", category}, {"&ea", action}, {"&ev", std::to_string(value)}};
    setIfPresent(hit, "&el", label);
    return hit;
}

}  // namespace

void MVTrackEvent(const std::string& category, const std::string& action, const std::optional<std::string>& label,
                  long long value) {
    send(eventHit(category, action, label, value), std::nullopt);
}

void MVTrackSessionStartEvent(const std::string& category, const std::string& action,
                              const std::optional<std::string>& label, long long value) {
    auto hit = eventHit(category, action, label, value);
    hit["&sc"] = "start";
    send(std::move(hit), std::nullopt);
}

void MVTrackScreenView(const std::optional<std::string>& screenName) {
    if (!screenName || screenName->empty()) return;
    send({{"&t", "screenview"}}, screenName);
}

}  // namespace movra
