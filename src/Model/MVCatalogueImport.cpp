#include "Model/MVCatalogueImport.h"

#include "Foundation/Log.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"

namespace movra {

namespace {
ErrorPtr storeNotSetUp() { return makeError("MVCoreDataService", 1, "The catalogue store is not set up"); }
}  // namespace

bool MVCatalogueImport::importPage(const XMLDocumentPtr& document, unsigned long offset, bool replacing,
                                   PageCompletion completion) {
    auto dictionary = MVChannel::dictionaryFromDocument(document);
    const auto guid = dictionary ? stringValue(*dictionary, "guid").value_or("") : std::string();
    if (guid.empty()) return false;
    auto store = MVCoreDataService::registered();
    if (!store) {
        Platform::current().mainQueue().post([completion] {
            if (completion) completion(storeNotSetUp(), nullptr);
        });
        return true;
    }
    // The channel as this import left it, read inside its transaction: a later import of the same channel
    // (a newer search answer, say) may commit before the completion runs, and must not be taken for this one.
    auto saved = std::make_shared<std::shared_ptr<MVChannel>>();
    store->saveInBackground(
        [dictionary = std::move(*dictionary), offset, replacing, guid, saved](StoreContext& context) mutable {
            auto error = importChannel(context, std::move(dictionary), offset, replacing);
            if (!error) *saved = context.fetchChannel(guid);
            return error;
        },
        // Held weakly: a completion dropped with a closed main queue must not end the store on its own writer.
        [weakStore = std::weak_ptr<MVCoreDataService>(store), guid, saved, completion](ErrorPtr error) {
            auto channel = error ? nullptr : *saved;
            if (!channel) {
                auto alive = weakStore.lock();
                auto* context = alive ? alive->mainContext() : nullptr;
                channel = context ? context->fetchChannel(guid) : nullptr;
            }
            if (completion) completion(error, channel);
        });
    return true;
}

ErrorPtr MVCatalogueImport::importChannel(StoreContext& context, Json dictionary, unsigned long offset,
                                          bool replacing) {
    const auto guid = stringValue(dictionary, "guid").value_or("");
    // The items are taken out of the dictionary: each is imported (and freed) in turn.
    Json items = Json::array();
    if (auto found = dictionary.find("items"); found != dictionary.end() && found->is_array()) {
        items = std::move(*found);
        dictionary.erase(found);
    }
    if (replacing) {
        // Items the new first page no longer lists leave the channel but stay stored.
        std::vector<std::string> keep;
        for (const auto& item : items)
            if (auto itemGuid = stringValue(item, "guid"); itemGuid && !itemGuid->empty()) keep.push_back(*itemGuid);
        if (auto error = context.detachItems(guid, keep)) return error;
    }
    auto channel = context.fetchChannel(guid, std::nullopt, std::nullopt, nullptr, /*withItems=*/false);
    if (!channel) channel = std::make_shared<MVChannel>();
    channel->updateFromJSON(dictionary);
    if (auto error = context.saveChannel(*channel)) return error;
    for (std::size_t i = 0; i < items.size(); ++i) {
        Json item = std::move(items[i]);
        const auto itemID = stringValue(item, "itemID");
        if (!itemID) continue;  // without a guid there is no key to keep it by
        appendNewMember(item, "indexInChannel", static_cast<long long>(offset + i));  // the mapping never sets it
        auto record = context.fetchItem(*itemID);
        if (!record) record = std::make_shared<MVItem>();
        record->updateFromJSON(item);
        if (auto error = context.saveItem(*record, channel->channelID())) return error;
    }
    return nullptr;
}

void MVCatalogueImport::setWatchlistFlags(const std::vector<std::string>& guids, bool inWatchlist,
                                          std::function<void(ErrorPtr)> completion) {
    auto store = MVCoreDataService::registered();
    if (!store) {
        Platform::current().mainQueue().post([completion] {
            if (completion) completion(storeNotSetUp());
        });
        return;
    }
    store->saveInBackground(
        [guids, inWatchlist](StoreContext& context) -> ErrorPtr {
            StoreContext::ItemQuery query;
            query.filter = StorePredicate::inList("guid", guids);
            // A removal touches only the records that are flagged.
            query.watchlistOnly = !inWatchlist;
            query.sortKeys.clear();
            ErrorPtr fetchError;
            for (const auto& item : context.fetchItems(query, &fetchError)) {
                item->setIsInWatchlist(inWatchlist);
                if (auto saveError = context.saveItem(*item, item->channelID())) return saveError;
            }
            return fetchError;
        },
        std::move(completion));
}

}  // namespace movra
