#include "movra/RootMenu.h"

#include "App/MVAppDelegate.h"
#include "Model/MVChannel.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"

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

}  // namespace movra::cli
