// MVAccount: the subscriber's account ("result/account"). The class keeps the last account created from a
// dictionary (cachedAccount) and writes its first name to the defaults under
// "MVTKCachedUserAccountNameKey"; the cache belongs to the installed Platform.
//
// Thread contract: any thread, while a Platform is installed.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Utilities/XMLModelClass.h"

#include <memory>
#include <optional>
#include <string>

namespace movra {

inline constexpr const char* kMVTKCachedUserAccountNameKey = "MVTKCachedUserAccountNameKey";

class MVAccount {
  public:
    static const XMLModelClass& modelClass();
    /// A new account, which also becomes the cached account.
    static std::shared_ptr<MVAccount> modelWithDictionary(const Json& dictionary, ErrorPtr* error = nullptr);

    static std::shared_ptr<const MVAccount> cachedAccount();
    /// The first name stored by the last creation (it outlives the process, the cached account does not).
    static std::optional<std::string> cachedAccountName();
    /// Drops the cached account and the stored first name (sign-out).
    static void clearCache();

    explicit MVAccount(const Json& dictionary);

    const std::optional<std::string>& guid() const { return guid_; }
    const std::optional<std::string>& accountNumber() const { return accountNumber_; }
    const std::optional<std::string>& accountState() const { return accountState_; }
    const std::optional<std::string>& firstName() const { return firstName_; }
    const std::optional<std::string>& middleName() const { return middleName_; }
    const std::optional<std::string>& lastName() const { return lastName_; }
    const std::optional<std::string>& address1() const { return address1_; }
    const std::optional<std::string>& address2() const { return address2_; }
    const std::optional<std::string>& city() const { return city_; }
    const std::optional<std::string>& state() const { return state_; }
    const std::optional<std::string>& zip() const { return zip_; }
    const std::optional<std::string>& country() const { return country_; }
    const std::optional<std::string>& homePhone() const { return homePhone_; }
    const std::optional<std::string>& isTrialEligible() const { return isTrialEligible_; }
    const std::optional<std::string>& affiliateCode() const { return affiliateCode_; }

  private:
    std::optional<std::string> guid_;
    std::optional<std::string> accountNumber_;
    std::optional<std::string> accountState_;
    std::optional<std::string> firstName_;
    std::optional<std::string> middleName_;
    std::optional<std::string> lastName_;
    std::optional<std::string> address1_;
    std::optional<std::string> address2_;
    std::optional<std::string> city_;
    std::optional<std::string> state_;
    std::optional<std::string> zip_;
    std::optional<std::string> country_;
    std::optional<std::string> homePhone_;
    std::optional<std::string> isTrialEligible_;
    std::optional<std::string> affiliateCode_;
};

}  // namespace movra
