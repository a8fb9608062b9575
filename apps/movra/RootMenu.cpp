#include "movra/RootMenu.h"

#include "App/MVAppDelegate.h"
#include "Model/MVChannel.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"
#include "movra/Output.h"

namespace movra::cli {

RootMenu loadRootMenu(double timeoutSeconds) {
    bool done = false;
    RootMenu result;
    MVDataManager::loadRootMenuItemsWithCompletion([&](ErrorPtr error, std::shared_ptr<MVChannel> channel) {
        result.error = error;
        result.menu = channel;
        done = true;
    });
    if (!Platform::current().mainQueue().runUntil([&] { return done; }, timeoutSeconds)) result.menu = nullptr;
    return result;
}

RootMenu loadRootMenuEntries(double timeoutSeconds) {
    RootMenu loaded = loadRootMenu(timeoutSeconds);
    if (!loaded.menu) return loaded;
    auto app = MVAppDelegate::sharedAppDelegate();
    if (!app) {
        app = std::make_shared<MVAppDelegate>();
        MVAppDelegate::setSharedAppDelegate(app);
    }
    for (const auto& item : loaded.menu->items()) {
        if (item->itemType() == MVItemTypeSearch && !app->searchItem()) app->setSearchItem(item);
        if (item->isRecentlyWatched() && !app->recentlyWatched()) app->setRecentlyWatched(item);
        if (item->isWatchlist() && !app->watchlistItem()) app->setWatchlistItem(item);
        // The menu takes the first entry whose keywords hold "lockable", case and all.
        if (!app->lockableItem() && item->keywords().value_or("").find("lockable") != std::string::npos)
            app->setLockableItem(item);
    }
    return loaded;
}

std::shared_ptr<MVChannel> refreshSubscriberShelf(ClientSession& session, SubscriberShelf shelf) {
    const bool watchlist = shelf == SubscriberShelf::Watchlist;
    const std::string name = watchlist ? "watchlist" : "recently watched titles";
    auto [menu, menuFailure] = loadRootMenuEntries(ClientSession::kAnswerTimeoutSeconds);
    auto app = MVAppDelegate::sharedAppDelegate();
    if (!menu || !app || !(watchlist ? app->watchlistItem() : app->recentlyWatched())) {
        printFailure(session.options(), menu ? "The menu has no " + name : "The menu could not be loaded", menuFailure);
        return nullptr;
    }
    bool done = false;
    ErrorPtr failure;
    std::shared_ptr<MVChannel> channel;
    auto completion = [&](ErrorPtr error, std::shared_ptr<MVChannel> page, XMLDocumentPtr) {
        failure = error;
        channel = page;
        done = true;
    };
    if (watchlist)
        MVDataManager::refreshWatchlistShelfWithCompletion(completion);
    else
        MVDataManager::refreshContinueWatchingShelfWithCompletion(completion);
    if (!session.wait([&] { return done; }) || !channel) {
        printFailure(session.options(),
                     "The " + name + " could not be loaded" + (failure ? ": " + failure->summary() : std::string()),
                     failure);
        return nullptr;
    }
    return channel;
}

}  // namespace movra::cli
