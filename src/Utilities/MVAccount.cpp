#include "Utilities/MVAccount.h"

#include "Platform/Platform.h"

namespace movra {

const XMLModelClass& MVAccount::modelClass() {
    static const XMLModelClass cls = [] {
        XMLModelClass c;
        c.name = "MVAccount";
        c.XPathPrefix = "result/account/";
        // An error document read as an account is no account, not a mapping error: the account read
        // must keep the maintenance or geo-block code the document carries.
        c.missingElementIsError = false;
        c.propertyKeys = {"guid",      "accountNumber",   "accountState", "firstName", "middleName", "lastName",
                          "address1",  "address2",        "city",         "state",     "zip",        "country",
                          "homePhone", "isTrialEligible", "affiliateCode"};
        return c;
    }();
    return cls;
}

std::shared_ptr<MVAccount> MVAccount::modelWithDictionary(const Json& dictionary, ErrorPtr*) {
    auto account = std::make_shared<MVAccount>(dictionary);
    // The registry's object of class MVAccount is the cached account: it goes with the Platform.
    Platform& platform = Platform::current();
    platform.setObject<MVAccount>(account);
    if (account->firstName())
        platform.defaults().setObject(kMVTKCachedUserAccountNameKey, *account->firstName());
    else
        platform.defaults().removeObject(kMVTKCachedUserAccountNameKey);
    return account;
}

std::shared_ptr<const MVAccount> MVAccount::cachedAccount() { return Platform::current().object<MVAccount>(); }

std::optional<std::string> MVAccount::cachedAccountName() {
    return Platform::current().defaults().stringForKey(kMVTKCachedUserAccountNameKey);
}

void MVAccount::clearCache() {
    Platform& platform = Platform::current();
    platform.setObject<MVAccount>(nullptr);
    platform.defaults().removeObject(kMVTKCachedUserAccountNameKey);
}

MVAccount::MVAccount(const Json& d)
    : guid_(stringValue(d, "guid")),
      accountNumber_(stringValue(d, "accountNumber")),
      accountState_(stringValue(d, "accountState")),
      firstName_(stringValue(d, "firstName")),
      middleName_(stringValue(d, "middleName")),
      lastName_(stringValue(d, "lastName")),
      address1_(stringValue(d, "address1")),
      address2_(stringValue(d, "address2")),
      city_(stringValue(d, "city")),
      state_(stringValue(d, "state")),
      zip_(stringValue(d, "zip")),
      country_(stringValue(d, "country")),
      homePhone_(stringValue(d, "homePhone")),
      isTrialEligible_(stringValue(d, "isTrialEligible")),
      affiliateCode_(stringValue(d, "affiliateCode")) {}

}  // namespace movra
