// Account: one subscriber of the emulated service as the accounts data file describes it: credentials,
// guids, the account record the client reads, and the settings and resume positions the account starts
// with.
#pragma once

#include "Foundation/Json.h"
#include "movra-backend/SubscriberLists.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace movra::backend {

class XmlWriter;

struct Account {
    /// The only state in which the service lets a subscriber sign in.
    static constexpr const char* kActiveState = "Active";

    /// An e-mail address; the service compares user names ignoring case.
    std::string userName;
    std::string password;
    std::string identityGuid;

    // The account record, in the order the client reads it.
    std::string guid;
    std::string accountNumber;
    /// "Active", or anything else (e.g. "Suspended") for an account that may not sign in.
    std::string accountState;
    std::string firstName;
    std::string middleName;
    std::string lastName;
    std::string address1;
    std::string address2;
    std::string city;
    std::string state;
    std::string zip;
    /// Country code; the client takes the home tenant from it (SE, FI, NO, DK: Tavik; ES: Solara).
    std::string country;
    std::string homePhone;
    /// "true" or "false".
    std::string isTrialEligible;
    std::string affiliateCode;

    /// The subscription's payment is missing: the subscriber signs in and browses, but playback is refused
    /// with ST2002.
    bool paymentMissing = false;

    /// Setting name -> value before the subscriber changes anything.
    std::map<std::string, std::string> settings;
    /// Resume positions the account starts with, most recently watched first.
    std::vector<SubscriberLists::Bookmark> bookmarks;

    /// The subscribers compiled in from data/accounts.json ({"accounts": [...]}); none, with an error
    /// logged, when that file is malformed.
    static std::vector<Account> demoAccounts();
    /// An account in the data file's form; nullopt, and *error, when a field is missing or not a string.
    static std::optional<Account> fromJson(const Json& object, std::string* error);
    Json toJson() const;

    /// Writes <account> with the record's fields.
    void writeRecord(XmlWriter& xml) const;
};

}  // namespace movra::backend
