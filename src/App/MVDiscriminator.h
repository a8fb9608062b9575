// MVDiscriminator: the region tenant answer shared by the whole client. A new shared instance replaces
// the old one at every region check.
//
// Thread contract: main queue, except the class operations on strings, which any thread may call.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Utilities/MVRegionTenant.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class MVDiscriminator : public std::enable_shared_from_this<MVDiscriminator> {
  public:
    /// initWithJSON: reads "url", "cc" and "name", and records whether the tenant changed.
    explicit MVDiscriminator(const Json& json);

    static std::shared_ptr<MVDiscriminator> sharedDiscriminator();
    static std::shared_ptr<MVDiscriminator> initSharedDiscriminatorWithJSON(const Json& json);

    static MVRegionTenant regionTenantForString(const std::optional<std::string>& string);
    static std::optional<std::string> stringForRegionTenant(MVRegionTenant tenant);
    static std::optional<std::string> stringForCurrentTenant();
    static std::optional<std::string> analyticsStringForRegionTenant(MVRegionTenant tenant);
    static std::optional<std::string> analyticsStringForCurrentTenant();
    /// `code` with the current tenant's language suffix ("sv" -> "sv_mvtk"); unchanged without a tenant.
    static std::string languageCodeForCurrentTenant(const std::string& code);
    static std::string languageCodeForRegionTenant(const std::string& code, MVRegionTenant tenant);
    /// Stores a recognised new tenant under "currentTenant"; true when it differs from the stored one.
    static bool changeCurrentTenantIfNeededToNewTenant(MVRegionTenant tenant);
    /// The answer that stands in for the discriminator when an API host override is configured: that host
    /// and the configured tenant (else the stored one, else Tavik).
    static Json answerForAPIHostOverride();
    static const std::vector<std::string>& SolaraRegionCountryCodes();
    static const std::vector<std::string>& TavikRegionCountryCodes();

    /// The answer this discriminator was made from, as received.
    const Json& answer() const { return answer_; }
    const std::string& url() const { return url_; }
    const std::optional<std::string>& countryCode() const { return countryCode_; }
    MVRegionTenant currentTenant() const { return currentTenant_; }
    bool currentTenantChanged() const { return currentTenantChanged_; }
    MVRegionTenant homeTenant() const { return homeTenant_; }

    /// Asset name of the tenant logo for the device idiom; nullopt for an unknown tenant value.
    static std::optional<std::string> logoImageForCurrentTenant();
    /// Asset name of the navigation-bar logo: the family logo in the kids profile, else the tenant's.
    static std::optional<std::string> navbarImageForCurrentTenant();
    /// Web domain of the home tenant's service (a deployment setting); empty without a home tenant.
    static std::string tenantUserURL();

    /// Reads the account and takes its country as the home tenant.
    void setupHomeTenantWithSuccess(std::function<void()> success, std::function<void(ErrorPtr)> failure);

    using AllowedCompletion = std::function<void(bool allowed, ErrorPtr error)>;
    /// Whether the root menu has a lockable (kids) entry; cached once known, not cached on failure.
    void allowsKidsMode(AllowedCompletion completion);
    /// Profiles are allowed exactly when kids mode is.
    void allowsProfiles(AllowedCompletion completion);
    void allowsProfilesAndKidsMode(std::function<void(bool profiles, bool kidsMode, ErrorPtr error)> completion);
    /// The cached answers; nullopt while not yet known.
    std::optional<bool> cachedAllowsKidsMode() const { return allowsKidsMode_; }
    std::optional<bool> cachedAllowsProfiles() const { return allowsProfiles_; }

  private:
    Json answer_;
    std::string url_;
    std::optional<std::string> countryCode_;
    MVRegionTenant currentTenant_ = MVRegionTenantNone;
    bool currentTenantChanged_ = false;
    MVRegionTenant homeTenant_ = MVRegionTenantNone;
    std::optional<bool> allowsProfiles_, allowsKidsMode_;
};

}  // namespace movra
