#include "Model/MVDataManager.h"

#include "Foundation/Localization.h"
#include "Foundation/MainQueue.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Platform/Platform.h"
#include "Utilities/MVTavikLocale.h"

namespace movra {

namespace {

/// The first page of the shelf behind a root-menu entry, as the shelves refresh it.
HttpTaskPtr refreshShelf(const std::shared_ptr<MVItem>& entry, bool clearExistingItems,
                         MVHTTPClient::BrowseCompletion completion) {
    auto client = MVHTTPClient::sharedClient();
    if (!client || !entry || isEmpty(entry->link())) return nullptr;
    return client->browseToPath(entry->link(), /*offset=*/0, MVDataManager::kShelfPageSize, /*sortKey=*/std::nullopt,
                                /*ascending=*/true, /*ignoreCache=*/true, clearExistingItems, std::move(completion));
}

std::shared_ptr<MVItem> menuEntry(std::shared_ptr<MVItem> (MVRootMenuEntries::*entry)() const) {
    return ((*MVRootMenuEntries::shared()).*entry)();
}

}  // namespace

void MVDataManager::loadRootMenuItemsWithCompletion(RootMenuCompletion completion) {
    MOVRA_ASSERT_MAIN_QUEUE();
    if (auto store = MVCoreDataService::registered()) {
        if (auto stored = store->fetchRootMenuChannel(); stored && !stored->items().empty()) {
            if (completion) completion(nullptr, stored);
            return;
        }
    }
    auto client = MVHTTPClient::sharedClient();
    if (!client) {
        Platform::current().mainQueue().post([completion] {
            if (completion)
                completion(makeError(kURLErrorDomain, kURLErrorBadURL, MVLocalizedString("unsupported URL")), nullptr);
        });
        return;
    }
    client->browseToPath(std::nullopt, /*ignoreCache=*/true, /*clearExistingItems=*/true,
                         [completion](ErrorPtr error, std::shared_ptr<MVChannel> channel, XMLDocumentPtr) {
                             if (!completion) return;
                             if (!error && channel && !channel->items().empty())
                                 completion(nullptr, channel);
                             else
                                 completion(error, nullptr);
                         });
}

StoreContext::ItemQuery MVDataManager::channelItemsQuery(const std::string& guid) {
    StoreContext::ItemQuery query;
    query.channelGuid = guid;
    query.userLanguage = MVTavikLocale::mvtk_preferredLanguageString();
    query.freshAt = Platform::current().clock().secondsSince1970();
    query.filter = MVItem::listFilterPredicate();
    return query;
}

HttpTaskPtr MVDataManager::refreshWatchlistShelfWithCompletion(MVHTTPClient::BrowseCompletion completion) {
    return refreshShelf(menuEntry(&MVRootMenuEntries::watchlistItem), /*clearExistingItems=*/true,
                        std::move(completion));
}

HttpTaskPtr MVDataManager::refreshContinueWatchingShelfWithCompletion(MVHTTPClient::BrowseCompletion completion) {
    return refreshShelf(menuEntry(&MVRootMenuEntries::recentlyWatched), /*clearExistingItems=*/true,
                        std::move(completion));
}

void MVDataManager::refreshRecentlyWatchedAfterPlayback() {
    refreshShelf(menuEntry(&MVRootMenuEntries::recentlyWatched), /*clearExistingItems=*/false, nullptr);
}

}  // namespace movra
