#include "movra/RootMenu.h"

#include "Model/MVChannel.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Platform/Platform.h"
#include "movra/Output.h"
#include "movra/SignalWatch.h"

namespace movra::cli {

RootMenu loadRootMenu(double timeoutSeconds) {
    bool done = false;
    RootMenu result;
    MVDataManager::loadRootMenuItemsWithCompletion([&](ErrorPtr error, std::shared_ptr<MVChannel> channel) {
        result.error = error;
        result.menu = channel;
        done = true;
    });
    if (!SignalWatch::runUntil(
            Platform::current().mainQueue(), [&] { return done; }, timeoutSeconds))
        result.menu = nullptr;
    return result;
}

RootMenu loadRootMenuEntries(double timeoutSeconds) {
    RootMenu loaded = loadRootMenu(timeoutSeconds);
    if (!loaded.menu) return loaded;
    MVRootMenuEntries::shared()->takeEntriesFromMenu(*loaded.menu);
    return loaded;
}

std::shared_ptr<MVChannel> loadRootMenuEntriesOrSay(const GlobalOptions& options) {
    auto [menu, failure] = loadRootMenuEntries(ClientSession::kAnswerTimeoutSeconds);
    if (!menu)
        printFailure(options, "The menu could not be loaded" + (failure ? ": " + failure->summary() : std::string()),
                     failure);
    return menu;
}

std::shared_ptr<MVChannel> refreshSubscriberShelf(ClientSession& session, SubscriberShelf shelf) {
    const bool watchlist = shelf == SubscriberShelf::Watchlist;
    const std::string name = watchlist ? "watchlist" : "recently watched titles";
    auto [menu, menuFailure] = loadRootMenuEntries(ClientSession::kAnswerTimeoutSeconds);
    const auto& entries = *MVRootMenuEntries::shared();
    if (!menu || !(watchlist ? entries.watchlistItem() : entries.recentlyWatched())) {
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
