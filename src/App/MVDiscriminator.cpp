#include "App/MVDiscriminator.h"

#include "API/MVHTTPClient.h"
#include "Foundation/Log.h"
#include "Foundation/MainQueue.h"
#include "Foundation/Strings.h"
#include "Model/MVChannel.h"
#include "Model/MVDataManager.h"
#include "Model/ProfileManager.h"
#include "Platform/Platform.h"
#include "Utilities/CurrentRegionTenant.h"
#include "Utilities/MVAccount.h"
#include "Utilities/MVTavikLocale.h"

#include <algorithm>
#include <cctype>

namespace movra {

namespace {
constexpr const char* kCurrentTenantKey = "currentTenant";

/// The API host of an answer's "url": "host[:port]", with an "http://" or "https://" in front dropped (the
/// client always speaks HTTPS to it). Empty when what remains is not a host and port.
std::string apiHostOfAnswerURL(std::string_view url) {
    for (std::string_view scheme : {"https://", "http://"}) {
        if (url.size() >= scheme.size() && toLower(url.substr(0, scheme.size())) == scheme) {
            url.remove_prefix(scheme.size());
            break;
        }
    }
    if (!url.empty() && url.back() == '/') url.remove_suffix(1);
    const bool hostAndPort = !url.empty() && std::all_of(url.begin(), url.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    });
    if (!hostAndPort) {
        Log::warning("The region check named no usable API host: \"{}\"", std::string(url));
        return {};
    }
    return std::string(url);
}
}  // namespace

MVDiscriminator::MVDiscriminator(const Json& json) : answer_(json) {
    if (auto url = stringValue(json, "url")) url_ = apiHostOfAnswerURL(*url);
    if (auto cc = json.is_object() ? json.find("cc") : json.end();
        cc != json.end() && cc->is_array() && !cc->empty() && cc->front().is_string())
        countryCode_ = cc->front().get<std::string>();
    currentTenant_ = regionTenantForString(stringValue(json, "name"));
    currentTenantChanged_ = changeCurrentTenantIfNeededToNewTenant(currentTenant_);
}

std::shared_ptr<MVDiscriminator> MVDiscriminator::sharedDiscriminator() {
    return Platform::current().object<MVDiscriminator>();
}

std::shared_ptr<MVDiscriminator> MVDiscriminator::initSharedDiscriminatorWithJSON(const Json& json) {
    auto discriminator = std::make_shared<MVDiscriminator>(json);
    Platform::current().setObject(discriminator);
    CurrentRegionTenant::setTenant(discriminator->currentTenant());
    return discriminator;
}

Json MVDiscriminator::answerForAPIHostOverride() {
    auto& platform = Platform::current();
    const auto& configuration = platform.configuration();
    const auto tenant = configuration.tenant.empty()
                            ? platform.defaults().stringForKey(kCurrentTenantKey).value_or("Movra Tavik")
                            : configuration.tenant;
    return {{"url", configuration.apiHostOverride}, {"cc", Json::array()}, {"name", tenant}};
}

const std::vector<std::string>& MVDiscriminator::SolaraRegionCountryCodes() {
    static const std::vector<std::string> codes = {"ES"};
    return codes;
}

const std::vector<std::string>& MVDiscriminator::TavikRegionCountryCodes() {
    static const std::vector<std::string> codes = {"SE", "FI", "NO", "DK"};
    return codes;
}

MVRegionTenant MVDiscriminator::regionTenantForString(const std::optional<std::string>& string) {
    if (!string) return MVRegionTenantNone;
    const auto upper = toUpper(*string);
    auto in = [&upper](const std::vector<std::string>& codes) {
        return std::find(codes.begin(), codes.end(), upper) != codes.end();
    };
    if (*string == "Movra Solara" || *string == "MVSL" || in(SolaraRegionCountryCodes())) return MVRegionTenantSolara;
    if (*string == "Movra Tavik" || *string == "MVTK" || in(TavikRegionCountryCodes())) return MVRegionTenantTavik;
    return MVRegionTenantNone;
}

std::optional<std::string> MVDiscriminator::stringForRegionTenant(MVRegionTenant tenant) {
    switch (tenant) {
        case MVRegionTenantSolara:
            return "Movra Solara";
        case MVRegionTenantTavik:
            return "Movra Tavik";
        default:
            return std::nullopt;
    }
}

std::optional<std::string> MVDiscriminator::analyticsStringForRegionTenant(MVRegionTenant tenant) {
    switch (tenant) {
        case MVRegionTenantSolara:
            return "Spain";
        case MVRegionTenantTavik:
            return "Tavik";
        default:
            return std::nullopt;
    }
}

std::optional<std::string> MVDiscriminator::stringForCurrentTenant() {
    auto shared = sharedDiscriminator();
    return stringForRegionTenant(shared ? shared->currentTenant() : MVRegionTenantNone);
}

std::optional<std::string> MVDiscriminator::analyticsStringForCurrentTenant() {
    auto shared = sharedDiscriminator();
    return analyticsStringForRegionTenant(shared ? shared->currentTenant() : MVRegionTenantNone);
}

std::string MVDiscriminator::languageCodeForCurrentTenant(const std::string& code) {
    auto shared = sharedDiscriminator();
    return languageCodeForRegionTenant(code, shared ? shared->currentTenant() : MVRegionTenantNone);
}

std::string MVDiscriminator::languageCodeForRegionTenant(const std::string& code, MVRegionTenant tenant) {
    return MVTavikLocale::languageCodeForRegionTenant(code, tenant);
}

bool MVDiscriminator::changeCurrentTenantIfNeededToNewTenant(MVRegionTenant tenant) {
    auto& defaults = Platform::current().defaults();
    const auto stored = regionTenantForString(defaults.stringForKey(kCurrentTenantKey));
    if (stored != tenant && tenant != MVRegionTenantNone) {
        defaults.setObject(kCurrentTenantKey, *stringForRegionTenant(tenant));
        defaults.synchronize();
    }
    return stored != tenant;
}

void MVDiscriminator::setupHomeTenantWithSuccess(std::function<void()> success, std::function<void(ErrorPtr)> failure) {
    MOVRA_ASSERT_MAIN_QUEUE();
    auto client = MVHTTPClient::sharedClient();
    if (!client) {
        if (failure) failure(nullptr);
        return;
    }
    std::weak_ptr<MVDiscriminator> weak = weak_from_this();
    client->getAccountWithCompletion([weak, success, failure](ErrorPtr error, std::shared_ptr<MVAccount> account) {
        auto self = weak.lock();
        if (error) {
            if (failure) failure(error);
            return;
        }
        if (!account) {
            if (failure) failure(nullptr);
            return;
        }
        if (self) self->homeTenant_ = regionTenantForString(account->country());
        if (success) success();
    });
}

std::optional<std::string> MVDiscriminator::logoImageForCurrentTenant() {
    auto shared = sharedDiscriminator();
    const auto tenant = shared ? shared->currentTenant() : MVRegionTenantNone;
    const std::string base =
        Platform::current().device().idiom() == UserInterfaceIdiom::Pad ? "logo_geo_ipad" : "logo_geo_iphone";
    switch (tenant) {
        case MVRegionTenantNone:
            return base;
        case MVRegionTenantSolara:
            return base + "_solara";
        case MVRegionTenantTavik:
            return base + "_tavik";
    }
    return std::nullopt;
}

std::optional<std::string> MVDiscriminator::navbarImageForCurrentTenant() {
    if (ProfileManager::activeProfile() == ProfileTypeKids) return "logo_nav_family";
    auto shared = sharedDiscriminator();
    switch (shared ? shared->currentTenant() : MVRegionTenantNone) {
        case MVRegionTenantSolara:
            return "logo_nav_solara";
        case MVRegionTenantTavik:
            return "logo_nav_tavik";
        default:
            return std::nullopt;
    }
}

std::string MVDiscriminator::tenantUserURL() {
    auto shared = sharedDiscriminator();
    auto name = stringForRegionTenant(shared ? shared->homeTenant() : MVRegionTenantNone);
    if (!name) return {};
    const auto& domains = Platform::current().configuration().tenantWebDomains;
    auto it = domains.find(*name);
    return it == domains.end() ? std::string() : it->second;
}

void MVDiscriminator::allowsKidsMode(AllowedCompletion completion) {
    MOVRA_ASSERT_MAIN_QUEUE();
    if (allowsKidsMode_) {
        if (completion) completion(*allowsKidsMode_, nullptr);
        return;
    }
    std::weak_ptr<MVDiscriminator> weak = weak_from_this();
    MVDataManager::loadRootMenuItemsWithCompletion(
        [weak, completion](ErrorPtr error, std::shared_ptr<MVChannel> rootMenu) {
            if (error || !rootMenu) {
                if (completion) completion(false, error);
                return;
            }
            bool allowed = false;
            for (const auto& item : rootMenu->items()) {
                if (containsStringCaseInsensitive(item->keywords().value_or(""), "lockable")) {
                    allowed = true;
                    break;
                }
            }
            if (auto self = weak.lock()) self->allowsKidsMode_ = allowed;
            if (completion) completion(allowed, nullptr);
        });
}

void MVDiscriminator::allowsProfiles(AllowedCompletion completion) {
    if (allowsProfiles_) {
        if (completion) completion(*allowsProfiles_, nullptr);
        return;
    }
    std::weak_ptr<MVDiscriminator> weak = weak_from_this();
    allowsKidsMode([weak, completion](bool allowed, ErrorPtr error) {
        if (!error)
            if (auto self = weak.lock()) self->allowsProfiles_ = allowed;
        if (completion) completion(allowed, error);
    });
}

void MVDiscriminator::allowsProfilesAndKidsMode(std::function<void(bool, bool, ErrorPtr)> completion) {
    std::weak_ptr<MVDiscriminator> weak = weak_from_this();
    allowsProfiles([weak, completion](bool profiles, ErrorPtr error) {
        auto self = weak.lock();
        if (error || !self) {
            if (completion) completion(false, false, error);
            return;
        }
        self->allowsKidsMode([profiles, completion](bool kidsMode, ErrorPtr kidsError) {
            if (completion) completion(profiles, kidsMode, kidsError);
        });
    });
}

}  // namespace movra
