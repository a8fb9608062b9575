// Demo subscribers: their data file form and their account record.
#include "movra-backend/Account.h"

#include "Foundation/Log.h"
#include "embedded/accounts.json.h"
#include "movra-backend/XmlWriter.h"

#include <limits>
#include <utility>

namespace movra::backend {

namespace {

using Field = std::pair<const char*, std::string Account::*>;

constexpr Field kCredentialFields[] = {
    {"userName", &Account::userName}, {"password", &Account::password}, {"identityGuid", &Account::identityGuid}};

constexpr Field kRecordFields[] = {{"guid", &Account::guid},
                                   {"accountNumber", &Account::accountNumber},
                                   {"accountState", &Account::accountState},
                                   {"firstName", &Account::firstName},
                                   {"middleName", &Account::middleName},
                                   {"lastName", &Account::lastName},
                                   {"address1", &Account::address1},
                                   {"address2", &Account::address2},
                                   {"city", &Account::city},
                                   {"state", &Account::state},
                                   {"zip", &Account::zip},
                                   {"country", &Account::country},
                                   {"homePhone", &Account::homePhone},
                                   {"isTrialEligible", &Account::isTrialEligible},
                                   {"affiliateCode", &Account::affiliateCode}};

}  // namespace

std::vector<Account> Account::demoAccounts() {
    const Json document = Json::parse(embedded::kAccountsJson, nullptr, /*allow_exceptions=*/false);
    auto list = document.is_object() ? document.find("accounts") : Json::const_iterator();
    if (!document.is_object() || list == document.end() || !list->is_array()) {
        Log::error("movra-backend: the accounts data file holds no \"accounts\" array");
        return {};
    }
    std::vector<Account> accounts;
    for (const Json& entry : *list) {
        std::string error;
        auto account = fromJson(entry, &error);
        if (!account) {
            Log::error("movra-backend: account {} of the accounts data file: {}", accounts.size() + 1, error);
            return {};
        }
        accounts.push_back(std::move(*account));
    }
    return accounts;
}

std::optional<Account> Account::fromJson(const Json& object, std::string* error) {
    Account account;
    auto read = [&](const Field& field) {
        auto value = stringValue(object, field.first);
        if (!value) {
            *error = std::string("\"") + field.first + "\" must be a string";
            return false;
        }
        account.*field.second = std::move(*value);
        return true;
    };
    for (const Field& field : kCredentialFields)
        if (!read(field)) return std::nullopt;
    for (const Field& field : kRecordFields)
        if (!read(field)) return std::nullopt;

    if (auto payment = object.find("paymentMissing"); payment != object.end()) {
        if (!payment->is_boolean()) {
            *error = "\"paymentMissing\" must be true or false";
            return std::nullopt;
        }
        account.paymentMissing = payment->get<bool>();
    }
    if (auto settings = object.find("settings"); settings != object.end()) {
        if (!settings->is_object()) {
            *error = "\"settings\" must be an object";
            return std::nullopt;
        }
        for (const auto& [name, value] : settings->items()) {
            if (!value.is_string()) {
                *error = "setting \"" + name + "\" must be a string";
                return std::nullopt;
            }
            account.settings[name] = value.get<std::string>();
        }
    }
    if (auto bookmarks = object.find("bookmarks"); bookmarks != object.end()) {
        if (!bookmarks->is_array()) {
            *error = "\"bookmarks\" must be an array";
            return std::nullopt;
        }
        for (const Json& bookmark : *bookmarks) {
            auto guid = stringValue(bookmark, "guid");
            auto seconds = bookmark.is_object() ? bookmark.find("seconds") : bookmark.end();
            if (!guid || guid->empty() || seconds == bookmark.end() || !seconds->is_number_integer() ||
                seconds->get<long long>() < 0 || seconds->get<long long>() > std::numeric_limits<int>::max()) {
                *error = "every bookmark must have a \"guid\" and whole \"seconds\" of 0 or more";
                return std::nullopt;
            }
            account.bookmarks.push_back({*guid, seconds->get<int>()});
        }
    }
    return account;
}

Json Account::toJson() const {
    Json object = Json::object();
    for (const Field& field : kCredentialFields) object[field.first] = this->*field.second;
    for (const Field& field : kRecordFields) object[field.first] = this->*field.second;
    if (paymentMissing) object["paymentMissing"] = true;
    object["settings"] = settings;
    return object;
}

void Account::writeRecord(XmlWriter& xml) const {
    xml.open("account");
    for (const Field& field : kRecordFields) xml.element(field.first, this->*field.second);
    xml.close();
}

}  // namespace movra::backend
