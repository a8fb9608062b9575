#include "movra/Output.h"

#include "Foundation/Strings.h"
#include "Model/EntityAttribute.h"
#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Utilities/MVAccount.h"
#include "movra/SignalWatch.h"

#include <iostream>

namespace movra::cli {

Json errorObject(const ErrorPtr& error) {
    if (!error) return nullptr;
    return Json{{"domain", error->domain},
                {"code", error->code},
                {"description", error->localizedDescription},
                {"failureReason", error->failureReason}};
}

Json accountObject(const MVAccount& account) {
    Json json = Json::object();
    auto put = [&json](const char* key, const std::optional<std::string>& value) {
        if (value) json[key] = *value;
    };
    put("guid", account.guid());
    put("accountNumber", account.accountNumber());
    put("accountState", account.accountState());
    put("firstName", account.firstName());
    put("middleName", account.middleName());
    put("lastName", account.lastName());
    put("address1", account.address1());
    put("address2", account.address2());
    put("city", account.city());
    put("state", account.state());
    put("zip", account.zip());
    put("country", account.country());
    put("homePhone", account.homePhone());
    put("isTrialEligible", account.isTrialEligible());
    put("affiliateCode", account.affiliateCode());
    return json;
}

Json itemObject(const MVItem& item) {
    Json values = item.attributeValues();
    for (const auto& attribute : MVItem::attributes()) {
        auto& value = values[attribute.name];
        if (attribute.kind == EntityAttribute::Kind::Data && value.is_string())
            value = Json::parse(value.get<std::string>(), nullptr, /*allow_exceptions=*/false);
    }
    return values;
}

Json channelObject(const MVChannel& channel, const std::vector<std::shared_ptr<MVItem>>& items) {
    Json json = channel.attributeValues();
    Json list = Json::array();
    for (const auto& item : items) list.push_back(itemObject(*item));
    json["items"] = std::move(list);
    return json;
}

std::string channelText(const MVChannel& channel, const std::vector<std::shared_ptr<MVItem>>& items) {
    std::string text = channel.title().value_or("(untitled)") + " [" + channel.guid().value_or("?") + "], " +
                       std::to_string(items.size()) + " of " + std::to_string(channel.totalResults().value_or(0)) +
                       " items\n";
    for (const auto& item : items) {
        text += "  " + std::to_string(item->indexInChannel().value_or(-1)) + ". " +
                item->title().value_or("(untitled)") + " [" + item->guid().value_or("?") + "]";
        if (item->isInWatchlist().value_or(false)) text += " (on the watchlist)";
        if (item->keywords() && !item->keywords()->empty()) text += " {" + *item->keywords() + "}";
        if (item->link() && !item->link()->empty()) text += " -> " + *item->link();
        text += "\n";
    }
    return text;
}

std::string accountText(const MVAccount& account) {
    std::vector<std::string> names;
    for (const auto& part : {account.firstName(), account.middleName(), account.lastName()})
        if (part && !part->empty()) names.push_back(*part);
    return "Account " + account.accountNumber().value_or("?") + " (" + account.accountState().value_or("?") +
           "): " + join(names, " ") + ", country " + account.country().value_or("?");
}

void printResult(const GlobalOptions& options, const Json& json, const std::string& text) {
    if (options.json)
        std::cout << json.dump(2, ' ', false, Json::error_handler_t::replace) << std::endl;
    else
        std::cout << text << (endsWith(text, "\n") ? "" : "\n") << std::flush;
}

void printFailure(const GlobalOptions& options, const std::string& message, const ErrorPtr& error) {
    // After a signal the failures are its consequences (waits given up); main() reports the signal once.
    if (SignalWatch::caught()) return;
    if (options.json)
        std::cout << Json{{"error", errorObject(error)}, {"message", message}}.dump(2, ' ', false,
                                                                                    Json::error_handler_t::replace)
                  << std::endl;
    else
        std::cerr << "movra: " << message << std::endl;
}

}  // namespace movra::cli
